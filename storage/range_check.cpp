#include "range_check.h"

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <variant>

namespace quillmere {
namespace {

bool Accepted(const RecordField& field, Real value, std::span<const Real> bands) {
  if (!std::isfinite(value)) return false;
  if (field.rule != FieldRule::kWithin && value == 0) return true;
  if (field.rule == FieldRule::kZeroOrBand) {
    return std::find(bands.begin(), bands.end(), value) != bands.end();
  }
  return value >= field.limit.low && value <= field.limit.high;
}

}  // namespace

Real JudgedValue(const RecordField& field, const PersistedFields& fields) {
  return std::visit(
      [](auto member) -> Real {
        using M = decltype(member);
        if constexpr (std::is_same_v<M, std::string*> || std::is_same_v<M, std::monostate>) {
          return 0;
        } else {
          return static_cast<Real>(*member);
        }
      },
      ReadMember(field, fields));
}

FieldSet OutOfRangeFields(const PersistedFields& fields, std::span<const Real> band_frequencies) {
  FieldSet out;
  for (std::size_t i = 0; i < kRecordFields.size(); ++i) {
    const RecordField& field = kRecordFields[i];
    if (field.rule == FieldRule::kCarried) continue;
    if (!Accepted(field, JudgedValue(field, fields), band_frequencies)) out.set(i);
  }
  return out;
}

std::vector<std::string> FieldNames(const FieldSet& fields) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < kRecordFields.size(); ++i) {
    if (fields[i]) names.emplace_back(kRecordFields[i].name);
  }
  return names;
}

}  // namespace quillmere
