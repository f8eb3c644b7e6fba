// The Moon planner for a fortnight at one-minute steps (20 160 rows for both
// stations): the whole computation with the ray-traced or the window's air,
// and the charts redrawn: the series
// thinned and replaced, the two charts painted, the Now line moved with the
// clock, and the whole window painted after it (Qt's offscreen platform).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QChartView>
#include <QPixmap>
#include <QStyleFactory>
#include <filesystem>
#include <memory>

#include "default_data.h"
#include "planner_charts.h"
#include "planner_window.h"
#include "tform1.h"
#include "widget_display.h"

namespace {

constexpr double k2026Dec7 = 1796601600.0;

std::unique_ptr<quillmere::TForm1> g_form;
std::unique_ptr<quillmere::PlannerWindow> g_planner;
double g_now = k2026Dec7 + 3600;  // the planner's clock, s

quillmere::SilentMessages g_quiet;

void Prepare() {
  if (g_planner) return;
  g_form = std::make_unique<quillmere::TForm1>(nullptr,
                                               quillmere::FixedUtcClock({2026, 12, 7, 0, 0, 0, 0}));
  g_form->SetMessages(&g_quiet);
  quillmere::RecordBuffer buffer;
  quillmere::LoadDefaults(g_form->Calc(), g_form->ComponentDisplay(), buffer,
                          std::filesystem::path(QUILLMERE_BENCH_DATA) / "typical.dat", g_quiet);
  quillmere::PlannerWindow::Host host;
  host.state = [] { return g_form->State(); };
  host.now_utc_s = [] { return g_now; };
  g_planner = std::make_unique<quillmere::PlannerWindow>(
      nullptr, std::filesystem::temp_directory_path() / "quillmere-bench-stations.ini",
      std::move(host));
  g_planner->SetStationText(false, "G4XYZ", "JO01");
  g_planner->SetStationText(true, "W1ABC", "FN31");
  g_planner->SetSpan(k2026Dec7, 14 * 24 * 60, 1);
  g_planner->resize(1280, 900);
  g_planner->show();
  // The planner computes as it opens: let that finish before timing.
  while (g_planner->Computing()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
  QCoreApplication::processEvents();
  g_planner->Calculate();
}

// The fortnight computed and shown, as a change of the stations or the span
// computes it: the Moon for both stations, the windows, the three paths'
// degradation with the ray-traced air (arg 1; its tables made once per
// weather and kept) or the window's cosecant model (arg 0), then the table
// and the charts. Target: at most 200 ms.
void BM_PlannerFortnight(benchmark::State& state) {
  Prepare();
  g_planner->SetRayTraced(state.range(0) != 0);
  g_planner->Calculate();
  for (auto _ : state) g_planner->Calculate();
  state.counters["rows"] = g_planner->RowCount();
  g_planner->SetRayTraced(true);
}
BENCHMARK(BM_PlannerFortnight)->ArgName("ray")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The series only: thinning 20 160 rows to an 800-pixel plot and replacing
// every series of both charts.
void BM_PlannerChartSeries(benchmark::State& state) {
  Prepare();
  for (auto _ : state) g_planner->RedrawCharts(800);
  state.counters["rows"] = g_planner->RowCount();
}
BENCHMARK(BM_PlannerChartSeries)->Unit(benchmark::kMillisecond);

// The fortnight's charts redrawn and painted, the two chart views alone:
// what a resize or a new span costs the charts. Target: one frame, 16 ms.
void BM_PlannerChartsRedrawAndPaint(benchmark::State& state) {
  Prepare();
  QWidget* views[] = {g_planner->Charts().ElevationView(), g_planner->Charts().DegradationView()};
  for (auto _ : state) {
    g_planner->RedrawCharts(800);
    for (QWidget* view : views) {
      const QPixmap shot = view->grab();
      benchmark::DoNotOptimize(shot.cacheKey());
    }
  }
}
BENCHMARK(BM_PlannerChartsRedrawAndPaint)->Unit(benchmark::kMillisecond);

// The clock's tick over the fortnight: the Now line moved a second and the
// charts painted again; the series stay as they are.
void BM_PlannerNowTick(benchmark::State& state) {
  Prepare();
  QWidget* views[] = {g_planner->Charts().ElevationView(), g_planner->Charts().DegradationView()};
  for (auto _ : state) {
    g_now += 1;
    g_planner->NowTick();
    for (QWidget* view : views) {
      const QPixmap shot = view->grab();
      benchmark::DoNotOptimize(shot.cacheKey());
    }
  }
}
BENCHMARK(BM_PlannerNowTick)->Unit(benchmark::kMillisecond);

// The series and the paint of the whole window that shows them.
void BM_PlannerRedrawAndPaint(benchmark::State& state) {
  Prepare();
  for (auto _ : state) {
    g_planner->RedrawCharts(800);
    const QPixmap shot = g_planner->grab();
    benchmark::DoNotOptimize(shot.cacheKey());
  }
}
BENCHMARK(BM_PlannerRedrawAndPaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  // The picture of the planner in docs/ is taken here: two days from
  // 2026-12-07 00:00 UTC for JO01 and FN31.
  if (const QByteArray shot = qgetenv("QUILLMERE_PLANNER_SHOT"); !shot.isEmpty()) {
    Prepare();
    g_planner->SetSpan(k2026Dec7, 2 * 24 * 60, 1);
    g_planner->Calculate();
    const bool saved = g_planner->grab().save(QString::fromLocal8Bit(shot));
    g_planner.reset();
    g_form.reset();
    return saved ? 0 : 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  g_planner.reset();
  g_form.reset();
  return 0;
}
