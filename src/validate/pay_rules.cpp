#include "validate/pay_rules.h"

namespace tolvex {

ErrorCode pay_validate(const Document* document) {
  if (document == nullptr) return set_error(ERROR_INVALID_VALUE, "Pay", " cannot be NULL. ");
  return ERROR_OK;
}

}  // namespace tolvex
