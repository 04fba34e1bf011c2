// Reading XML with libxml2: parsing a text with the parser's own diagnostics, the value readers,
// and XmlTreeReader, which reads a record's fields as the record's XML description names them.
//
// Every reader looks at the first child element of the given name only, compared by local name
// (namespaces are never looked at). A missing child, or one without text content, leaves the
// field absent and is no error; what is required is validation's business.
#pragma once

#include <libxml/tree.h>

#include <cstddef>
#include <memory>
#include <span>
#include <string_view>

#include "base/error.h"
#include "base/words.h"
#include "tolvex/value.hpp"

namespace tolvex {

struct XmlDocDeleter {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using XmlDocPtr = std::unique_ptr<xmlDoc, XmlDocDeleter>;

// What the entity references of a document may expand to: the content of one element or
// attribute, and the sum over the document. No field of a document can reach a code beyond a few
// hundred bytes, so both leave valid documents far from their reach; content without
// references is not counted.
inline constexpr std::size_t kXmlMaxExpandedContent = 64 * 1024;
inline constexpr std::size_t kXmlMaxExpandedDocument = 1024 * 1024;

// Parses XML text (not necessarily NUL-terminated) into a tree with a root element. A null
// text is ERROR_NULL_POINTER "XML cannot be NULL."; a text that gives no root element is
// ERROR_XML "Getting root element error", followed by a line break and libxml2's messages when
// it reported any. Content whose entity references expand past the bounds above is ERROR_XML
// as well, its message naming the bound and its detail the element or attribute.
[[nodiscard]] ErrorCode xml_parse(const char* text, std::size_t length, XmlDocPtr* tree);

// Reads the root's "type" attribute, whatever its prefix (xsi:type or plain type), as a position
// in types: 0 when the attribute is absent, ERROR_XML when its value is not one of types.
[[nodiscard]] ErrorCode xml_read_root_type(const xmlNode* root, std::span<const std::string_view> types,
                                           unsigned* documentType);

// Whether node is an element with this local name.
[[nodiscard]] bool xml_is_element(const xmlNode* node, std::string_view name);

// The first child element of parent with this name, or null.
[[nodiscard]] const xmlNode* xml_child(const xmlNode* parent, std::string_view name);

// Stores a copy of the child's content, white space included. Cannot fail.
void xml_read_text(const xmlNode* parent, std::string_view name, Text& field);

// Fails with ERROR_XML, the element name and "Invalid integer format." unless the whole content
// is a base-10 integer.
[[nodiscard]] ErrorCode xml_read_integer(const xmlNode* parent, std::string_view name, Integer& field);

// Fails with ERROR_XML, the element name and the decimal-mark hint unless the whole content is a
// number with "." as decimal mark.
[[nodiscard]] ErrorCode xml_read_decimal(const xmlNode* parent, std::string_view name, Decimal& field);

// Stores the position of the name equal to the content; no equal name is "Invalid enum value.".
[[nodiscard]] ErrorCode xml_read_enum(const xmlNode* parent, std::string_view name, Enumeration& field,
                                      std::span<const std::string_view> names);

// As xml_read_enum, but stores the code at the same position of the parallel code list.
[[nodiscard]] ErrorCode xml_read_enum_code(const xmlNode* parent, std::string_view name, CodeText& field,
                                           std::span<const std::string_view> names,
                                           std::span<const std::string_view> codes);

// Stores the bit sum of the names in the space-separated content. Unknown words are skipped;
// a name given twice is "Contains duplicate value.".
[[nodiscard]] ErrorCode xml_read_flags(const xmlNode* parent, std::string_view name, FlagSet& field,
                                       std::span<const std::string_view> names);

// Builds the list from the itemName children of the first listName child: readItem(element,
// item) makes each item. The list is present (possibly empty) as soon as the list element
// exists; the first failing item ends the reading.
template <typename T, typename ReadItem>
[[nodiscard]] ErrorCode xml_read_list(const xmlNode* parent, std::string_view listName,
                                      std::string_view itemName, List<T>& field, ReadItem readItem) {
  const xmlNode* list = xml_child(parent, listName);
  if (list == nullptr) return ERROR_OK;
  field.emplace();
  for (const xmlNode* child = list->children; child != nullptr; child = child->next) {
    if (!xml_is_element(child, itemName)) continue;
    Record<T> item;
    if (const ErrorCode code = readItem(child, item)) return code;
    field->append(std::move(item));
  }
  return ERROR_OK;
}

// Reads the fields of a record from the children of one element, in the order the record's XML
// description names them (the same description drives XmlTreeWriter). The first failure is kept
// and every later read skipped, so it is the one reported.
class XmlTreeReader {
 public:
  explicit XmlTreeReader(const xmlNode* element) : element_(element) {}

  [[nodiscard]] ErrorCode result() const { return code_; }

  void text(std::string_view name, Text& field) {
    if (code_ == ERROR_OK) xml_read_text(element_, name, field);
  }
  void integer(std::string_view name, Integer& field) {
    if (code_ == ERROR_OK) code_ = xml_read_integer(element_, name, field);
  }
  void decimal(std::string_view name, Decimal& field, XmlValue value = XmlValue::carried) {
    if (code_ == ERROR_OK && value == XmlValue::carried) code_ = xml_read_decimal(element_, name, field);
  }
  void enumeration(std::string_view name, Enumeration& field, std::span<const std::string_view> names) {
    if (code_ == ERROR_OK) code_ = xml_read_enum(element_, name, field, names);
  }
  void code(std::string_view name, CodeText& field, std::span<const std::string_view> names,
            std::span<const std::string_view> codes) {
    if (code_ == ERROR_OK) code_ = xml_read_enum_code(element_, name, field, names, codes);
  }
  void flags(std::string_view name, FlagSet& field, std::span<const std::string_view> names) {
    if (code_ == ERROR_OK) code_ = xml_read_flags(element_, name, field, names);
  }

  // The record exists when its element does, with the fields found inside it.
  template <typename T, typename Fields>
  void record(std::string_view name, Record<T>& field, Fields fields) {
    if (code_ != ERROR_OK) return;
    const xmlNode* child = xml_child(element_, name);
    if (child == nullptr) return;
    field = std::make_unique<T>();
    XmlTreeReader inner(child);
    fields(inner, *field);
    code_ = inner.result();
  }

  template <typename T, typename Fields>
  void list(std::string_view name, std::string_view itemName, List<T>& field, Fields fields) {
    if (code_ != ERROR_OK) return;
    code_ =
        xml_read_list(element_, name, itemName, field, [&fields](const xmlNode* element, Record<T>& item) {
          item = std::make_unique<T>();
          XmlTreeReader inner(element);
          fields(inner, *item);
          return inner.result();
        });
  }

 private:
  const xmlNode* element_;
  ErrorCode code_ = ERROR_OK;
};

}  // namespace tolvex
