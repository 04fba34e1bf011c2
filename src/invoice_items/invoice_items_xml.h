// The INVOICE ITEMS family's XML tree, in both directions.
#pragma once

#include <libxml/tree.h>

#include <array>
#include <string_view>

#include "base/error.h"
#include "document/document.h"
#include "tolvex/invoice_items.hpp"
#include "json/json_tree.h"
#include "xml/xml_tree_find.h"
#include "xml/xml_tree_walk.h"
#include "xml/xml_write.h"

namespace tolvex {

// The root element and its only type name.
inline constexpr std::string_view kInvoiceItemsRoot = "InvoiceItems";
inline constexpr std::array<std::string_view, 1> kInvoiceItemsTypeNames = {"InvoiceItems"};

// Builds an INVOICE ITEMS document from the InvoiceItems root element, carried fields only:
// computed line amounts in the XML are ignored. The document is stored only when every element
// was read.
[[nodiscard]] ErrorCode xml_read_invoice_items(const xmlNode* root, DocumentPtr<>* document);

// Writes the elements inside the root, computed amounts included.
void xml_write_invoice_items(XmlTreeWriter& writer, const InvoiceItems& items);

// Follows the finder's path through the same elements.
void xml_find_invoice_items(XmlTreeFinder& finder, const InvoiceItems& items);

// Walks the elements inside the root as the same tree names them.
void xml_walk_invoice_items(XmlTreeWalker& walker);

// The same tree as JSON: reads the object inside the root member (at path), and writes the
// members inside it.
[[nodiscard]] ErrorCode json_read_invoice_items(const JsonValue& object, std::string_view path, DocumentPtr<>* document);
void json_write_invoice_items(JsonTreeWriter& writer, const InvoiceItems& items);

}  // namespace tolvex
