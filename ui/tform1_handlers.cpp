// The main window's event handlers: every control's signal is connected
// here, once, to the handler named after the control and its event.
#include <QScrollBar>
#include <filesystem>
#include <iterator>
#include <system_error>

#include "clickable_label.h"
#include "color_button.h"
#include "default_data.h"
#include "form_components.h"
#include "on_screen_help.h"
#include "panel.h"
#include "radio_group.h"
#include "spin_button.h"
#include "startup.h"
#include "tab_set.h"
#include "tform1.h"
#include "tform2.h"
#include "ui_tform1.h"
#include "widget_display.h"

namespace quillmere {

void TForm1::BindHandlers() {
  Ui::TForm1& c = *ui_;
  auto spin = [this](SpinButton* button, void (TForm1::*up)(), void (TForm1::*down)()) {
    connect(button, &SpinButton::upClicked, this, up);
    connect(button, &SpinButton::downClicked, this, down);
  };
  spin(c.TempButtonA, &TForm1::TempButtonAUpClick, &TForm1::TempButtonADownClick);
  spin(c.TempButtonB, &TForm1::TempButtonBUpClick, &TForm1::TempButtonBDownClick);
  spin(c.HumidityButtonA, &TForm1::HumidityButtonAUpClick, &TForm1::HumidityButtonADownClick);
  spin(c.HumidityButtonB, &TForm1::HumidityButtonBUpClick, &TForm1::HumidityButtonBDownClick);
  spin(c.PressButtonA, &TForm1::PressButtonAUpClick, &TForm1::PressButtonADownClick);
  spin(c.PressButtonB, &TForm1::PressButtonBUpClick, &TForm1::PressButtonBDownClick);
  spin(c.HASLx10_A, &TForm1::HASLx10_AUpClick, &TForm1::HASLx10_ADownClick);
  spin(c.HASLx10_B, &TForm1::HASLx10_BUpClick, &TForm1::HASLx10_BDownClick);
  spin(c.HASLx100_A, &TForm1::HASLx100_AUpClick, &TForm1::HASLx100_ADownClick);
  spin(c.HASLx100_B, &TForm1::HASLx100_BUpClick, &TForm1::HASLx100_BDownClick);
  spin(c.ElevationButtonA10, &TForm1::ElevationButtonA10UpClick,
       &TForm1::ElevationButtonA10DownClick);
  spin(c.ElevationButtonB10, &TForm1::ElevationButtonB10UpClick,
       &TForm1::ElevationButtonB10DownClick);
  spin(c.ElevationButtonA1, &TForm1::ElevationButtonA1UpClick, &TForm1::ElevationButtonA1DownClick);
  spin(c.ElevationButtonB1, &TForm1::ElevationButtonB1UpClick, &TForm1::ElevationButtonB1DownClick);
  spin(c.DistanceChangex100, &TForm1::DistanceChangex1009UpClick,
       &TForm1::DistanceChangex1009DownClick);
  spin(c.DistanceChangex10, &TForm1::DistanceChangex109UpClick,
       &TForm1::DistanceChangex109DownClick);
  spin(c.DistanceChangex1, &TForm1::DistanceChangex1UpClick, &TForm1::DistanceChangex1DownClick);
  spin(c.DistanceChangex01Up, &TForm1::DistanceChangex01UpUpClick,
       &TForm1::DistanceChangex01UpDownClick);

  auto group = [this](RadioGroup* g, void (TForm1::*handler)(int)) {
    connect(g, &RadioGroup::itemChanged, this, handler);
  };
  group(c.FreqSelect, &TForm1::FreqSelect1Click);
  group(c.RainSelectA, &TForm1::RainSelectAClick);
  group(c.RainSelectB, &TForm1::RainSelectBClick);
  group(c.PolarisationSelectA, &TForm1::PolarisationSelectAClick);
  group(c.PolarisationSelectB, &TForm1::PolarisationSelectBClick);
  group(c.FogSelectA, &TForm1::FogSelectAClick);
  group(c.FogSelectB, &TForm1::FogSelectBClick);
  group(c.LatitudeSelectA, &TForm1::LatitudeSelectAClick);
  group(c.LatitudeSelectB, &TForm1::LatitudeSelectBClick);
  group(c.SummerWinterSelectA, &TForm1::SummerWinterSelectAClick);
  group(c.SummerWinterSelectB, &TForm1::SummerWinterSelectBClick);
  group(c.DisplayAccuracy, &TForm1::DisplayAccuracyClick);
  group(c.ScreenDelaySelect, &TForm1::ScreenDelaySelectClick);
  connect(c.PercentageDisplay, &RadioGroup::itemChanged, this,
          [this](int item) { calc_->Inputs().Select(component::PercentageDisplay, item); });
  // What the window itself does when these change, after the calculation's
  // own handlers, however the change was made (a click or the data file).
  Controls& inputs = calc_->Inputs();
  inputs.OnChange(component::DisplayAccuracy, [this](int) { ui_->DisplayAccuracy->raise(); });
  inputs.OnChange(component::ScreenDelaySelect, [this](int item) {
    const HintTimings t = Calculator::HintTimingsForChoice(item);
    help_->SetTimings(t.delay_ms, t.display_ms);
    help_->SetColours(Qt::white, Qt::red);
  });
  inputs.OnChange(component::PercentageDisplay, [this](int item) { PercentageDisplayClick(item); });

  connect(c.ScrollBar1, &QScrollBar::valueChanged, this, &TForm1::ScrollBar1Change);
  connect(c.CloudSelectA, &QScrollBar::valueChanged, this, &TForm1::CloudSelectAChange);
  connect(c.CloudSelectB, &QScrollBar::valueChanged, this, &TForm1::CloudSelectBChange);

  connect(c.WaterIceSelectA, &ClickableLabel::clicked, this, &TForm1::WaterIceSelectAClick);
  connect(c.WaterIceSelectB, &ClickableLabel::clicked, this, &TForm1::WaterIceSelectBClick);
  connect(c.Panel125, &Panel::clicked, this, &TForm1::Panel125Click);
  connect(c.Panel128, &Panel::clicked, this, &TForm1::Panel125Click);
  connect(c.Panel124, &Panel::clicked, this, &TForm1::Panel124Click);
  connect(c.Panel1, &Panel::clicked, this, &TForm1::Panel1Click);
  connect(c.Panel45, &Panel::clicked, this, &TForm1::Panel45Click);
  connect(c.Panel117, &Panel::clicked, this, &TForm1::Panel117Click);
  connect(c.Panel42, &Panel::clicked, this, &TForm1::Panel42Click);
  connect(c.Panel134, &Panel::clicked, this, &TForm1::Panel134Click);

  connect(c.ColorButton1, &ColorButton::clicked, this, &TForm1::ColorButton1Click);
  connect(c.ColorButton2, &ColorButton::clicked, this, &TForm1::ColorButton2Click);
  connect(c.ColorButton3, &ColorButton::clicked, this, &TForm1::ColorButton3Click);
  connect(c.ColorButton4, &ColorButton::clicked, this, &TForm1::ColorButton4Click);
  connect(c.Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
  connect(c.Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
  connect(c.Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
  connect(c.Button4, &QPushButton::clicked, this, &TForm1::Button4Click);
  connect(c.Button5, &QPushButton::clicked, this, &TForm1::Button5Click);
  connect(c.Button6, &QPushButton::clicked, this, &TForm1::Button6Click);
  connect(c.TabSet2, &TabSet::tabClicked, this, &TForm1::TabSet2Click);
}

void TForm1::FreqSelect1Click(int item) {
  calc_->Inputs().Select(component::FreqSelect, item);
}
void TForm1::RainSelectAClick(int item) {
  calc_->Inputs().Select(component::RainSelectA, item);
}
void TForm1::RainSelectBClick(int item) {
  calc_->Inputs().Select(component::RainSelectB, item);
}
void TForm1::PolarisationSelectAClick(int item) {
  calc_->Inputs().Select(component::PolarisationSelectA, item);
}
void TForm1::PolarisationSelectBClick(int item) {
  calc_->Inputs().Select(component::PolarisationSelectB, item);
}
void TForm1::FogSelectAClick(int item) {
  calc_->Inputs().Select(component::FogSelectA, item);
}
void TForm1::FogSelectBClick(int item) {
  calc_->Inputs().Select(component::FogSelectB, item);
}
void TForm1::LatitudeSelectAClick(int item) {
  calc_->Inputs().Select(component::LatitudeSelectA, item);
}
void TForm1::LatitudeSelectBClick(int item) {
  calc_->Inputs().Select(component::LatitudeSelectB, item);
}
void TForm1::SummerWinterSelectAClick(int item) {
  calc_->Inputs().Select(component::SummerWinterSelectA, item);
}
void TForm1::SummerWinterSelectBClick(int item) {
  calc_->Inputs().Select(component::SummerWinterSelectB, item);
}
void TForm1::ScrollBar1Change(int position) {
  calc_->Inputs().Move(component::ScrollBar1, position);
}
void TForm1::CloudSelectAChange(int position) {
  calc_->Inputs().Move(component::CloudSelectA, position);
}
void TForm1::CloudSelectBChange(int position) {
  calc_->Inputs().Move(component::CloudSelectB, position);
}

void TForm1::ShowOverlay(std::string_view name) {
  // Showing also brings the overlay in front of its siblings.
  display_->SetVisible(name, true);
  QWidget* w = Component(QString::fromLatin1(name.data(), qsizetype(name.size())));
  if (w == nullptr) return;
  w->raise();
  open_overlays_.removeAll(w);
  open_overlays_.append(w);
  // The keys go on inside what was just opened: at its first Tab stop.
  for (QWidget* next = nextInFocusChain(); next != this && next != nullptr;
       next = next->nextInFocusChain()) {
    if (w->isAncestorOf(next) && (next->focusPolicy() & Qt::TabFocus) && next->isVisibleTo(this) &&
        next->isEnabled()) {
      next->setFocus(Qt::TabFocusReason);
      break;
    }
  }
}

void TForm1::HideOverlay(std::string_view name) {
  display_->SetVisible(name, false);
  if (QWidget* w = Component(QString::fromLatin1(name.data(), qsizetype(name.size())))) {
    w->lower();
  }
}

void TForm1::ColorButton1Click() {
  SaveDefaults(state_, ProcessRecordBuffer(), DefaultDataPath(), *messages_);
}

void TForm1::ColorButton2Click() {
  if (!ui_->DisplayAccuracy->isHidden()) {
    display_->SetVisible(component::DisplayAccuracy, false);
  } else {
    ShowOverlay(component::DisplayAccuracy);
  }
}

void TForm1::DisplayAccuracyClick(int item) {
  calc_->Inputs().Select(component::DisplayAccuracy, item);
}

void TForm1::Panel1Click() {
  display_->SetVisible(component::DisplayAccuracy, false);
}

void TForm1::ColorButton3Click() {
  // Its button again closes the list, leaving its selection as it was.
  if (!ui_->ScreenDelaySelect->isHidden()) {
    display_->SetVisible(component::ScreenDelaySelect, false);
    return;
  }
  ShowOverlay(component::ScreenDelaySelect);
  // Opening the list re-applies the timings of the item selected now and
  // shows hints black on yellow (black on black for "Do not Display") until
  // an item is chosen again.
  const ItemIndex item = ui_->ScreenDelaySelect->itemIndex();
  if (item >= 0) {
    const HintTimings t = Calculator::HintTimingsOnOpening(item);
    help_->SetTimings(t.delay_ms, t.display_ms);
    help_->SetColours(item == 3 ? QColor(Qt::black) : QColor(255, 255, 0), Qt::black);
  } else {
    help_->SetColours(help_->Background(), Qt::black);
  }
}

void TForm1::ScreenDelaySelectClick(int item) {
  calc_->Inputs().Select(component::ScreenDelaySelect, item);
}

// The buttons that open the option panels close them again.
void TForm1::Button6Click() {
  if (ui_->Panel45->isHidden()) {
    ShowOverlay(component::Panel45);
  } else {
    HideOverlay(component::Panel45);
  }
}
void TForm1::Button2Click() {
  HideOverlay(component::Panel45);
}
void TForm1::Panel45Click() {
  HideOverlay(component::Panel45);
}
void TForm1::Button4Click() {
  if (ui_->Panel117->isHidden()) {
    ShowOverlay(component::Panel117);
  } else {
    HideOverlay(component::Panel117);
  }
}
void TForm1::Button3Click() {
  HideOverlay(component::Panel117);
}
void TForm1::Panel117Click() {
  HideOverlay(component::Panel117);
}
void TForm1::Button1Click() {
  if (ui_->Panel42->isHidden()) {
    ShowOverlay(component::Panel42);
  } else {
    display_->SetVisible(component::Panel42, false);
  }
}
void TForm1::Panel42Click() {
  display_->SetVisible(component::Panel42, false);
}

}  // namespace quillmere

namespace quillmere {
namespace {
// The map of each item of the percentage list.
constexpr const char* kMapFiles[] = {"Fig2 LiquidWater 0.1%.jpg",  "Fig3 LiquidWater 0.5%.jpg",
                                     "Fig4 LiquidWater 1.0%.jpg",  "Fig5 LiquidWater 5.0%.jpg",
                                     "Fig6 LiquidWater 10.0%.jpg", "Fig7 LiquidWater 20.0%.jpg"};

}  // namespace

std::filesystem::path TForm1::MapPath(const std::string& file_name) {
  // Every name stays in the system's bytes: a folder whose name is not
  // valid UTF-8 is found like any other.
  const std::optional<std::filesystem::path> found = FindShippedFile({&file_name, 1});
  // Not found: the viewer says so, naming the current folder.
  return found.value_or(StartFolder() / file_name);
}

void TForm1::PercentageDisplayClick(int item) {
  if (item < 0 || item >= static_cast<int>(std::size(kMapFiles))) return;
  state_.CurrentDirectory = StartFolder().string();
  map_path_ = MapPath(kMapFiles[item]).string();
  ShowCloudMap();
}

void TForm1::ShowCloudMap() {
  form2_->Image1()->setGeometry(1, 1, 1024, 768);
  hide();
  form2_->show();
  form2_->raise();
  const std::string error = form2_->LoadPicture(map_path_);
  if (!error.empty()) messages_->Error(error);
}

}  // namespace quillmere
