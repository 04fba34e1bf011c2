#include "xml/xml_read.h"

#include <libxml/parser.h>

#include <climits>
#include <optional>

#include "base/messages.h"
#include "base/numbers.h"
#include "xml/error_collection.h"

namespace tolvex {
namespace {

struct XmlStringDeleter {
  void operator()(xmlChar* text) const { xmlFree(text); }
};
using XmlStringPtr = std::unique_ptr<xmlChar, XmlStringDeleter>;

const char* as_chars(const xmlChar* text) { return reinterpret_cast<const char*>(text); }

// The text and CDATA directly inside the first child of that name, entity references substituted;
// null when the child is missing or holds no text at all.
XmlStringPtr child_content(const xmlNode* parent, std::string_view name) {
  const xmlNode* child = xml_child(parent, name);
  if (child == nullptr) return nullptr;
  XmlStringPtr content(xmlNodeListGetString(child->doc, child->children, 1));
  if (content != nullptr && content.get()[0] == '\0') return nullptr;
  return content;
}

std::optional<std::size_t> position_of(std::string_view text, std::span<const std::string_view> names) {
  for (std::size_t position = 0; position < names.size(); ++position) {
    if (names[position] == text) return position;
  }
  return std::nullopt;
}

}  // namespace

ErrorCode xml_parse(const char* text, std::size_t length, XmlDocPtr* tree) {
  if (text == nullptr) return report(messages::kXmlCannotBeNull);

  ErrorCollection& collection = xml_error_collection();
  collection.clear();
  xml_install_error_handlers();
  // xmlReadMemory takes an int length; a longer text is not parsed and reported like unreadable XML.
  XmlDocPtr parsed(length <= INT_MAX ? xmlReadMemory(text, static_cast<int>(length), "noname.xml", nullptr, 0)
                                     : nullptr);
  if (parsed == nullptr || xmlDocGetRootElement(parsed.get()) == nullptr) {
    const ErrorCode code =
        collection.empty() ? report(messages::kGettingRootElementError)
                           : report(messages::kGettingRootElementErrorBeforeDiagnostics, collection.text());
    collection.clear();
    return code;
  }
  collection.clear();
  if (tree != nullptr) *tree = std::move(parsed);
  return ERROR_OK;
}

ErrorCode xml_read_root_type(const xmlNode* root, std::span<const std::string_view> types,
                             unsigned* documentType) {
  // xmlGetProp matches the local name in any namespace.
  const XmlStringPtr type(xmlGetProp(root, reinterpret_cast<const xmlChar*>("type")));
  std::optional<std::size_t> position = 0;
  if (type != nullptr) position = position_of(as_chars(type.get()), types);
  if (!position) return report(messages::kRootTypeAttributeInvalid);
  if (documentType != nullptr) *documentType = static_cast<unsigned>(*position);
  return ERROR_OK;
}

bool xml_is_element(const xmlNode* node, std::string_view name) {
  return node->type == XML_ELEMENT_NODE && as_chars(node->name) == name;
}

const xmlNode* xml_child(const xmlNode* parent, std::string_view name) {
  for (const xmlNode* child = parent->children; child != nullptr; child = child->next) {
    if (xml_is_element(child, name)) return child;
  }
  return nullptr;
}

void xml_read_text(const xmlNode* parent, std::string_view name, Text& field) {
  if (const XmlStringPtr content = child_content(parent, name))
    value_set_text(field, as_chars(content.get()));
}

ErrorCode xml_read_integer(const xmlNode* parent, std::string_view name, Integer& field) {
  const XmlStringPtr content = child_content(parent, name);
  if (content == nullptr) return ERROR_OK;
  const std::optional<std::int32_t> value = parse_integer(as_chars(content.get()));
  if (!value) return report_field(name, messages::kInvalidIntegerFormat);
  value_set_integer(field, *value);
  return ERROR_OK;
}

ErrorCode xml_read_decimal(const xmlNode* parent, std::string_view name, Decimal& field) {
  const XmlStringPtr content = child_content(parent, name);
  if (content == nullptr) return ERROR_OK;
  const std::optional<double> value = parse_decimal(as_chars(content.get()));
  if (!value) return report_field(name, messages::kInvalidDecimalFormat);
  value_set_decimal(field, *value);
  return ERROR_OK;
}

ErrorCode xml_read_enum(const xmlNode* parent, std::string_view name, Enumeration& field,
                        std::span<const std::string_view> names) {
  const XmlStringPtr content = child_content(parent, name);
  if (content == nullptr) return ERROR_OK;
  const std::optional<std::size_t> position = position_of(as_chars(content.get()), names);
  if (!position) return report_field(name, messages::kInvalidEnumValue);
  field = static_cast<std::int32_t>(*position);
  return ERROR_OK;
}

ErrorCode xml_read_enum_code(const xmlNode* parent, std::string_view name, CodeText& field,
                             std::span<const std::string_view> names,
                             std::span<const std::string_view> codes) {
  const XmlStringPtr content = child_content(parent, name);
  if (content == nullptr) return ERROR_OK;
  const std::optional<std::size_t> position = position_of(as_chars(content.get()), names);
  if (!position || *position >= codes.size()) return report_field(name, messages::kInvalidEnumValue);
  value_set_text(field, codes[*position]);
  return ERROR_OK;
}

ErrorCode xml_read_flags(const xmlNode* parent, std::string_view name, FlagSet& field,
                         std::span<const std::string_view> names) {
  const XmlStringPtr content = child_content(parent, name);
  if (content == nullptr) return ERROR_OK;
  std::string_view rest = as_chars(content.get());
  std::int32_t sum = 0;
  // Only the space separates names: a tab or line break makes one unknown word of its neighbours.
  while (!rest.empty()) {
    const std::size_t end = rest.find(' ');
    const std::string_view piece = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    const std::optional<std::size_t> position = position_of(piece, names);
    if (!position) continue;
    const std::int32_t bit = std::int32_t{1} << *position;
    if ((sum & bit) != 0) return report_field(name, messages::kContainsDuplicateValue);
    sum |= bit;
  }
  field = sum;
  return ERROR_OK;
}

}  // namespace tolvex
