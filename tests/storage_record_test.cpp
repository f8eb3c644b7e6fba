// The 288-byte record: every field of the stored test files decodes to the
// value their description gives, re-encoding gives the file's bytes back, and
// what the format leaves to the buffer (reserved bytes, the bytes after the
// short strings' texts, non-canonical reals of unchanged values) survives.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <type_traits>
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

// A record offset as an iterator step.
constexpr std::ptrdiff_t At(std::size_t offset) {
  return static_cast<std::ptrdiff_t>(offset);
}

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
  for (const RecordField& field : kRecordFields) {
    if (field.kind != FieldKind::kReserved) known.insert(std::string(field.name));
  }
  EXPECT_EQ(described, known) << "the description and the record must name the same fields";

  for (const RecordField& field : kRecordFields) {
    const std::string name(field.name);
    if (!want.contains(name)) continue;
    const nlohmann::json& w = want[name];
    std::visit(
        [&](auto member) {
          using M = decltype(member);
          if constexpr (std::is_same_v<M, Real*>) {
            EXPECT_TRUE(RealMatches(*member, w)) << name << " expected " << w;
          } else if constexpr (std::is_same_v<M, std::string*>) {
            EXPECT_EQ(*member, w.get<std::string>()) << name;
          } else if constexpr (!std::is_same_v<M, std::monostate>) {
            EXPECT_EQ(std::int64_t{*member}, w.get<std::int64_t>()) << name;
          }
        },
        ReadMember(field, fields));
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
  const RecordField& reserved = FieldNamed("Reserved");
  std::fill_n(want.bytes.begin() + At(reserved.offset), SizeOf(reserved.kind), 0);
  // Bytes after the texts are the buffer's, zero here.
  for (const RecordField& text : {FieldNamed("ReservedText1"), FieldNamed("ReservedText2")}) {
    const std::size_t length = std::min<std::size_t>(stored.bytes[text.offset], 15);
    std::fill(want.bytes.begin() + At(text.offset + 1 + length),
              want.bytes.begin() + At(text.offset + SizeOf(text.kind)), 0);
  }
  EXPECT_EQ(fresh, want);
}

INSTANTIATE_TEST_SUITE_P(Records, Vectors, ::testing::ValuesIn(kVectors), [](const auto& info) {
  std::string name = info.param.name;
  std::replace(name.begin(), name.end(), '-', '_');
  return name;
});

// --- What the buffer keeps ---------------------------------------------------

DataRecord Filled(std::uint8_t byte) {
  DataRecord r;
  r.bytes.fill(byte);
  return r;
}

TEST(BufferKeeps, TheReservedBytesAtOffset110) {
  DataRecord r = Filled(0xee);
  EncodeRecord(PersistedFields{}, r);
  const RecordField& reserved = FieldNamed("Reserved");
  for (std::size_t i = 0; i < SizeOf(reserved.kind); ++i) {
    EXPECT_EQ(r.bytes[reserved.offset + i], 0xee) << "byte " << i;
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
  const std::size_t at = FieldNamed("ReservedText2").offset;
  const std::size_t length = GetParam().stored.size();
  EXPECT_EQ(r.bytes[at], length);
  for (std::size_t i = 1 + length; i < SizeOf(FieldKind::kShortString); ++i) {
    EXPECT_EQ(r.bytes[at + i], 0xee) << "byte " << i << " after the text";
  }
  EXPECT_EQ(DecodeRecord(r).ReservedText2, GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Record, ShortString, ::testing::ValuesIn(kTexts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ShortString, ALengthByteAbove15ReadsTheFifteenCharacters) {
  DataRecord r = Filled('x');
  r.bytes[FieldNamed("ReservedText1").offset] = 200;
  EXPECT_EQ(DecodeRecord(r).ReservedText1, std::string(15, 'x'));
}

// Found by fuzz_data_file: the length byte came back as 15, so a load then
// save of an unchanged foreign record did not give the file back.
TEST(ShortString, ALengthByteAbove15SurvivesTheSaveOfAnUnchangedText) {
  DataRecord r = Filled('x');
  r.bytes[FieldNamed("ReservedText1").offset] = 200;
  r.bytes[FieldNamed("ReservedText2").offset] = 16;
  DataRecord saved = r;
  EncodeRecord(DecodeRecord(r), saved);
  EXPECT_EQ(saved, r);

  // A changed text is written with its own length.
  PersistedFields f = DecodeRecord(r);
  f.ReservedText1 = "EME";
  EncodeRecord(f, saved);
  EXPECT_EQ(saved.bytes[FieldNamed("ReservedText1").offset], 3);
  EXPECT_EQ(saved.bytes[FieldNamed("ReservedText2").offset], 16);
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

}  // namespace
}  // namespace quillmere
