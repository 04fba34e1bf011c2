// The validation rules of the INVOICE and INVOICE ITEMS families.
#pragma once

#include "cli/error.h"
#include "document/document.h"

namespace tolvex {

// The validate slot of INVOICE documents: 0, or the code of the first rule that failed.
ErrorCode invoice_validate(const Document* document);

// The validate slot of INVOICE ITEMS documents: 0, or the code of the first rule that failed.
ErrorCode invoice_items_validate(const Document* document);

}  // namespace tolvex
