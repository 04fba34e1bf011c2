// Writing XML: element content escaped so that any decoded text stays well-formed, the root
// element with its namespaces, and XmlTreeWriter, which writes a record's fields as the record's
// XML description names them. Everything is written in one line, with no white space between
// elements.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "base/memory_stream.h"
#include "tolvex/value.hpp"
#include "xml/xml_read.h"

namespace tolvex {

// The namespace of the tolvex XML vocabulary, written as the default namespace of every root.
inline constexpr std::string_view kTolvexNamespace = "http://tolvex.org/tolvex";
inline constexpr std::string_view kXmlSchemaInstanceNamespace = "http://www.w3.org/2001/XMLSchema-instance";

// Element content that stays well-formed whatever bytes a decoded text holds: "&" and "<" become
// references, and ">" where it would close "]]>"; a carriage return survives as a reference, and
// bytes that XML cannot carry at all (invalid UTF-8, most control characters) become U+FFFD.
[[nodiscard]] std::string xml_escape(std::string_view text);

// The written form of an enumeration (the name at the held position), a code text (the name
// whose code equals it) and a flag set (the names of the set bits in position order, joined by
// spaces; bits beyond the list are ignored); empty when there is nothing to write.
[[nodiscard]] std::string_view xml_enumeration_text(const Enumeration& field,
                                                    std::span<const std::string_view> names);
[[nodiscard]] std::string_view xml_code_text(const CodeText& field, std::span<const std::string_view> names,
                                             std::span<const std::string_view> codes);
[[nodiscard]] std::string xml_flags_text(const FlagSet& field, std::span<const std::string_view> names);

// Writes <name>content</name> unless content is empty; content is already XML.
void xml_write_element(MemoryStream& out, std::string_view name, std::string_view content);

// The declaration and the root start tag with the schema-instance and the tolvex namespace and
// xsi:type; and the end tag.
void xml_write_root_start(MemoryStream& out, std::string_view root, std::string_view type);
void xml_write_root_end(MemoryStream& out, std::string_view root);

// Writes the fields of a record as elements, in the order the record's XML description names
// them (the same description drives XmlTreeReader). An absent field, an empty text and a record
// or list with nothing to say leave no element behind.
class XmlTreeWriter {
 public:
  explicit XmlTreeWriter(MemoryStream& out) : out_(out) {}

  void text(std::string_view name, const Text& field);
  void integer(std::string_view name, const Integer& field);
  // Computed amounts are written like carried ones.
  void decimal(std::string_view name, const Decimal& field, XmlValue value = XmlValue::carried);
  void enumeration(std::string_view name, const Enumeration& field, std::span<const std::string_view> names);
  void code(std::string_view name, const CodeText& field, std::span<const std::string_view> names,
            std::span<const std::string_view> codes);
  void flags(std::string_view name, const FlagSet& field, std::span<const std::string_view> names);

  // A record's fields go through a stream of their own, so a record with nothing to say leaves
  // no element behind.
  template <typename T, typename Fields>
  void record(std::string_view name, const Record<T>& field, Fields fields) {
    if (field) write_record(name, *field, fields);
  }

  // Null items are skipped.
  template <typename T, typename Fields>
  void list(std::string_view name, std::string_view itemName, const List<T>& field, Fields fields) {
    if (!field) return;
    MemoryStream content;
    XmlTreeWriter inner(content);
    for (const auto& item : *field) {
      if (item) inner.write_record(itemName, *item, fields);
    }
    element(name, content);
  }

 private:
  template <typename T, typename Fields>
  void write_record(std::string_view name, const T& value, Fields& fields) {
    MemoryStream content;
    XmlTreeWriter inner(content);
    fields(inner, value);
    element(name, content);
  }

  void element(std::string_view name, MemoryStream& content);

  MemoryStream& out_;
};

}  // namespace tolvex
