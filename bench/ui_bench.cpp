// What the window costs a recalculation: the ~100 text writes of one click,
// with the texts unchanged (most fields, most clicks) and all changed, each
// followed by the repaint they cause; a rescale of the whole form; building
// the form.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QStyleFactory>
#include <memory>
#include <string>
#include <vector>

#include "default_data.h"
#include "font_substitutes.h"
#include "panel.h"
#include "spectrum_window.h"
#include "spin_button.h"
#include "tform1.h"
#include "ui_tform1.h"
#include "widget_display.h"

namespace {

std::unique_ptr<quillmere::TForm1> g_form;
std::vector<std::string> g_fields;

// The value fields of the form (those that show their own name at design),
// about as many as one recalculation writes.
std::vector<std::string> ValueFields() {
  std::vector<std::string> names;
  for (QWidget* w : g_form->ComponentList()) {
    auto* p = qobject_cast<quillmere::Panel*>(w);
    if (p != nullptr && p->caption() == p->objectName()) {
      names.push_back(p->objectName().toStdString());
    }
  }
  return names;
}

void BM_WriteUnchangedTexts(benchmark::State& state) {
  quillmere::WidgetDisplay display(*g_form);
  const std::vector<std::string>& fields = g_fields;
  for (const std::string& f : fields) display.SetText(f, "0.01234567 dB/km");
  QCoreApplication::processEvents();
  for (auto _ : state) {
    for (const std::string& f : fields) display.SetText(f, "0.01234567 dB/km");
    QCoreApplication::processEvents();
  }
  state.counters["fields"] = double(fields.size());
}
BENCHMARK(BM_WriteUnchangedTexts);

void BM_WriteChangedTexts(benchmark::State& state) {
  quillmere::WidgetDisplay display(*g_form);
  const std::vector<std::string>& fields = g_fields;
  const std::string texts[2] = {"0.01234567 dB/km", "0.01234568 dB/km"};
  int n = 0;
  for (auto _ : state) {
    const std::string& text = texts[n++ & 1];
    for (const std::string& f : fields) display.SetText(f, text);
    QCoreApplication::processEvents();
  }
  state.counters["fields"] = double(fields.size());
}
BENCHMARK(BM_WriteChangedTexts);

void BM_RescaleForm(benchmark::State& state) {
  const QSize sizes[2] = {QSize(1200, 1000), QSize(1064, 886)};
  int n = 0;
  for (auto _ : state) {
    g_form->ResizeClientArea(sizes[n++ & 1]);
    QCoreApplication::processEvents();
  }
  g_form->ShowAtDesignSize();
}
BENCHMARK(BM_RescaleForm)->Unit(benchmark::kMillisecond);

// One user action end to end: a temperature stepper click through its
// handler, the recalculation (with the sun/moon query of the EME mode) and
// every widget update, then (second variant) the repaint it causes.
void BM_StepperClick(benchmark::State& state) {
  quillmere::SilentMessages quiet;
  quillmere::TForm1 form;
  form.SetMessages(&quiet);
  form.show();
  quillmere::RecordBuffer buffer;
  quillmere::LoadDefaults(form.Calc(), form.ComponentDisplay(), buffer,
                          std::filesystem::path(QUILLMERE_BENCH_DATA) / "typical.dat", quiet);
  QCoreApplication::processEvents();
  quillmere::SpinButton* button = form.Components().TempButtonA;
  const bool paint = state.range(0) != 0;
  int n = 0;
  for (auto _ : state) {
    if (n++ & 1) {
      emit button->downClicked();
    } else {
      emit button->upClicked();
    }
    if (paint) QCoreApplication::processEvents();
  }
}
BENCHMARK(BM_StepperClick)->ArgName("paint")->Arg(0)->Arg(1);

// The "Spectrum and elevation" view after a change of one station's
// weather: from the click to the first redraw (both elevation charts and a
// 5 GHz sketch of the spectrum, computed off the UI thread, then painted;
// arg 0) or to the last (the spectrum at 1 GHz; arg 1). The view hears of
// the change from the recalculation that the click runs; nothing else
// tells it here. Target for the first redraw: at most 50 ms.
void BM_SpectrumRedrawAfterWeatherChange(benchmark::State& state) {
  quillmere::SilentMessages quiet;
  quillmere::TForm1 form;
  form.SetMessages(&quiet);
  quillmere::RecordBuffer buffer;
  quillmere::LoadDefaults(form.Calc(), form.ComponentDisplay(), buffer,
                          std::filesystem::path(QUILLMERE_BENCH_DATA) / "typical.dat", quiet);
  form.OpenSpectrum();
  quillmere::SpectrumWindow* view = form.Spectrum();
  const auto settle = [view] {
    while (view->Computing()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QCoreApplication::processEvents();
  };
  settle();
  const bool to_the_last = state.range(0) != 0;
  quillmere::SpinButton* button = form.Components().TempButtonA;
  int n = 0;
  for (auto _ : state) {
    const int before = view->Redraws();
    if (n++ & 1) {
      emit button->downClicked();
    } else {
      emit button->upClicked();
    }
    if (to_the_last) {
      settle();
    } else {
      while (view->Redraws() == before)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
      state.PauseTiming();
      settle();
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_SpectrumRedrawAfterWeatherChange)
    ->ArgName("last")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_BuildForm(benchmark::State& state) {
  for (auto _ : state) {
    quillmere::TForm1 form;
    benchmark::DoNotOptimize(form.ComponentList().size());
  }
}
BENCHMARK(BM_BuildForm)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  quillmere::InstallFontSubstitutes();
  g_form = std::make_unique<quillmere::TForm1>();
  g_form->show();
  QCoreApplication::processEvents();
  g_fields = ValueFields();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  g_form.reset();
  return 0;
}
