// The validation rules of the PAY family.
#pragma once

#include "base/error.h"
#include "document/document.h"
#include "validate/rule_run.h"

namespace tolvex {

// The validate slot of PAY documents: 0, or the code of the first rule that failed.
[[nodiscard]] ErrorCode pay_validate(const Document* document);

// The same rules run either way: stopping at the first failure, or going on to every one.
void pay_rules(const Document* document, RuleRun& run);

}  // namespace tolvex
