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
#include "record_state.h"
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
  const std::size_t records = size / quillmere::kRecordSize;
  // Without a whole record there is nothing to load: a failure of its own.
  if (records == 0) {
    if (read.status != quillmere::ReadResult::Status::kNoRecord || !(buffer == before))
      Fail("a file without a whole record was not refused: " + read.message);
    return;
  }
  if (!read.ok()) Fail("the reader failed: " + read.message);
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
  // A file without a whole record loads nothing: one warning says so, and
  // every field keeps what it held, as if each were refused.
  const bool loaded = size >= quillmere::kRecordSize;
  quillmere::FieldSet bad = quillmere::OutOfRangeFields(file, quillmere::kBandFrequencies);
  if (!loaded) bad.set();
  const int warnings_expected = bad.none() ? 0 : 1;
  if (p.messages.warnings != warnings_expected || p.messages.information != 0) {
    Fail("the user was told " + std::to_string(p.messages.warnings) + " warnings and " +
         std::to_string(p.messages.information) + " notes; expected " +
         std::to_string(warnings_expected) + " warnings");
  }

  const PersistedFields after = quillmere::FromState(p.state);
  const std::vector<std::string> now_bad =
      quillmere::FieldNames(quillmere::OutOfRangeFields(after, quillmere::kBandFrequencies));
  if (!now_bad.empty()) Fail("after the load " + now_bad.front() + " is out of range");
  // Every judged field but the frequency, which the band selection sets from
  // its table, holds what the file held, or where the file's value was
  // refused, what the state held before.
  for (std::size_t i = 0; i < quillmere::kRecordFieldCount; ++i) {
    const quillmere::RecordField& field = quillmere::kRecordFields[i];
    if (field.rule == quillmere::FieldRule::kCarried || i == quillmere::FieldIndex("Frequency")) {
      continue;
    }
    const Real want = quillmere::JudgedValue(field, bad[i] ? before : file);
    const Real got = quillmere::JudgedValue(field, after);
    if (!(got == want)) {
      Fail(std::string(field.name) + " is " + Number(got) + " after the load, expected " +
           Number(want) + (bad[i] ? " (refused)" : " (accepted)"));
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
