// A JSON text read into a tree of values, within bounds. Numbers keep the token they were
// written with, so that the document's own number rules (parse_integer, parse_decimal) judge
// them exactly as they judge XML content.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"

namespace tolvex {

// No document comes near these; a hostile text past them is refused before it can hold the
// process: the size before parsing, the depth as soon as it is reached.
inline constexpr std::size_t kJsonMaxSize = 16 * 1024 * 1024;
inline constexpr std::size_t kJsonMaxDepth = 64;

struct JsonMember;

struct JsonValue {
  enum class Kind { null, boolean, number, string, array, object };
  Kind kind = Kind::null;
  std::string text;                 // a string's content, a number's token, "true" or "false"
  std::vector<JsonValue> items;     // an array's items
  std::vector<JsonMember> members;  // an object's members, in their order, repeated names kept
  std::size_t offset = 0;           // where an object or array starts in the text ('{' or '[')
};

struct JsonMember {
  std::string name;
  JsonValue value;
  std::size_t offset = 0;  // where the member's name starts in the text (its opening quote)
};

// Parses a whole JSON text (RFC 8259, UTF-8, nothing after the value). Every failure is
// ERROR_XML: past kJsonMaxSize, nested deeper than kJsonMaxDepth, or "JSON cannot be read: "
// with the parser's report (line and column, or the byte offset) as the detail.
[[nodiscard]] ErrorCode json_parse(std::string_view text, JsonValue* root);

}  // namespace tolvex
