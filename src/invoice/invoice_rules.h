// The validation rules of the INVOICE family.
#pragma once

#include "base/error.h"
#include "document/document.h"

namespace tolvex {

// The validate slot of INVOICE documents: 0, or the code of the first rule that failed.
[[nodiscard]] ErrorCode invoice_validate(const Document* document);

}  // namespace tolvex
