#include "data_record.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

namespace quillmere {
namespace {

Real GetReal(const DataRecord& r, std::size_t at) {
  return DecodeExtended(&r.bytes[at]);
}

// Leaves the bytes alone when they already hold exactly this value, so that a
// non-canonical encoding of an unchanged value survives a save.
void PutReal(DataRecord& r, std::size_t at, Real value) {
  const ExtendedBytes wanted = EncodeExtended(value);
  if (EncodeExtended(DecodeExtended(&r.bytes[at])) == wanted) return;
  std::copy(wanted.begin(), wanted.end(), r.bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

std::int32_t GetInt32(const DataRecord& r, std::size_t at) {
  std::uint32_t u = 0;
  for (int i = 3; i >= 0; --i) u = (u << 8) | r.bytes[at + static_cast<std::size_t>(i)];
  return static_cast<std::int32_t>(u);  // two's complement
}

void PutInt32(DataRecord& r, std::size_t at, std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  for (std::size_t i = 0; i < 4; ++i) r.bytes[at + i] = static_cast<std::uint8_t>(u >> (8 * i));
}

std::string GetShortString(const DataRecord& r, std::size_t at) {
  const std::size_t length = std::min<std::size_t>(r.bytes[at], kShortStringCapacity);
  const auto first = r.bytes.begin() + static_cast<std::ptrdiff_t>(at + 1);
  return std::string(first, first + static_cast<std::ptrdiff_t>(length));
}

// Writes the length byte and the text; the bytes after the text stay. A text
// the buffer already reads as is left alone, as an unchanged real is: a length
// byte above 15, which reads as 15, must survive the save of an unchanged
// record.
void PutShortString(DataRecord& r, std::size_t at, const std::string& text) {
  const std::size_t length = std::min(text.size(), kShortStringCapacity);
  if (GetShortString(r, at) == std::string_view(text).substr(0, length)) return;
  r.bytes[at] = static_cast<std::uint8_t>(length);
  std::copy_n(text.begin(), length, r.bytes.begin() + static_cast<std::ptrdiff_t>(at + 1));
}

// One field from the record into its member.
void Decode(const DataRecord& r, std::size_t offset, FieldRef member) {
  std::visit(
      [&](auto m) {
        using M = decltype(m);
        if constexpr (std::is_same_v<M, Real*>) {
          *m = GetReal(r, offset);
        } else if constexpr (std::is_same_v<M, std::int32_t*>) {
          *m = GetInt32(r, offset);
        } else if constexpr (std::is_same_v<M, std::uint8_t*>) {
          *m = r.bytes[offset];
        } else if constexpr (std::is_same_v<M, std::string*>) {
          *m = GetShortString(r, offset);
        }
      },
      member);
}

// One member into its field of the record.
void Encode(DataRecord& r, std::size_t offset, FieldRef member) {
  std::visit(
      [&](auto m) {
        using M = decltype(m);
        if constexpr (std::is_same_v<M, Real*>) {
          PutReal(r, offset, *m);
        } else if constexpr (std::is_same_v<M, std::int32_t*>) {
          PutInt32(r, offset, *m);
        } else if constexpr (std::is_same_v<M, std::uint8_t*>) {
          r.bytes[offset] = *m;
        } else if constexpr (std::is_same_v<M, std::string*>) {
          PutShortString(r, offset, *m);
        }
      },
      member);
}

// The table walked row by row at compile time, so that each row's member
// is reached directly rather than through a call per field.
template <std::size_t... I>
void DecodeRows(const DataRecord& r, PersistedFields& f, std::index_sequence<I...>) {
  (Decode(r, kRecordFields[I].offset, kRecordFields[I].at(f)), ...);
}

template <std::size_t... I>
void EncodeRows(const PersistedFields& f, DataRecord& r, std::index_sequence<I...>) {
  (Encode(r, kRecordFields[I].offset, ReadMember(kRecordFields[I], f)), ...);
}

}  // namespace

PersistedFields DecodeRecord(const DataRecord& r) {
  PersistedFields f;
  DecodeRows(r, f, std::make_index_sequence<kRecordFieldCount>());
  return f;
}

void EncodeRecord(const PersistedFields& f, DataRecord& r) {
  EncodeRows(f, r, std::make_index_sequence<kRecordFieldCount>());
}

void CopyMember(FieldRef from, FieldRef into) {
  std::visit(
      [&](auto member) {
        using M = decltype(member);
        if constexpr (!std::is_same_v<M, std::monostate>) *member = *std::get<M>(from);
      },
      into);
}

}  // namespace quillmere
