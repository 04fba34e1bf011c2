// The INVOICE family's XML tree, in both directions; the root's type attribute carries the
// document type.
#pragma once

#include <libxml/tree.h>

#include "base/error.h"
#include "document/document.h"
#include "tolvex/invoice.hpp"
#include "json/json_tree.h"
#include "xml/xml_tree_find.h"
#include "xml/xml_tree_walk.h"
#include "xml/xml_write.h"

namespace tolvex {

inline constexpr std::string_view kInvoiceRoot = "Invoice";

// Builds an INVOICE document from the Invoice root element, carried fields only: computed
// amounts in the XML are ignored. The document is stored only when every element was read.
[[nodiscard]] ErrorCode xml_read_invoice(const xmlNode* root, DocumentPtr<>* document);

// Writes the elements inside the root, computed amounts included.
void xml_write_invoice(XmlTreeWriter& writer, const Invoice& invoice);

// Follows the finder's path through the same elements.
void xml_find_invoice(XmlTreeFinder& finder, const Invoice& invoice);

// Walks the elements inside the root as the same tree names them.
void xml_walk_invoice(XmlTreeWalker& walker);

// The same tree as JSON: reads the object inside the root member (at path), and writes the
// members inside it.
[[nodiscard]] ErrorCode json_read_invoice(const JsonValue& object, std::string_view path, DocumentPtr<>* document);
void json_write_invoice(JsonTreeWriter& writer, const Invoice& invoice);

}  // namespace tolvex
