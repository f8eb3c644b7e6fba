// Between the state and the record's fields: a save takes exactly the
// persisted fields, a load puts them back with what each also sets, and a
// field the load refused keeps the state's value, with what it would set.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <type_traits>
#include <variant>

#include "data_file.h"
#include "data_record.h"
#include "range_check.h"
#include "record_state.h"

namespace quillmere {
namespace {

// Every field holds a value no other field holds.
PersistedFields Distinct() {
  DataRecord record;
  const ReadResult read =
      ReadDataFile(std::string(QUILLMERE_TEST_DATA) + "/records/distinct.dat", record);
  EXPECT_TRUE(read.ok()) << read.message;
  return DecodeRecord(record);
}

// What a field of the record holds, comparable between records.
using FieldValue = std::variant<std::monostate, Real, std::int64_t, std::string>;

FieldValue ValueOf(const RecordField& field, const PersistedFields& fields) {
  return std::visit(
      [](auto member) -> FieldValue {
        using M = decltype(member);
        if constexpr (std::is_same_v<M, std::monostate>) {
          return member;
        } else if constexpr (std::is_same_v<M, Real*> || std::is_same_v<M, std::string*>) {
          return *member;
        } else {
          return std::int64_t{*member};
        }
      },
      ReadMember(field, fields));
}

// A state whose persisted fields and the values they also set all differ
// from those of Distinct().
QuillmereState Running() {
  QuillmereState s;
  for (StationParams* st : {&s.Home, &s.DX}) {
    st->Temperature = 1, st->Humidity = 2, st->Pressure = 3, st->EmeElevation = 4;
    st->Elevation = 4.5L, st->HeightAsl = 5, st->LatitudeZone = 1, st->Season = 1;
    st->RainRateIndex = 1, st->Polarisation = 1, st->FogIndex = 1, st->CloudPosition = 1;
  }
  s.Frequency = 10.368L, s.FrequencyIndex = 1, s.DisplayDecimals = 1, s.HelpDelayIndex = 1;
  s.EmePathMode = 1, s.TerrestrialPathLength = 6, s.PathLength = 384400;
  s.MoonSliderPosition = 1, s.SpareFlag = 1, s.ReservedText1 = "a", s.ReservedText2 = "b";
  s.ReservedValues.fill(7);
  return s;
}

TEST(RecordState, ALoadThenASaveGivesEveryFieldBack) {
  QuillmereState s;
  ApplyToState(Distinct(), s);
  EXPECT_EQ(FromState(s), Distinct());
}

TEST(RecordState, ALoadAlsoSetsThePathLengthAndTheWorkingElevations) {
  QuillmereState s = Running();
  ApplyToState(Distinct(), s);
  EXPECT_EQ(s.PathLength, -55.625L);
  EXPECT_EQ(s.Home.Elevation, 66.75L);
  EXPECT_EQ(s.DX.Elevation, -122.375L);
}

TEST(RecordState, TheSlotAtOffset40TakesTheTerrestrialPathLengthNotTheMoonDistance) {
  const QuillmereState s = Running();  // EME mode: PathLength is the Moon's distance
  EXPECT_EQ(FromState(s).TerrestrialPathLength, 6);
}

TEST(RecordState, WhatTheRecordDoesNotHoldIsLeftAlone) {
  QuillmereState s = Running();
  s.DX.HeightAsl = 250;
  s.Home.VapourOverWater = 1;
  s.Home.RainRate = 25;
  s.MoonDistance = 370000;
  s.CurrentDirectory = "/home/op";
  ApplyToState(Distinct(), s);
  EXPECT_EQ(s.DX.HeightAsl, 250);
  EXPECT_EQ(s.Home.VapourOverWater, 1);
  EXPECT_EQ(s.Home.RainRate, 25);
  EXPECT_EQ(s.MoonDistance, 370000);
  EXPECT_EQ(s.CurrentDirectory, "/home/op");
}

// Each field in turn refused: it alone keeps the running value, and so do
// the values its load would also set; every other field is applied.
TEST(RecordState, ARefusedFieldAloneKeepsTheStateValue) {
  const PersistedFields loaded = Distinct();
  const PersistedFields before = FromState(Running());
  for (std::size_t i = 0; i < kRecordFieldCount; ++i) {
    if (kRecordFields[i].kind == FieldKind::kReserved) continue;
    FieldSet kept;
    kept.set(i);
    QuillmereState s = Running();
    ApplyToState(loaded, s, kept);
    const PersistedFields now = FromState(s);
    for (std::size_t j = 0; j < kRecordFieldCount; ++j) {
      const RecordField& field = kRecordFields[j];
      EXPECT_EQ(ValueOf(field, now), ValueOf(field, j == i ? before : loaded))
          << field.name << " with " << kRecordFields[i].name << " refused";
    }
    const bool path_kept = i == FieldIndex("TerrestrialPathLength");
    EXPECT_EQ(s.PathLength, path_kept ? 384400 : loaded.TerrestrialPathLength)
        << kRecordFields[i].name;
    const bool home_kept = i == FieldIndex("Home.EmeElevation");
    EXPECT_EQ(s.Home.Elevation, home_kept ? 4.5L : loaded.Home.EmeElevation)
        << kRecordFields[i].name;
    const bool dx_kept = i == FieldIndex("DX.EmeElevation");
    EXPECT_EQ(s.DX.Elevation, dx_kept ? 4.5L : loaded.DX.EmeElevation) << kRecordFields[i].name;
  }
}

// Every band frequency is one a record may hold; any other is refused.
TEST(RecordState, TheBandTableGivesTheFrequenciesARecordMayHold) {
  PersistedFields f;
  for (const BandRow& band : BandTable) {
    f.Frequency = band.frequency;
    EXPECT_TRUE(OutOfRangeFields(f, kBandFrequencies).none()) << band.frequency;
    f.Frequency = band.frequency + 0.001L;
    EXPECT_EQ(FieldNames(OutOfRangeFields(f, kBandFrequencies)),
              std::vector<std::string>{"Frequency"})
        << band.frequency;
  }
}

}  // namespace
}  // namespace quillmere
