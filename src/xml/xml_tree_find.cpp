#include "xml/xml_tree_find.h"

#include <charconv>

#include "base/numbers.h"
#include "xml/xml_write.h"

namespace tolvex {

bool XmlTreeFinder::leaf(std::string_view name, XmlFieldValue::Kind kind, bool present) {
  if (!here(name) || path_.size() != 1) return false;
  found_ = true;
  value_.kind = kind;
  value_.present = present;
  return present;
}

std::optional<std::uint32_t> XmlTreeFinder::position(std::string_view text) {
  std::uint32_t index = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), index);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return index;
}

void XmlTreeFinder::text(std::string_view name, const Text& field) {
  if (leaf(name, XmlFieldValue::Kind::text, field.has_value())) value_.text = *field;
}

void XmlTreeFinder::integer(std::string_view name, const Integer& field) {
  if (!leaf(name, XmlFieldValue::Kind::integer, field.has_value())) return;
  value_.text = std::to_string(*field);
  value_.number = *field;
}

void XmlTreeFinder::decimal(std::string_view name, const Decimal& field, XmlValue /*value*/) {
  if (!leaf(name, XmlFieldValue::Kind::decimal, field.has_value())) return;
  value_.text = format_decimal(*field);
  value_.number = *field;
}

void XmlTreeFinder::enumeration(std::string_view name, const Enumeration& field,
                                std::span<const std::string_view> names) {
  if (!leaf(name, XmlFieldValue::Kind::enumeration, field.has_value())) return;
  value_.text = xml_enumeration_text(field, names);
  value_.number = *field;
}

void XmlTreeFinder::code(std::string_view name, const CodeText& field,
                         std::span<const std::string_view> names, std::span<const std::string_view> codes) {
  if (leaf(name, XmlFieldValue::Kind::code, field.has_value()))
    value_.text = xml_code_text(field, names, codes);
}

void XmlTreeFinder::flags(std::string_view name, const FlagSet& field,
                          std::span<const std::string_view> names) {
  if (!leaf(name, XmlFieldValue::Kind::flags, field.has_value())) return;
  value_.text = xml_flags_text(field, names);
  value_.number = static_cast<std::uint32_t>(*field);
}

}  // namespace tolvex
