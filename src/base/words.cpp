#include "base/words.h"

#include <cstdint>

#include "base/messages.h"

namespace tolvex {

std::optional<std::size_t> word_position(std::string_view word, std::span<const std::string_view> names) {
  for (std::size_t position = 0; position < names.size(); ++position) {
    if (names[position] == word) return position;
  }
  return std::nullopt;
}

std::string_view enumeration_word(const Enumeration& field, std::span<const std::string_view> names) {
  if (!field || *field < 0 || static_cast<std::size_t>(*field) >= names.size()) return {};
  return names[static_cast<std::size_t>(*field)];
}

std::string_view code_word(const CodeText& field, std::span<const std::string_view> names,
                           std::span<const std::string_view> codes) {
  if (!field) return {};
  for (std::size_t i = 0; i < codes.size() && i < names.size(); ++i) {
    if (codes[i] == *field) return names[i];
  }
  return {};
}

std::string flag_words(const FlagSet& field, std::span<const std::string_view> names) {
  std::string content;
  if (!field) return content;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if ((static_cast<std::uint32_t>(*field) >> i) & 1u) {
      if (!content.empty()) content += ' ';
      content += names[i];
    }
  }
  return content;
}

ErrorCode read_enumeration_word(std::string_view name, std::string_view word, Enumeration& field,
                                std::span<const std::string_view> names) {
  const std::optional<std::size_t> position = word_position(word, names);
  if (!position) return report_field(name, messages::kInvalidEnumValue);
  field = static_cast<std::int32_t>(*position);
  return ERROR_OK;
}

ErrorCode read_code_word(std::string_view name, std::string_view word, CodeText& field,
                         std::span<const std::string_view> names, std::span<const std::string_view> codes) {
  const std::optional<std::size_t> position = word_position(word, names);
  if (!position || *position >= codes.size()) return report_field(name, messages::kInvalidEnumValue);
  value_set_text(field, codes[*position]);
  return ERROR_OK;
}

ErrorCode read_flag_words(std::string_view name, std::string_view words, FlagSet& field,
                          std::span<const std::string_view> names) {
  std::string_view rest = words;
  std::int32_t sum = 0;
  // Only the space separates names: a tab or line break makes one unknown word of its neighbours.
  while (!rest.empty()) {
    const std::size_t end = rest.find(' ');
    const std::string_view piece = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    const std::optional<std::size_t> position = word_position(piece, names);
    if (!position) continue;
    const std::int32_t bit = std::int32_t{1} << *position;
    if ((sum & bit) != 0) return report_field(name, messages::kContainsDuplicateValue);
    sum |= bit;
  }
  field = sum;
  return ERROR_OK;
}

}  // namespace tolvex
