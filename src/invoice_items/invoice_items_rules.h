// The validation rules of the INVOICE ITEMS family.
#pragma once

#include "base/error.h"
#include "document/document.h"

namespace tolvex {

// The validate slot of INVOICE ITEMS documents: 0, or the code of the first rule that failed.
[[nodiscard]] ErrorCode invoice_items_validate(const Document* document);

}  // namespace tolvex
