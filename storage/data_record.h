#pragma once
// One record of the default data file `Quillmere.dat`: 288 bytes, no header
// and no padding, little-endian numbers, reals in the 10-byte x87 form, short
// strings as a length byte (0..15) and 15 character bytes. The user's inputs
// live in it between runs; the record layout is fixed because files written
// by every earlier version must stay readable.

#include <array>
#include <cstddef>
#include <cstdint>

#include "extended_real.h"
#include "record_fields.h"

namespace quillmere {

// The record as it lies in the file.
struct DataRecord {
  std::array<std::uint8_t, kRecordSize> bytes{};

  friend bool operator==(const DataRecord&, const DataRecord&) = default;
};
static_assert(sizeof(DataRecord) == kRecordSize);

// Every field of the record (kRecordFields). A short string's length byte
// above 15 reads as 15 (the record holds no more characters); bytes after the
// text are ignored. The ten reserved bytes at offset 110 are not a field.
// Never fails.
PersistedFields DecodeRecord(const DataRecord& record);

// Writes every field into buffer, which keeps what the file format leaves to
// it: the ten reserved bytes at offset 110, and the bytes after each short
// string's text. Texts longer than 15 bytes are cut to 15. A real whose bytes
// in the buffer already decode to the very same value (bit for bit, NaN
// payload included) is not rewritten, so that loading and saving an unchanged
// record gives back the same bytes even where the file held an encoding an
// x87 would not write (a pseudo-denormal, an unnormal). Likewise a short
// string whose text the buffer already reads as keeps its bytes, a length
// byte above 15 included.
void EncodeRecord(const PersistedFields& fields, DataRecord& buffer);

}  // namespace quillmere
