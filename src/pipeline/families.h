// What the compositions need of each document family, in one table: its XML root and type
// names, its XML tree (also read and written as JSON) and its wire order, each in both directions.
#pragma once

#include <libxml/tree.h>

#include <span>
#include <string_view>

#include "base/error.h"
#include "base/messages.h"
#include "codec/field_buffer.h"
#include "document/document.h"
#include "json/json_tree.h"
#include "validate/rule_run.h"
#include "xml/xml_tree_find.h"
#include "xml/xml_tree_walk.h"
#include "xml/xml_write.h"

namespace tolvex {

struct FamilyFormat {
  unsigned family;
  std::string_view root;                        // the root element's name
  std::span<const std::string_view> typeNames;  // the xsi:type names by documentType
  Message unknownTypeMessage;                   // when a document's type has no name
  ErrorCode (*readXml)(const xmlNode* root, DocumentPtr<>* document);
  void (*writeXml)(XmlTreeWriter& writer, const Document& document);
  void (*findXml)(XmlTreeFinder& finder, const Document& document);
  ErrorCode (*readJson)(const JsonValue& object, std::string_view path, DocumentPtr<>* document);
  void (*writeJson)(JsonTreeWriter& writer, const Document& document);
  void (*serialise)(FieldBuffer& buffer, const Document& document);
  DocumentPtr<> (*deserialise)(FieldBuffer& buffer);
  void (*walkXml)(XmlTreeWalker& walker);  // the elements inside the root, for the checks
  void (*rules)(const Document* document, RuleRun& run);  // the validate slot's rules, for the checks
};

// The format of the family the header names, or null for the families 3 to 15.
[[nodiscard]] const FamilyFormat* family_format(const DocumentHeader& header);

// The format whose root element this is, or null.
[[nodiscard]] const FamilyFormat* family_format_of_root(const xmlNode* root);

// The format whose root element has this name, or null.
[[nodiscard]] const FamilyFormat* family_format_of_root_name(std::string_view root);

}  // namespace tolvex
