#include "codec/field_buffer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>

#include "base/messages.h"
#include "base/numbers.h"
#include "codec/field_wire.h"

namespace tolvex {
namespace {

thread_local SerialisationSettings settings;

// The field at the cursor, moving past it; null past the last field.
const std::string* take_field(FieldBuffer& buffer) {
  if (buffer.cursor >= buffer.fields.size()) return nullptr;
  return &buffer.fields[buffer.cursor++];
}

// The field at the cursor when it has content; an empty field counts as absent.
const std::string* take_present_field(FieldBuffer& buffer) {
  const std::string* field = take_field(buffer);
  return (field != nullptr && !field->empty()) ? field : nullptr;
}

}  // namespace

const SerialisationSettings& serialisation_settings() { return settings; }

std::uint32_t serialisation_sequence_limit() { return settings.sequence_limit; }

void serialisation_set_sequence_limit(std::uint32_t limit) { settings.sequence_limit = limit; }

void field_put_text(FieldBuffer& buffer, const Text& text) {
  if (!text) {
    field_put_absent(buffer);
    return;
  }
  std::string& field = buffer.fields.emplace_back(*text);
  std::replace(field.begin(), field.end(), '\t', ' ');
}

void field_put_absent(FieldBuffer& buffer) { buffer.fields.emplace_back(); }

void field_put_integer(FieldBuffer& buffer, std::int32_t value) {
  std::array<char, 12> digits;
  const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
  buffer.fields.emplace_back(digits.data(), result.ptr);
}

void field_put_optional_integer(FieldBuffer& buffer, const Integer& value) {
  if (value) {
    field_put_integer(buffer, *value);
  } else {
    field_put_absent(buffer);
  }
}

void field_put_decimal(FieldBuffer& buffer, const Decimal& value) {
  if (value) {
    buffer.fields.push_back(format_decimal(*value));
  } else {
    field_put_absent(buffer);
  }
}

void field_put_date(FieldBuffer& buffer, const Text& date) {
  if (!date || date->size() != 10) {
    field_put_absent(buffer);
    return;
  }
  // The separators at offsets 4 and 7 are dropped whatever they are.
  const std::string_view text = *date;
  std::string& field = buffer.fields.emplace_back(text.substr(0, 4));
  field.append(text.substr(5, 2)).append(text.substr(8, 2));
}

Text field_take_text(FieldBuffer& buffer) {
  const std::string* field = take_present_field(buffer);
  if (field == nullptr) return std::nullopt;
  return *field;
}

std::int32_t field_take_integer(FieldBuffer& buffer) {
  const std::string* field = take_present_field(buffer);
  if (field == nullptr) return 0;
  return parse_integer(field->c_str()).value_or(0);
}

Integer field_take_optional_integer(FieldBuffer& buffer) {
  const std::string* field = take_present_field(buffer);
  if (field == nullptr) return std::nullopt;
  return parse_integer(field->c_str()).value_or(0);
}

Decimal field_take_decimal(FieldBuffer& buffer) {
  const std::string* field = take_present_field(buffer);
  if (field == nullptr) return std::nullopt;
  return parse_decimal(field->c_str()).value_or(0.0);
}

Text field_take_date(FieldBuffer& buffer) {
  const std::string* field = take_field(buffer);
  if (field == nullptr || field->size() < 8) return std::nullopt;
  const std::string_view text = *field;
  std::string date(text.substr(0, 4));
  date.append(1, '-').append(text.substr(4, 2)).append(1, '-').append(text.substr(6, 2));
  return date;
}

std::uint32_t field_buffer_text_length(const FieldBuffer& buffer) {
  if (buffer.fields.empty()) return std::numeric_limits<std::uint32_t>::max();
  std::size_t length = buffer.fields.size() - 1;
  for (const std::string& field : buffer.fields) length += field.size();
  return static_cast<std::uint32_t>(std::min<std::size_t>(length, std::numeric_limits<std::uint32_t>::max()));
}

ErrorCode check_sequence_limit(const FieldBuffer& buffer, const SerialisationSettings& settings) {
  const std::uint32_t length = field_buffer_text_length(buffer);
  if (length > settings.sequence_limit || length > kLongestEncodableText) {
    return report(messages::kSequenceLimitExceeded);
  }
  return ERROR_OK;
}

std::string field_buffer_join(const FieldBuffer& buffer) {
  std::string text;
  if (buffer.fields.empty()) return text;
  text.reserve(field_buffer_text_length(buffer));
  text.append(buffer.fields.front());
  for (std::size_t i = 1; i < buffer.fields.size(); ++i) text.append(1, '\t').append(buffer.fields[i]);
  return text;
}

void field_buffer_split(FieldBuffer& buffer, std::string_view text) {
  std::size_t start = 0;
  for (std::size_t tab = text.find('\t'); tab != std::string_view::npos; tab = text.find('\t', start)) {
    buffer.fields.emplace_back(text.substr(start, tab - start));
    start = tab + 1;
  }
  buffer.fields.emplace_back(text.substr(start));
  buffer.cursor = 0;
}

std::uint32_t FieldReader::take_count() {
  const std::int32_t count = field_take_integer(buffer_);
  if (count <= 0) return 0;
  const auto remaining = static_cast<std::uint32_t>(
      buffer_.fields.size() - std::min<std::size_t>(buffer_.cursor, buffer_.fields.size()));
  return std::min(static_cast<std::uint32_t>(count), remaining);
}

}  // namespace tolvex
