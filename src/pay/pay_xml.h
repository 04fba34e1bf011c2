// The PAY family's XML tree, in both directions.
#pragma once

#include <libxml/tree.h>

#include <array>
#include <string_view>

#include "base/error.h"
#include "document/document.h"
#include "tolvex/pay.hpp"
#include "json/json_tree.h"
#include "xml/xml_tree_find.h"
#include "xml/xml_tree_walk.h"
#include "xml/xml_write.h"

namespace tolvex {

// The root element and its only type name.
inline constexpr std::string_view kPayRoot = "Pay";
inline constexpr std::array<std::string_view, 1> kPayTypeNames = {"Pay"};

// Builds a PAY document from the Pay root element. A type attribute other than "Pay" is refused
// before any document exists; the document is stored only when every element was read.
[[nodiscard]] ErrorCode xml_read_pay(const xmlNode* root, DocumentPtr<>* document);

// Writes the elements inside the root.
void xml_write_pay(XmlTreeWriter& writer, const Pay& pay);

// Follows the finder's path through the same elements.
void xml_find_pay(XmlTreeFinder& finder, const Pay& pay);

// Walks the elements inside the root as the same tree names them.
void xml_walk_pay(XmlTreeWalker& walker);

// The same tree as JSON: reads the object inside the root member (at path), and writes the
// members inside it.
[[nodiscard]] ErrorCode json_read_pay(const JsonValue& object, std::string_view path, DocumentPtr<>* document);
void json_write_pay(JsonTreeWriter& writer, const Pay& pay);

}  // namespace tolvex
