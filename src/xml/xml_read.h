// Reading a document from XML text with libxml2, and the value readers the family mappings use.
//
// Every reader looks at the first child element of the given name only, compared by local name
// (namespaces are never looked at). A missing child, or one without text content, leaves the field
// absent and is no error; what is required is validation's business.
#pragma once

#include <libxml/tree.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

#include "cli/error.h"
#include "document/document.h"
#include "document/value.h"

namespace tolvex {

// Reads one document from XML text (not necessarily NUL-terminated). On success returns 0 and
// stores the document, or no document when the root element names no family.
ErrorCode xml_read_document(const char* text, std::size_t length, DocumentPtr<>& document);

// Reads the root's "type" attribute, whatever its prefix (xsi:type or plain type), as a position in
// types: 0 when the attribute is absent, ERROR_XML when its value is not one of types.
ErrorCode xml_read_root_type(const xmlNode* root, std::span<const std::string_view> types,
                             unsigned& document_type);

// Whether node is an element with this local name.
bool xml_is_element(const xmlNode* node, std::string_view name);

// The first child element of parent with this name, or null.
const xmlNode* xml_child(const xmlNode* parent, std::string_view name);

// Stores a copy of the child's content, white space included. Cannot fail.
void xml_read_text(const xmlNode* parent, std::string_view name, Text& field);

// Fails with ERROR_XML, the element name and "Invalid integer format." unless the whole content
// is a base-10 integer.
ErrorCode xml_read_integer(const xmlNode* parent, std::string_view name, Integer& field);

// Fails with ERROR_XML, the element name and the decimal-mark hint unless the whole content is a
// number with "." as decimal mark.
ErrorCode xml_read_decimal(const xmlNode* parent, std::string_view name, Decimal& field);

// Stores the position of the name equal to the content; no equal name is "Invalid enum value.".
ErrorCode xml_read_enum(const xmlNode* parent, std::string_view name, Enumeration& field,
                        std::span<const std::string_view> names);

// As xml_read_enum, but stores the code at the same position of the parallel code list.
ErrorCode xml_read_enum_code(const xmlNode* parent, std::string_view name, CodeText& field,
                             std::span<const std::string_view> names,
                             std::span<const std::string_view> codes);

// Stores the bit sum of the names in the space-separated content. Unknown words are skipped;
// a name given twice is "Contains duplicate value.".
ErrorCode xml_read_flags(const xmlNode* parent, std::string_view name, FlagSet& field,
                         std::span<const std::string_view> names);

// Creates one list item from its element; on failure the item is dropped with the document.
template <typename T>
using XmlItemReader = ErrorCode (*)(const xmlNode* element, Record<T>& item);

// Builds the list from the item_name children of the first list_name child. The list is present
// (possibly empty) as soon as the list element exists; the first failing item ends the reading.
template <typename T>
ErrorCode xml_read_list(const xmlNode* parent, std::string_view list_name, std::string_view item_name,
                        List<T>& field, XmlItemReader<T> read_item) {
  const xmlNode* list = xml_child(parent, list_name);
  if (list == nullptr) return ERROR_OK;
  field.emplace();
  for (const xmlNode* child = list->children; child != nullptr; child = child->next) {
    if (!xml_is_element(child, item_name)) continue;
    Record<T> item;
    if (const ErrorCode code = read_item(child, item)) return code;
    field->append(std::move(item));
  }
  return ERROR_OK;
}

// strtol in the "C" locale over the whole text: leading white space and a sign are allowed,
// anything left over is not. Out-of-range values are clamped to the 32-bit bounds.
std::optional<std::int32_t> parse_integer(const char* content);

// strtod in the "C" locale over the whole text, whatever locale the program has set: "." is the
// only decimal mark and nothing may follow the number.
std::optional<double> parse_decimal(const char* content);

}  // namespace tolvex
