// The default data file: encoding and decoding one record, and saving and
// loading it through a scratch folder (the save flushes to the disk).

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "data_file.h"
#include "data_record.h"
#include "extended_real.h"

namespace {

using namespace quillmere;

PersistedFields Typical() {
  PersistedFields f;
  f.Home.Temperature = 15.0L;
  f.Home.Humidity = 50.0L;
  f.Home.Pressure = 1013.0L;
  f.Home.HeightAsl = 120.0L;
  f.Home.EmeElevation = 30.0L;
  f.Home.LatitudeZone = 1;
  f.Home.Polarisation = 2;
  f.Home.CloudPosition = 2;
  f.DX.Temperature = 20.0L;
  f.DX.Humidity = 60.0L;
  f.DX.Pressure = 1005.0L;
  f.DX.EmeElevation = 25.0L;
  f.DX.LatitudeZone = 2;
  f.DX.Season = 1;
  f.DX.RainRateIndex = 3;
  f.DX.Polarisation = 1;
  f.DX.FogIndex = 2;
  f.DX.CloudPosition = 10;
  f.Frequency = 10.368L;
  f.DisplayDecimals = 3;
  f.HelpDelayIndex = 1;
  f.EmePathMode = 1;
  f.TerrestrialPathLength = 10.0L;
  f.MoonSliderPosition = 56;
  f.ReservedText1 = "EME 2026";
  return f;
}

void BM_EncodeExtended(benchmark::State& state) {
  Real x = 10.368L;
  for (auto _ : state) {
    benchmark::DoNotOptimize(x);
    benchmark::DoNotOptimize(EncodeExtended(x));
  }
}
BENCHMARK(BM_EncodeExtended);

void BM_DecodeExtended(benchmark::State& state) {
  const ExtendedBytes bytes = EncodeExtended(10.368L);
  for (auto _ : state) {
    benchmark::DoNotOptimize(bytes);
    benchmark::DoNotOptimize(DecodeExtended(bytes.data()));
  }
}
BENCHMARK(BM_DecodeExtended);

// A save over a buffer holding other values (every real rewritten), then the
// decode of the load.
void BM_EncodeDecodeRecord(benchmark::State& state) {
  const PersistedFields fields = Typical();
  DataRecord buffer;
  for (auto _ : state) {
    buffer.bytes.fill(0);
    EncodeRecord(fields, buffer);
    PersistedFields back = DecodeRecord(buffer);
    benchmark::DoNotOptimize(back);
  }
}
BENCHMARK(BM_EncodeDecodeRecord);

void BM_WriteReadFile(benchmark::State& state) {
  std::string folder = (std::filesystem::temp_directory_path() / "quillmere-bench-XXXXXX").string();
  if (::mkdtemp(folder.data()) == nullptr) {
    state.SkipWithError("no scratch folder");
    return;
  }
  const std::filesystem::path file = std::filesystem::path(folder) / kDataFileName;
  DataRecord record;
  EncodeRecord(Typical(), record);
  DataRecord loaded;
  for (auto _ : state) {
    if (!WriteDataFile(file, record).ok || !ReadDataFile(file, loaded).ok()) {
      state.SkipWithError("save or load failed");
      break;
    }
    benchmark::DoNotOptimize(loaded);
  }
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_WriteReadFile)->Unit(benchmark::kMicrosecond);

// The load alone, as every activation of the main window runs it.
void BM_ReadFile(benchmark::State& state) {
  std::string folder = (std::filesystem::temp_directory_path() / "quillmere-bench-XXXXXX").string();
  if (::mkdtemp(folder.data()) == nullptr) {
    state.SkipWithError("no scratch folder");
    return;
  }
  const std::filesystem::path file = std::filesystem::path(folder) / kDataFileName;
  DataRecord record;
  EncodeRecord(Typical(), record);
  if (!WriteDataFile(file, record).ok) state.SkipWithError("save failed");
  DataRecord loaded;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReadDataFile(file, loaded));
  }
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ReadFile)->Unit(benchmark::kMicrosecond);

}  // namespace
