#include "xml/xml_read.h"

#include <libxml/parser.h>

#include <climits>
#include <cstring>
#include <limits>
#include <optional>
#include <unordered_map>

#include "base/messages.h"
#include "base/numbers.h"
#include "base/words.h"
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

std::size_t saturating_sum(std::size_t a, std::size_t b) {
  return b > std::numeric_limits<std::size_t>::max() - a ? std::numeric_limits<std::size_t>::max() : a + b;
}

// Measures what reading a value would produce, without producing it. The tree keeps entity
// references as references and a reader expands them (xmlNodeListGetString with inLine set), so
// a short document that names a long entity many times reads as gigabytes, and libxml2's
// concatenation makes that quadratic in time too. Each entity is measured once.
class ExpansionMeter {
 public:
  // The length xmlNodeListGetString(doc, list, 1) would give: text and CDATA of the list
  // itself, and entity references replaced by their entity's content, measured the same way.
  // Elements are skipped, as that function skips them.
  std::size_t length(const xmlDoc* doc, const xmlNode* list) {
    std::size_t total = 0;
    for (const xmlNode* node = list; node != nullptr; node = node->next) {
      if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
        total = saturating_sum(total, content_length(node));
      } else if (node->type == XML_ENTITY_REF_NODE) {
        const xmlEntity* entity = xmlGetDocEntity(doc, node->name);
        total = saturating_sum(total, entity != nullptr ? entity_length(doc, entity) : content_length(node));
      }
    }
    return total;
  }

 private:
  static std::size_t content_length(const xmlNode* node) {
    return node->content != nullptr ? std::strlen(as_chars(node->content)) : 0;
  }

  std::size_t entity_length(const xmlDoc* doc, const xmlEntity* entity) {
    const auto [known, added] = entities_.try_emplace(entity, std::numeric_limits<std::size_t>::max());
    // An entity met again while it is being measured names itself: endless, so past any bound.
    if (!added) return known->second;
    const std::size_t measured = length(doc, entity->children);
    entities_[entity] = measured;
    return measured;
  }

  std::unordered_map<const xmlEntity*, std::size_t> entities_;
};

bool holds_reference(const xmlNode* list) {
  for (const xmlNode* node = list; node != nullptr; node = node->next) {
    if (node->type == XML_ENTITY_REF_NODE) return true;
  }
  return false;
}

// Holds every element's and attribute's content that names an entity to the bounds, each one
// and all together. Content without references is a copy of the input and bounded by it.
ErrorCode check_expansion(const xmlDoc* doc) {
  ExpansionMeter meter;
  std::size_t total = 0;
  const auto count = [&](const xmlNode* owner, const xmlNode* list) {
    if (!holds_reference(list)) return ERROR_OK;
    const std::size_t length = meter.length(doc, list);
    if (length > kXmlMaxExpandedContent) return report(messages::kXmlContentTooLong, as_chars(owner->name));
    total = saturating_sum(total, length);
    if (total > kXmlMaxExpandedDocument) return report(messages::kXmlExpansionTooLarge);
    return ERROR_OK;
  };
  // Depth first through the elements, without recursion.
  const xmlNode* root = xmlDocGetRootElement(doc);
  for (const xmlNode* node = root; node != nullptr;) {
    if (const ErrorCode code = count(node, node->children)) return code;
    for (const xmlAttr* attribute = node->properties; attribute != nullptr; attribute = attribute->next) {
      if (const ErrorCode code = count(reinterpret_cast<const xmlNode*>(attribute), attribute->children))
        return code;
    }
    const xmlNode* next = nullptr;
    for (const xmlNode* child = node->children; child != nullptr && next == nullptr; child = child->next) {
      if (child->type == XML_ELEMENT_NODE) next = child;
    }
    for (const xmlNode* up = node; next == nullptr && up != root; up = up->parent) {
      for (const xmlNode* sibling = up->next; sibling != nullptr && next == nullptr; sibling = sibling->next) {
        if (sibling->type == XML_ELEMENT_NODE) next = sibling;
      }
    }
    node = next;
  }
  return ERROR_OK;
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
  if (const ErrorCode code = check_expansion(parsed.get())) return code;
  if (tree != nullptr) *tree = std::move(parsed);
  return ERROR_OK;
}

ErrorCode xml_read_root_type(const xmlNode* root, std::span<const std::string_view> types,
                             unsigned* documentType) {
  // xmlGetProp matches the local name in any namespace.
  const XmlStringPtr type(xmlGetProp(root, reinterpret_cast<const xmlChar*>("type")));
  std::optional<std::size_t> position = 0;
  if (type != nullptr) position = word_position(as_chars(type.get()), types);
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
  return read_enumeration_word(name, as_chars(content.get()), field, names);
}

ErrorCode xml_read_enum_code(const xmlNode* parent, std::string_view name, CodeText& field,
                             std::span<const std::string_view> names,
                             std::span<const std::string_view> codes) {
  const XmlStringPtr content = child_content(parent, name);
  if (content == nullptr) return ERROR_OK;
  return read_code_word(name, as_chars(content.get()), field, names, codes);
}

ErrorCode xml_read_flags(const xmlNode* parent, std::string_view name, FlagSet& field,
                         std::span<const std::string_view> names) {
  const XmlStringPtr content = child_content(parent, name);
  if (content == nullptr) return ERROR_OK;
  return read_flag_words(name, as_chars(content.get()), field, names);
}

}  // namespace tolvex
