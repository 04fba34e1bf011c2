// The validation rules of the INVOICE family.
#pragma once

#include "base/error.h"
#include "document/document.h"
#include "validate/rule_run.h"

namespace tolvex {

// The validate slot of INVOICE documents: 0, or the code of the first rule that failed.
[[nodiscard]] ErrorCode invoice_validate(const Document* document);

// The same rules run either way: stopping at the first failure, or going on to every one.
void invoice_rules(const Document* document, RuleRun& run);

}  // namespace tolvex
