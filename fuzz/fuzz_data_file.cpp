// Fuzz target: any bytes as the default data file Quillmere.dat, loaded at
// start into a calculator whose controls are emulated as the window has
// them, then recalculated. Beside the sanitizers' faults it stops on:
//  - a display text showing "nan" or "inf";
//  - a persisted field of the state that the range check would refuse, or a
//    field whose value is neither the one the file holds (when accepted) nor
//    the one it had before the load (when refused);
//  - a message count other than one warning for a damaged record, none else;
//  - a record that decodes and encodes over its own bytes into other bytes
//    (a load then save of an unchanged record must give the file back);
//  - a buffer other than the input's last whole record (or, with no whole
//    record, the buffer as it was), or a count of records other than the
//    input's.
//
// The bytes are written to a real file in the temporary folder, which the
// loader opens by name and reads through the program's own reader.

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "calculator.h"
#include "data_file.h"
#include "data_record.h"
#include "default_data.h"
#include "range_check.h"
#include "support/recording_display.h"

namespace {

using quillmere::Calculator;
using quillmere::DataRecord;
using quillmere::ItemIndex;
using quillmere::PersistedFields;
using quillmere::QuillmereState;
using quillmere::Real;
using quillmere::RecordBuffer;
using quillmere::Station;
using quillmere::testing::FakeSunMoon;
using quillmere::testing::RecordingDisplay;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz_data_file: %s\n", what.c_str());
  std::fflush(stderr);
  __builtin_trap();
}

// Counts what the user is told, by kind.
struct CountingMessages : quillmere::Messages {
  int information = 0, warnings = 0, errors = 0;
  std::string last;
  void Information(std::string_view t) override { ++information, last = t; }
  void Warning(std::string_view t) override { ++warnings, last = t; }
  void Error(std::string_view t) override { ++errors, last = t; }
  bool Confirm(std::string_view) override { return false; }
};

// A fresh program as start-up has it: zero state, controls as designed, the
// selection groups and sliders wired to their handlers as the window wires
// them.
struct Program {
  Program() : calc(state, display, moon, quillmere::FixedUtcClock({2026, 12, 7, 8, 0, 0, 0})) {
    display.Record(false);
    state.Home.VapourOverWater = state.DX.VapourOverWater = 1;
  }

  QuillmereState state;
  RecordingDisplay display;
  FakeSunMoon moon;
  Calculator calc;
  RecordBuffer buffer;
  CountingMessages messages;
};

// The judged fields whose value no selection handler of the load rewrites,
// by the range check's names. (Frequency is left out: the band selection sets
// it from its table.)
struct Field {
  const char* name;
  Real (*get)(const PersistedFields&);
};
#define QUILLMERE_FIELD(path)                                      \
  {                                                                \
#path, [](const PersistedFields& f) -> Real { return f.path; } \
  }
constexpr Field kKeptFields[] = {
    QUILLMERE_FIELD(Home.Temperature),   QUILLMERE_FIELD(Home.Humidity),
    QUILLMERE_FIELD(DX.Humidity),        QUILLMERE_FIELD(TerrestrialPathLength),
    QUILLMERE_FIELD(Home.EmeElevation),  QUILLMERE_FIELD(Home.Pressure),
    QUILLMERE_FIELD(DX.Temperature),     QUILLMERE_FIELD(Home.HeightAsl),
    QUILLMERE_FIELD(DX.Pressure),        QUILLMERE_FIELD(DX.EmeElevation),
    QUILLMERE_FIELD(EmePathMode),        QUILLMERE_FIELD(Home.RainRateIndex),
    QUILLMERE_FIELD(DX.RainRateIndex),   QUILLMERE_FIELD(Home.Polarisation),
    QUILLMERE_FIELD(DX.Polarisation),    QUILLMERE_FIELD(FrequencyIndex),
    QUILLMERE_FIELD(DisplayDecimals),    QUILLMERE_FIELD(Home.LatitudeZone),
    QUILLMERE_FIELD(Home.Season),        QUILLMERE_FIELD(DX.LatitudeZone),
    QUILLMERE_FIELD(DX.Season),          QUILLMERE_FIELD(Home.FogIndex),
    QUILLMERE_FIELD(MoonSliderPosition), QUILLMERE_FIELD(Home.CloudPosition),
    QUILLMERE_FIELD(HelpDelayIndex),     QUILLMERE_FIELD(DX.CloudPosition),
    QUILLMERE_FIELD(DX.FogIndex),
};
#undef QUILLMERE_FIELD

bool Contains(const std::vector<std::string>& names, const char* name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

std::string Number(Real x) {
  char text[64];
  std::snprintf(text, sizeof text, "%.21Lg", x);
  return text;
}

void CheckTexts(const RecordingDisplay& display, const char* when) {
  for (const auto& [name, text] : display.texts) {
    if (text.find("nan") != std::string::npos || text.find("inf") != std::string::npos) {
      Fail(std::string(when) + ": " + name + " shows \"" + text + "\"");
    }
  }
}

// Decoding a record and encoding the fields over a copy of it must give the
// same 288 bytes back.
void CheckRoundTrip(const DataRecord& record, const char* which) {
  DataRecord copy = record;
  quillmere::EncodeRecord(quillmere::DecodeRecord(record), copy);
  if (copy == record) return;
  std::string where;
  for (std::size_t i = 0; i < quillmere::kRecordSize; ++i) {
    if (copy.bytes[i] != record.bytes[i]) {
      where += " " + std::to_string(i);
      if (where.size() > 60) break;
    }
  }
  Fail(std::string(which) + ": decode then encode changed bytes at offsets" + where);
}

// The data file the reader opens, in a folder of this run's own.
const std::filesystem::path& InputPath() {
  static const std::filesystem::path path = [] {
    std::string name = (std::filesystem::temp_directory_path() / "quillmere-fuzz-XXXXXX").string();
    if (::mkdtemp(name.data()) == nullptr) std::abort();
    return std::filesystem::path(name) / quillmere::kDataFileName;
  }();
  return path;
}

void Store(const std::uint8_t* data, std::size_t size) {
  std::ofstream out(InputPath(), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out) std::abort();
}

// The real reader alone: the last whole record, nothing else.
void CheckLastRecord(const std::uint8_t* data, std::size_t size) {
  DataRecord buffer;
  buffer.bytes.fill(0xa5);
  const DataRecord before = buffer;
  const quillmere::ReadResult read = quillmere::ReadDataFile(InputPath(), buffer);
  if (!read.ok()) Fail("the reader failed: " + read.message);
  const std::size_t records = size / quillmere::kRecordSize;
  if (read.records_read != records)
    Fail("the reader counted " + std::to_string(read.records_read) + " records");
  DataRecord want = before;
  if (records > 0) {
    std::copy_n(data + (records - 1) * quillmere::kRecordSize, quillmere::kRecordSize,
                want.bytes.begin());
  }
  if (!(buffer == want)) Fail("the reader gave another record than the last whole one");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The record alone: the input's first 288 bytes, zero-padded.
  DataRecord head;
  std::copy_n(data, std::min(size, quillmere::kRecordSize), head.bytes.begin());
  CheckRoundTrip(head, "the input's first record");

  Store(data, size);
  CheckLastRecord(data, size);
  const std::filesystem::path path = InputPath();

  Program p;
  const PersistedFields before = quillmere::FromState(p.state);
  quillmere::LoadDefaults(p.calc, p.display, p.buffer, path, p.messages);

  if (p.messages.errors != 0) Fail("the load failed: " + p.messages.last);
  const PersistedFields file = quillmere::DecodeRecord(p.buffer.record());
  const std::vector<std::string> bad = quillmere::OutOfRangeFields(file);
  const int warnings_expected = bad.empty() ? 0 : 1;
  if (p.messages.warnings != warnings_expected || p.messages.information != 0) {
    Fail("the user was told " + std::to_string(p.messages.warnings) + " warnings and " +
         std::to_string(p.messages.information) + " notes; expected " +
         std::to_string(warnings_expected) + " warnings");
  }

  const PersistedFields after = quillmere::FromState(p.state);
  const std::vector<std::string> now_bad = quillmere::OutOfRangeFields(after);
  if (!now_bad.empty()) Fail("after the load " + now_bad.front() + " is out of range");
  for (const Field& field : kKeptFields) {
    const Real want = Contains(bad, field.name) ? field.get(before) : field.get(file);
    const Real got = field.get(after);
    if (!(got == want)) {
      Fail(std::string(field.name) + " is " + Number(got) + " after the load, expected " +
           Number(want) + (Contains(bad, field.name) ? " (refused)" : " (accepted)"));
    }
  }
  if (p.state.Home.Humidity < 0 || p.state.Home.Humidity > 100 || p.state.DX.Humidity < 0 ||
      p.state.DX.Humidity > 100) {
    Fail("a humidity outside 0..100 % was applied");
  }
  CheckTexts(p.display, "after the load");

  p.calc.Recalculate();
  CheckTexts(p.display, "after a recalculation");

  CheckRoundTrip(p.buffer.record(), "the loaded record");
  return 0;
}
