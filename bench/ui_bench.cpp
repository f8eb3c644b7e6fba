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

#include "font_substitutes.h"
#include "panel.h"
#include "tform1.h"
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
