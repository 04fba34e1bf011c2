// The validation rules of the PAY family.
#pragma once

#include "base/error.h"
#include "document/document.h"

namespace tolvex {

// The validate slot of PAY documents: 0, or the code of the first rule that failed.
[[nodiscard]] ErrorCode pay_validate(const Document* document);

}  // namespace tolvex
