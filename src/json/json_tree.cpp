#include "json/json_tree.h"

#include <cmath>
#include <nlohmann/json.hpp>
#include <optional>

#include "base/numbers.h"

namespace tolvex {

ErrorCode json_read_root_type(const JsonValue& object, std::string_view path,
                              std::span<const std::string_view> types, unsigned* documentType) {
  JsonTreeReader reader(object, std::string(path));
  Text type;
  reader.text("type", type);
  if (const ErrorCode code = reader.result()) return code;
  std::optional<std::size_t> position = 0;
  if (type) position = word_position(*type, types);
  if (!position) return report(messages::kRootTypeAttributeInvalid);
  if (documentType != nullptr) *documentType = static_cast<unsigned>(*position);
  return ERROR_OK;
}

std::string JsonTreeReader::path_of(std::string_view name) const {
  std::string path = path_;
  path += '/';
  path += name;
  return path;
}

const JsonValue* JsonTreeReader::member(std::string_view name, JsonValue::Kind kind) {
  if (code_ != ERROR_OK) return nullptr;
  const JsonValue* found = nullptr;
  for (const JsonMember& m : object_.members) {
    if (m.name != name) continue;
    // Which of two values was meant is not for the reader to guess.
    if (found != nullptr) {
      code_ = report_field(path_of(name), messages::kJsonMemberTwice);
      return nullptr;
    }
    found = &m.value;
  }
  if (found == nullptr || found->kind == kind) return found;
  const Message* expected = &messages::kJsonNotAString;
  if (kind == JsonValue::Kind::number) expected = &messages::kJsonNotANumber;
  if (kind == JsonValue::Kind::object) expected = &messages::kJsonNotAnObject;
  if (kind == JsonValue::Kind::array) expected = &messages::kJsonNotAnArray;
  code_ = report_field(path_of(name), *expected);
  return nullptr;
}

void JsonTreeReader::text(std::string_view name, Text& field) {
  if (const JsonValue* value = member(name, JsonValue::Kind::string)) value_set_text(field, value->text);
}

void JsonTreeReader::integer(std::string_view name, Integer& field) {
  const JsonValue* value = member(name, JsonValue::Kind::number);
  if (value == nullptr) return;
  // The token as written, so that 1.0 and 1e2 fail as they fail in XML, and a huge one clamps.
  const std::optional<std::int32_t> n = parse_integer(value->text.c_str());
  if (!n) {
    code_ = report_field(name, messages::kInvalidIntegerFormat);
    return;
  }
  value_set_integer(field, *n);
}

void JsonTreeReader::decimal(std::string_view name, Decimal& field, XmlValue value) {
  if (value == XmlValue::computed) return;
  const JsonValue* number = member(name, JsonValue::Kind::number);
  if (number == nullptr) return;
  const std::optional<double> x = parse_decimal(number->text.c_str());
  if (!x) {
    code_ = report_field(name, messages::kInvalidDecimalFormat);
    return;
  }
  value_set_decimal(field, *x);
}

void JsonTreeReader::enumeration(std::string_view name, Enumeration& field, std::span<const std::string_view> names) {
  if (const JsonValue* value = member(name, JsonValue::Kind::string))
    code_ = read_enumeration_word(name, value->text, field, names);
}

void JsonTreeReader::code(std::string_view name, CodeText& field, std::span<const std::string_view> names,
                          std::span<const std::string_view> codes) {
  if (const JsonValue* value = member(name, JsonValue::Kind::string))
    code_ = read_code_word(name, value->text, field, names, codes);
}

void JsonTreeReader::flags(std::string_view name, FlagSet& field, std::span<const std::string_view> names) {
  if (const JsonValue* value = member(name, JsonValue::Kind::string))
    code_ = read_flag_words(name, value->text, field, names);
}

std::string json_quote(std::string_view text) {
  // nlohmann's serializer escapes as JSON requires and replaces bytes that are not UTF-8.
  return nlohmann::json(std::string(text)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void JsonTreeWriter::key(std::string_view name) {
  if (!first_) out_ += ',';
  first_ = false;
  out_ += json_quote(name);
  out_ += ':';
}

void JsonTreeWriter::word(std::string_view name, std::string_view text) {
  key(name);
  out_ += json_quote(text);
}

void JsonTreeWriter::text(std::string_view name, const Text& field) {
  if (field) word(name, *field);
}

void JsonTreeWriter::integer(std::string_view name, const Integer& field) {
  if (!field) return;
  key(name);
  out_ += std::to_string(*field);
}

void JsonTreeWriter::decimal(std::string_view name, const Decimal& field, XmlValue /*value*/) {
  if (!field) return;
  if (!std::isfinite(*field)) {
    keep(report_field(name, messages::kJsonNumberNotFinite));
    return;
  }
  key(name);
  // XML's digits, never an exponent: fixed notation is a JSON number token as it stands.
  out_ += format_decimal(*field);
}

// An enumeration or code without a word is left out, as XML writing leaves it out.
void JsonTreeWriter::enumeration(std::string_view name, const Enumeration& field,
                                 std::span<const std::string_view> names) {
  const std::string_view w = enumeration_word(field, names);
  if (!w.empty()) word(name, w);
}

void JsonTreeWriter::code(std::string_view name, const CodeText& field, std::span<const std::string_view> names,
                          std::span<const std::string_view> codes) {
  const std::string_view w = code_word(field, names, codes);
  if (!w.empty()) word(name, w);
}

// A present empty set is "".
void JsonTreeWriter::flags(std::string_view name, const FlagSet& field, std::span<const std::string_view> names) {
  if (field) word(name, flag_words(field, names));
}

}  // namespace tolvex
