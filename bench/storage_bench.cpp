// The default data file: encoding and decoding one record, saving and
// loading it through a scratch folder (the save flushes to the disk), and
// loading a file of a gigabyte.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

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

// A scratch folder for the data file, removed afterwards, and the typical
// record to write into it.
class Scratch {
 public:
  explicit Scratch(benchmark::State& state) {
    std::string folder =
        (std::filesystem::temp_directory_path() / "quillmere-bench-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
      state.SkipWithError("no scratch folder");
      return;
    }
    folder_ = folder;
    file = folder_ / kDataFileName;
    EncodeRecord(Typical(), record);
  }
  ~Scratch() {
    if (!folder_.empty()) std::filesystem::remove_all(folder_);
  }
  bool ok() const { return !folder_.empty(); }

  std::filesystem::path file;
  DataRecord record;

 private:
  std::filesystem::path folder_;
};

void BM_WriteReadFile(benchmark::State& state) {
  Scratch scratch(state);
  if (!scratch.ok()) return;
  DataRecord loaded;
  for (auto _ : state) {
    if (!WriteDataFile(scratch.file, scratch.record).ok ||
        !ReadDataFile(scratch.file, loaded).ok()) {
      state.SkipWithError("save or load failed");
      break;
    }
    benchmark::DoNotOptimize(loaded);
  }
}
BENCHMARK(BM_WriteReadFile)->Unit(benchmark::kMicrosecond);

// The load alone, as every activation of the main window runs it.
void BM_ReadFile(benchmark::State& state) {
  Scratch scratch(state);
  if (!scratch.ok()) return;
  if (!WriteDataFile(scratch.file, scratch.record).ok) state.SkipWithError("save failed");
  DataRecord loaded;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReadDataFile(scratch.file, loaded));
  }
}
BENCHMARK(BM_ReadFile)->Unit(benchmark::kMicrosecond);

// The load of a 1 GiB data file (sparse, so it costs no disk) whose last
// record is the typical one: only that record is read, so this takes as
// long as the load of a one-record file. Target: at most 1 ms.
void BM_ReadGigabyteFile(benchmark::State& state) {
  Scratch scratch(state);
  if (!scratch.ok()) return;
  const off_t size = (off_t{1} << 30) / kRecordSize * kRecordSize;
  const int fd = ::open(scratch.file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0 || ::ftruncate(fd, size) != 0 ||
      ::pwrite(fd, scratch.record.bytes.data(), kRecordSize,
               size - static_cast<off_t>(kRecordSize)) != static_cast<ssize_t>(kRecordSize)) {
    state.SkipWithError("cannot make the file");
  }
  if (fd >= 0) ::close(fd);
  DataRecord loaded;
  for (auto _ : state) {
    if (!ReadDataFile(scratch.file, loaded).ok() || !(loaded == scratch.record)) {
      state.SkipWithError("load failed");
      break;
    }
    benchmark::DoNotOptimize(loaded);
  }
}
BENCHMARK(BM_ReadGigabyteFile)->Unit(benchmark::kMicrosecond);

}  // namespace
