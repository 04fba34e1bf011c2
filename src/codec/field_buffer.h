// FieldBuffer: the ordered field texts between a document and its tab-separated text form,
// with the writers that serialisation uses, the readers that decoding uses, and the sequence
// limit on the length of the text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "document/document.h"
#include "tolvex/header.hpp"
#include "tolvex/value.hpp"

namespace tolvex {

// Filled by serialisation and then joined, or filled by splitting and then read; never both.
struct FieldBuffer {
  DocumentHeader header;            // not part of the text; travels in the container
  std::vector<std::string> fields;  // an empty text is an empty field; no field holds a tab
  std::uint32_t cursor = 0;         // index of the next field to read
};

// Per-thread settings: threads that encode at the same time each see their own limit.
struct SerialisationSettings {
  std::uint32_t sequence_limit = 550;  // largest accepted text length in bytes
};

// The calling thread's settings, at their defaults until changed.
const SerialisationSettings& serialisation_settings();

// The container stores the payload length (text plus 4 checksum bytes) in 16 bits, so no
// limit lets a longer text through.
inline constexpr std::uint32_t kLongestEncodableText = 0xFFFF - 4;

// Writers; each appends one field.
void field_put_text(FieldBuffer& buffer, const Text& text);  // tabs become spaces
void field_put_absent(FieldBuffer& buffer);
void field_put_integer(FieldBuffer& buffer, std::int32_t value);
void field_put_optional_integer(FieldBuffer& buffer, const Integer& value);
void field_put_decimal(FieldBuffer& buffer, const Decimal& value);
// YYYY-MM-DD becomes YYYYMMDD; a text that is not exactly 10 bytes becomes an empty field.
void field_put_date(FieldBuffer& buffer, const Text& date);

// Readers; each takes the field at the cursor and moves past it. An empty field and a read
// past the last field are absent (0 for field_take_integer); past the end the cursor stays.
[[nodiscard]] Text field_take_text(FieldBuffer& buffer);
[[nodiscard]] std::int32_t field_take_integer(FieldBuffer& buffer);  // 0 also when the text does not convert
[[nodiscard]] Integer field_take_optional_integer(FieldBuffer& buffer);
[[nodiscard]] Decimal field_take_decimal(FieldBuffer& buffer);
// YYYYMMDD becomes YYYY-MM-DD; bytes after the 8th are ignored, fewer than 8 give no date.
[[nodiscard]] Text field_take_date(FieldBuffer& buffer);

// Length of the text form; all ones for a buffer without fields, which no limit lets pass.
[[nodiscard]] std::uint32_t field_buffer_text_length(const FieldBuffer& buffer);

// ERROR_SEQUENCE_LIMIT_EXCEEDED when the text form is longer than the limit or than
// kLongestEncodableText; nothing is ever cut to fit.
[[nodiscard]] ErrorCode check_sequence_limit(const FieldBuffer& buffer,
                                             const SerialisationSettings& settings);

// The fields joined by single tabs, without terminator or line end.
[[nodiscard]] std::string field_buffer_join(const FieldBuffer& buffer);

// Appends the pieces of text between tabs ("a\t\tb" gives a, empty, b; "" gives one empty
// field) and rewinds the cursor.
void field_buffer_split(FieldBuffer& buffer, std::string_view text);

}  // namespace tolvex
