// The PAY family's XML tree: Pay, Payments, Payment with its bank accounts and extensions.
#pragma once

#include <libxml/tree.h>

#include "cli/error.h"
#include "document/document.h"

namespace tolvex {

// Builds a PAY document from the Pay root element. The document is stored only when every
// element was read; the first bad element decides the error.
ErrorCode xml_read_pay(const xmlNode* root, DocumentPtr<>& document);

}  // namespace tolvex
