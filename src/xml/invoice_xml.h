// The INVOICE family's XML tree; the root's type attribute selects the document type.
#pragma once

#include <libxml/tree.h>

#include "cli/error.h"
#include "document/document.h"

namespace tolvex {

// Builds an INVOICE document from the Invoice root element, carried fields only: computed
// amounts in the XML are ignored. The document is stored only when every element was read.
ErrorCode xml_read_invoice(const xmlNode* root, DocumentPtr<>& document);

}  // namespace tolvex
