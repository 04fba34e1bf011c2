// The INVOICE ITEMS family's XML tree: the invoice reference and its invoice lines.
#pragma once

#include <libxml/tree.h>

#include "cli/error.h"
#include "document/document.h"

namespace tolvex {

// Builds an INVOICE ITEMS document from the InvoiceItems root element, carried fields only:
// computed line amounts in the XML are ignored. The document is stored only when every element was read.
ErrorCode xml_read_invoice_items(const xmlNode* root, DocumentPtr<>& document);

}  // namespace tolvex
