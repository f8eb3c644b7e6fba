// The program's own work from the weather service's reply to the figures on
// the main window: the reply judged, the figures applied to one station's
// temperature, humidity and pressure steppers and the one recalculation
// with every widget updated (paint:0), then also repainted (paint:1). The
// wait for the network is the service's, not the program's, and is not
// here. Target: at most 1 ms. Two recorded replies take turns, so that
// every apply changes the figures.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QStyleFactory>
#include <fstream>
#include <iterator>
#include <string>
#include <variant>

#include "default_data.h"
#include "font_substitutes.h"
#include "open_meteo.h"
#include "planner_host.h"
#include "tform1.h"
#include "widget_display.h"

namespace {

std::string Recorded(const char* name) {
  std::ifstream in(std::string(QUILLMERE_BENCH_WEATHER) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void BM_ApplyImportedWeather(benchmark::State& state) {
  quillmere::SilentMessages quiet;
  quillmere::TForm1 form;
  form.SetMessages(&quiet);
  form.show();
  quillmere::RecordBuffer buffer;
  quillmere::LoadDefaults(form.Calc(), form.ComponentDisplay(), buffer,
                          std::filesystem::path(QUILLMERE_BENCH_RECORDS) / "typical.dat", quiet);
  QCoreApplication::processEvents();
  const std::string replies[2] = {Recorded("ok.json"), Recorded("mountain.json")};
  if (replies[0].empty() || replies[1].empty()) {
    state.SkipWithError("the recorded replies cannot be read");
    return;
  }
  const bool paint = state.range(0) != 0;
  int n = 0;
  for (auto _ : state) {
    const quillmere::WeatherResult result =
        quillmere::ParseForecastReply(200, "application/json", replies[n++ & 1]);
    const auto* weather = std::get_if<quillmere::CurrentWeather>(&result);
    if (weather == nullptr) {
      state.SkipWithError("a recorded reply was refused");
      return;
    }
    benchmark::DoNotOptimize(form.ApplyStationWeather(
        quillmere::WeatherStation::kHome,
        {weather->temperature_c, weather->humidity_pct, weather->pressure_hpa}));
    if (paint) QCoreApplication::processEvents();
  }
}
BENCHMARK(BM_ApplyImportedWeather)->ArgName("paint")->Arg(0)->Arg(1);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  quillmere::InstallFontSubstitutes();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
