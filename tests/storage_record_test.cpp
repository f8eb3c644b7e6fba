// The 288-byte record: every field of the stored test files decodes to the
// value their description gives, re-encoding gives the file's bytes back, and
// what the format leaves to the buffer (reserved bytes, the bytes after the
// short strings' texts, non-canonical reals of unchanged values) survives.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "data_file.h"
#include "data_record.h"

namespace quillmere {
namespace {

const std::string kRecords = std::string(QUILLMERE_TEST_DATA) + "/records/";

std::vector<std::uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

DataRecord RecordAt(const std::vector<std::uint8_t>& bytes, std::size_t index) {
  DataRecord r;
  std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(index * kRecordSize), kRecordSize,
              r.bytes.begin());
  return r;
}

// --- Every field, named as in the test files --------------------------------

using FieldValue = std::variant<Real, std::int64_t, std::string>;

struct Field {
  std::string name;
  std::function<FieldValue(const PersistedFields&)> get;
};

#define REAL(path)                                                       \
  {                                                                      \
#path, [](const PersistedFields& f) -> FieldValue { return f.path; } \
  }
#define INT(path)                                                                      \
  {                                                                                    \
#path, [](const PersistedFields& f) -> FieldValue { return std::int64_t{f.path}; } \
  }
#define TEXT(path)                                                       \
  {                                                                      \
#path, [](const PersistedFields& f) -> FieldValue { return f.path; } \
  }

const std::vector<Field> kFields = {
    REAL(Home.Temperature),  REAL(Home.Humidity),     REAL(Home.Pressure),
    REAL(Home.HeightAsl),    REAL(Home.EmeElevation), INT(Home.LatitudeZone),
    INT(Home.Season),        INT(Home.RainRateIndex), INT(Home.Polarisation),
    INT(Home.FogIndex),      INT(Home.CloudPosition), REAL(DX.Temperature),
    REAL(DX.Humidity),       REAL(DX.Pressure),       REAL(DX.EmeElevation),
    INT(DX.LatitudeZone),    INT(DX.Season),          INT(DX.RainRateIndex),
    INT(DX.Polarisation),    INT(DX.FogIndex),        INT(DX.CloudPosition),
    REAL(Frequency),         INT(FrequencyIndex),     INT(DisplayDecimals),
    INT(HelpDelayIndex),     INT(EmePathMode),        REAL(TerrestrialPathLength),
    INT(MoonSliderPosition), INT(SpareFlag),          TEXT(ReservedText1),
    TEXT(ReservedText2),     REAL(ReservedValues[0]), REAL(ReservedValues[1]),
    REAL(ReservedValues[2]), REAL(ReservedValues[3]), REAL(ReservedValues[4]),
    REAL(ReservedValues[5]), REAL(ReservedValues[6]),
};

#undef REAL
#undef INT
#undef TEXT

// A real in the test files is the nearest double, or "nan", "inf", "-inf", or
// a magnitude beyond the doubles written as its leading digits cut off, not
// rounded: the nearest extended value to 1e4000, 9.99...e3999, is written
// "9e3999". The interval's top is closed, as 1e4000 itself rounds to that
// same extended value.
::testing::AssertionResult RealMatches(Real value, const nlohmann::json& expected) {
  if (expected.is_number()) {
    if (static_cast<double>(value) == expected.get<double>()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "decoded " << static_cast<double>(value);
  }
  const std::string text = expected.get<std::string>();
  if (text == "nan") {
    return std::isnan(value) ? ::testing::AssertionSuccess()
                             : ::testing::AssertionFailure() << "decoded " << value;
  }
  if (text == "inf" || text == "-inf") {
    const Real inf = std::numeric_limits<Real>::infinity();
    return value == (text == "inf" ? inf : -inf)
               ? ::testing::AssertionSuccess()
               : ::testing::AssertionFailure() << "decoded " << value;
  }
  // Leading digits cut off: value lies in [digits, digits + one unit of the last digit].
  const std::size_t e = text.find_first_of("eE");
  const std::string digits = text.substr(0, e);
  const std::size_t point = digits.find('.');
  const long decimals =
      point == std::string::npos ? 0 : static_cast<long>(digits.size() - point - 1);
  const long exponent = std::strtol(text.c_str() + e + 1, nullptr, 10);
  const Real low = std::strtold(text.c_str(), nullptr);
  const Real unit = std::pow(10.0L, static_cast<Real>(exponent - decimals));
  const Real magnitude = std::fabs(value);
  if (magnitude >= low && magnitude <= low + unit) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "decoded " << value << ", outside [" << low << ", " << low + unit << "]";
}

struct Vector {
  const char* name;
  std::size_t records;  // whole records in the file
};

void PrintTo(const Vector& c, std::ostream* os) {
  *os << c.name;
}

const Vector kVectors[] = {
    {"typical", 1},
    {"three-records", 3},
    {"trailing-partial", 1},
    {"reserved-carry", 1},
    {"damaged", 1},
    // Every field different from every other: swapped offsets show.
    {"distinct", 1},
};

class Vectors : public ::testing::TestWithParam<Vector> {
 protected:
  std::string dat() const { return kRecords + GetParam().name + ".dat"; }
  nlohmann::json expected() const {
    std::ifstream in(kRecords + GetParam().name + ".json");
    return nlohmann::json::parse(in)["expected"];
  }
};

TEST_P(Vectors, EveryFieldDecodesToTheDescribedValue) {
  DataRecord buffer;
  const ReadResult read = ReadDataFile(dat(), buffer);
  ASSERT_TRUE(read.ok()) << read.message;
  ASSERT_EQ(read.records_read, GetParam().records);
  const PersistedFields fields = DecodeRecord(buffer);
  const nlohmann::json want = expected();

  std::set<std::string> described;
  for (const auto& item : want.items()) described.insert(item.key());
  std::set<std::string> known;
  for (const Field& field : kFields) known.insert(field.name);
  EXPECT_EQ(described, known) << "the description and the record must name the same fields";

  for (const Field& field : kFields) {
    if (!want.contains(field.name)) continue;
    const nlohmann::json& w = want[field.name];
    const FieldValue got = field.get(fields);
    if (const Real* real = std::get_if<Real>(&got)) {
      EXPECT_TRUE(RealMatches(*real, w)) << field.name << " expected " << w;
    } else if (const std::int64_t* integer = std::get_if<std::int64_t>(&got)) {
      EXPECT_EQ(*integer, w.get<std::int64_t>()) << field.name;
    } else {
      EXPECT_EQ(std::get<std::string>(got), w.get<std::string>()) << field.name;
    }
  }
}

// Decoding and encoding again over a zeroed buffer gives the file's last
// record back, except the ten reserved bytes a fresh buffer holds as zero.
TEST_P(Vectors, ReEncodingGivesTheFileBytes) {
  const std::vector<std::uint8_t> file = FileBytes(dat());
  const DataRecord stored = RecordAt(file, GetParam().records - 1);
  DataRecord fresh;
  EncodeRecord(DecodeRecord(stored), fresh);
  DataRecord want = stored;
  std::fill_n(want.bytes.begin() + record_offset::kReserved, record_offset::kReservedSize, 0);
  // Bytes after the texts are the buffer's, zero here.
  for (std::size_t at : {record_offset::kReservedText1, record_offset::kReservedText2}) {
    std::fill(
        want.bytes.begin() + static_cast<std::ptrdiff_t>(at + 1 + stored.bytes[at]),
        want.bytes.begin() + static_cast<std::ptrdiff_t>(at + record_offset::kShortStringSize), 0);
  }
  EXPECT_EQ(fresh, want);
}

INSTANTIATE_TEST_SUITE_P(Records, Vectors, ::testing::ValuesIn(kVectors), [](const auto& info) {
  std::string name = info.param.name;
  std::replace(name.begin(), name.end(), '-', '_');
  return name;
});

// --- Round trip of every field ------------------------------------------------

PersistedFields Distinct() {
  PersistedFields f;
  f.Home.Temperature = -12.5L;
  f.Home.Humidity = 87.25L;
  f.Home.Pressure = 1013.25L;
  f.Home.HeightAsl = 412.0L;
  f.Home.EmeElevation = 33.3L;
  f.Home.LatitudeZone = 2;
  f.Home.Season = 1;
  f.Home.RainRateIndex = 4;
  f.Home.Polarisation = 1;
  f.Home.FogIndex = 6;
  f.Home.CloudPosition = 17;
  f.DX.Temperature = 31.0L;
  f.DX.Humidity = 12.0L;
  f.DX.Pressure = 998.0L;
  f.DX.EmeElevation = 7.7L;
  f.DX.LatitudeZone = 0;
  f.DX.Season = 0;
  f.DX.RainRateIndex = 5;
  f.DX.Polarisation = 2;
  f.DX.FogIndex = 3;
  f.DX.CloudPosition = 39;
  f.Frequency = 47.088L;
  f.FrequencyIndex = 2;
  f.DisplayDecimals = 8;
  f.HelpDelayIndex = 3;
  f.EmePathMode = 1;
  f.TerrestrialPathLength = 123.4L;
  f.MoonSliderPosition = 99;
  f.SpareFlag = 7;
  f.ReservedText1 = "G4ABC";
  f.ReservedText2 = "123456789012345";
  f.ReservedValues = {1.0L, -2.0L, 3.5L, 0.1L, -0.0L, 1e-4940L, 6e4000L};
  return f;
}

TEST(RecordRoundTrip, EveryFieldComesBackUnchanged) {
  DataRecord r;
  EncodeRecord(Distinct(), r);
  EXPECT_EQ(DecodeRecord(r), Distinct());
}

TEST(RecordRoundTrip, NegativeIndicesAreTwosComplement) {
  PersistedFields f;
  f.Home.RainRateIndex = -1;  // no item selected
  f.MoonSliderPosition = -20;
  DataRecord r;
  EncodeRecord(f, r);
  EXPECT_EQ(r.bytes[record_offset::kHomeRainRateIndex + 3], 0xff);
  EXPECT_EQ(DecodeRecord(r).Home.RainRateIndex, -1);
  EXPECT_EQ(DecodeRecord(r).MoonSliderPosition, -20);
}

// --- What the buffer keeps ---------------------------------------------------

DataRecord Filled(std::uint8_t byte) {
  DataRecord r;
  r.bytes.fill(byte);
  return r;
}

TEST(BufferKeeps, TheReservedBytesAtOffset110) {
  DataRecord r = Filled(0xee);
  EncodeRecord(Distinct(), r);
  for (std::size_t i = 0; i < record_offset::kReservedSize; ++i) {
    EXPECT_EQ(r.bytes[record_offset::kReserved + i], 0xee) << "byte " << i;
  }
}

struct TextCase {
  const char* name;
  std::string text;
  std::string stored;  // what the record then holds
};

void PrintTo(const TextCase& c, std::ostream* os) {
  *os << c.name;
}

const TextCase kTexts[] = {
    {"empty", "", ""},
    {"short", "EME", "EME"},
    {"fifteen", "fifteen chars!!", "fifteen chars!!"},
    {"longer_is_cut", "sixteen chars!!!", "sixteen chars!!"},
    {"code_page_bytes_carried",
     "Gr\xfc\xdf"
     "e",
     "Gr\xfc\xdf"
     "e"},
};

class ShortString : public ::testing::TestWithParam<TextCase> {};

TEST_P(ShortString, WritesLengthAndTextAndLeavesTheRest) {
  DataRecord r = Filled(0xee);
  PersistedFields f;
  f.ReservedText2 = GetParam().text;
  EncodeRecord(f, r);
  const std::size_t at = record_offset::kReservedText2;
  const std::size_t length = GetParam().stored.size();
  EXPECT_EQ(r.bytes[at], length);
  for (std::size_t i = 1 + length; i < record_offset::kShortStringSize; ++i) {
    EXPECT_EQ(r.bytes[at + i], 0xee) << "byte " << i << " after the text";
  }
  EXPECT_EQ(DecodeRecord(r).ReservedText2, GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Record, ShortString, ::testing::ValuesIn(kTexts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ShortString, ALengthByteAbove15ReadsTheFifteenCharacters) {
  DataRecord r = Filled('x');
  r.bytes[record_offset::kReservedText1] = 200;
  EXPECT_EQ(DecodeRecord(r).ReservedText1, std::string(15, 'x'));
}

// Found by fuzz_data_file: the length byte came back as 15, so a load then
// save of an unchanged foreign record did not give the file back.
TEST(ShortString, ALengthByteAbove15SurvivesTheSaveOfAnUnchangedText) {
  DataRecord r = Filled('x');
  r.bytes[record_offset::kReservedText1] = 200;
  r.bytes[record_offset::kReservedText2] = 16;
  DataRecord saved = r;
  EncodeRecord(DecodeRecord(r), saved);
  EXPECT_EQ(saved, r);

  // A changed text is written with its own length.
  PersistedFields f = DecodeRecord(r);
  f.ReservedText1 = "EME";
  EncodeRecord(f, saved);
  EXPECT_EQ(saved.bytes[record_offset::kReservedText1], 3);
  EXPECT_EQ(saved.bytes[record_offset::kReservedText2], 16);
  EXPECT_EQ(DecodeRecord(saved).ReservedText1, "EME");
}

// A real the buffer holds in a form the x87 never writes stays as it is when
// the value is unchanged, and is rewritten canonically once it changes.
struct KeptRealCase {
  const char* name;
  ExtendedBytes held;  // in the buffer at Home.Temperature
  bool change;         // whether the field is given a different value
  bool bytes_kept;     // whether the buffer's bytes survive the encoding
};

void PrintTo(const KeptRealCase& c, std::ostream* os) {
  *os << c.name;
}

const KeptRealCase kKeptReals[] = {
    {"pseudo_denormal_unchanged", {0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0x00}, false, true},
    {"unnormal_unchanged", {0, 0, 0, 0, 0, 0, 0, 0x40, 0xff, 0x3f}, false, true},
    {"pseudo_infinity_unchanged", {0, 0, 0, 0, 0, 0, 0, 0x00, 0xff, 0x7f}, false, true},
    {"pseudo_denormal_changed", {0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0x00}, true, false},
    {"nan_payload_unchanged", {5, 0, 0, 0, 0, 0, 0, 0xc0, 0xff, 0x7f}, false, true},
};

class KeptReal : public ::testing::TestWithParam<KeptRealCase> {};

TEST_P(KeptReal, EncodingLeavesEqualValuesBitForBit) {
  DataRecord r;
  std::copy(GetParam().held.begin(), GetParam().held.end(), r.bytes.begin());
  PersistedFields f = DecodeRecord(r);
  if (GetParam().change) f.Home.Temperature = 21.0L;
  EncodeRecord(f, r);
  const ExtendedBytes now = {r.bytes[0], r.bytes[1], r.bytes[2], r.bytes[3], r.bytes[4],
                             r.bytes[5], r.bytes[6], r.bytes[7], r.bytes[8], r.bytes[9]};
  if (GetParam().bytes_kept) {
    EXPECT_EQ(now, GetParam().held);
  } else {
    EXPECT_EQ(now, EncodeExtended(21.0L));
  }
  EXPECT_EQ(EncodeExtended(DecodeRecord(r).Home.Temperature), EncodeExtended(f.Home.Temperature));
}

INSTANTIATE_TEST_SUITE_P(Record, KeptReal, ::testing::ValuesIn(kKeptReals),
                         [](const auto& info) { return std::string(info.param.name); });

// Values that compare equal but differ in their bits are rewritten.
TEST(KeptRealBits, MinusZeroOverPlusZeroIsWritten) {
  DataRecord r;
  PersistedFields f;
  f.Home.Temperature = -0.0L;
  EncodeRecord(f, r);
  EXPECT_EQ(r.bytes[9], 0x80);
}

TEST(KeptRealBits, ANanOfAnotherPayloadIsWritten) {
  DataRecord r;
  const ExtendedBytes held = {5, 0, 0, 0, 0, 0, 0, 0xc0, 0xff, 0x7f};
  std::copy(held.begin(), held.end(), r.bytes.begin());
  PersistedFields f = DecodeRecord(r);
  f.Home.Temperature = std::numeric_limits<Real>::quiet_NaN();
  EncodeRecord(f, r);
  EXPECT_EQ(r.bytes[0], 0);
}

// --- State ----------------------------------------------------------------------

QuillmereState StateWithInputs() {
  QuillmereState s;
  ApplyToState(Distinct(), s);
  return s;
}

TEST(State, FromStateTakesThePersistedFields) {
  EXPECT_EQ(FromState(StateWithInputs()), Distinct());
}

TEST(State, TheSlotAtOffset40TakesTheTerrestrialPathLengthNotTheMoonDistance) {
  QuillmereState s = StateWithInputs();
  s.EmePathMode = 1;
  s.PathLength = 384400.0L;  // the Moon distance in the EME mode
  s.TerrestrialPathLength = 55.5L;
  DataRecord r;
  EncodeRecord(FromState(s), r);
  EXPECT_EQ(DecodeRecord(r).TerrestrialPathLength, 55.5L);
}

TEST(State, ApplySetsThePathLengthAndTheElevationsBesideTheFields) {
  QuillmereState s;
  ApplyToState(Distinct(), s);
  EXPECT_EQ(s.PathLength, 123.4L);
  EXPECT_EQ(s.TerrestrialPathLength, 123.4L);
  EXPECT_EQ(s.Home.Elevation, 33.3L);
  EXPECT_EQ(s.DX.Elevation, 7.7L);
}

TEST(State, TheDxHeightIsNotStoredAndALoadLeavesItAlone) {
  QuillmereState before;
  before.Home.HeightAsl = 120.0L;
  before.DX.HeightAsl = 300.0L;
  DataRecord r;
  EncodeRecord(FromState(before), r);

  QuillmereState restarted;  // a fresh start
  ApplyToState(DecodeRecord(r), restarted);
  EXPECT_EQ(restarted.Home.HeightAsl, 120.0L);
  EXPECT_EQ(restarted.DX.HeightAsl, 0.0L);

  QuillmereState running;  // a later re-activation
  running.DX.HeightAsl = 250.0L;
  ApplyToState(DecodeRecord(r), running);
  EXPECT_EQ(running.DX.HeightAsl, 250.0L);
}

TEST(State, DisplayDecimalsIsStoredAsTheCountNotTheItem) {
  QuillmereState s;
  s.DisplayDecimals = 4;
  DataRecord r;
  EncodeRecord(FromState(s), r);
  EXPECT_EQ(r.bytes[record_offset::kDisplayDecimals], 4);
}

TEST(State, NonPersistedFieldsAreLeftAlone) {
  QuillmereState s;
  s.Home.VapourOverWater = 1;
  s.Home.RainRate = 25.0L;
  s.Home.FogDensity = 0.5L;
  s.MoonDistance = 370000.0L;
  s.CurrentDirectory = "/home/op";
  ApplyToState(Distinct(), s);
  EXPECT_EQ(s.Home.VapourOverWater, 1);
  EXPECT_EQ(s.Home.RainRate, 25.0L);
  EXPECT_EQ(s.Home.FogDensity, 0.5L);
  EXPECT_EQ(s.MoonDistance, 370000.0L);
  EXPECT_EQ(s.CurrentDirectory, "/home/op");
}

}  // namespace
}  // namespace quillmere
