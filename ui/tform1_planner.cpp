// The Moon planner seen from the main window: opening it, Follow the Moon,
// which sets both stations' elevations and the Moon distance every minute
// while it is on, and the recalculations that the planner and the spectrum
// view follow.
#include "default_data.h"
#include "planner_window.h"
#include "spectrum_window.h"
#include "tform1.h"

namespace quillmere {
namespace {

constexpr const char* kStationsFileName = "QuillmereStations.ini";

}  // namespace

void TForm1::OpenPlanner() {
  if (!planner_) {
    PlannerWindow::Host host;
    host.state = [this] { return state_; };
    host.now_utc_s = [this] { return static_cast<double>(UnixSecondsOf(clock_())); };
    host.following_changed = [this](bool on) { SetFollowingTheMoon(on); };
    host.follow = [this](double home_deg, double dx_deg) {
      calc_->FollowMoon(static_cast<Real>(home_deg), static_cast<Real>(dx_deg));
      SetFollowingTheMoon(following_moon_);  // a recalculation may rewrite the title
    };
    // Beside the data file, in the start folder.
    planner_ =
        std::make_unique<PlannerWindow>(this, StartFolder() / kStationsFileName, std::move(host));
    GiveWindowKeys(planner_.get(), QStringLiteral("planner.html"));
  }
  FollowRecalculations();
  planner_->show();
  planner_->raise();
  planner_->activateWindow();
}

void TForm1::FollowRecalculations() {
  calc_->on_recalculated = [this] {
    if (spectrum_) spectrum_->StateChanged();
    if (planner_) planner_->StateChanged();
  };
}

void TForm1::SetFollowingTheMoon(bool on) {
  following_moon_ = on;
  const QString suffix = QString::fromUtf8(kFollowingTitle);
  QString title = windowTitle();
  if (title.endsWith(suffix)) title.chop(suffix.size());
  if (on) title += suffix;
  if (title != windowTitle()) setWindowTitle(title);
}

}  // namespace quillmere
