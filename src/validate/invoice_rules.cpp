#include "validate/invoice_rules.h"

namespace tolvex {

ErrorCode invoice_validate(const Document* document) {
  if (document == nullptr) return set_error(ERROR_INVALID_VALUE, "Invoice", " cannot be NULL. ");
  return ERROR_OK;
}

ErrorCode invoice_items_validate(const Document* document) {
  if (document == nullptr) return set_error(ERROR_INVALID_VALUE, "InvoiceItems", " cannot be NULL. ");
  return ERROR_OK;
}

}  // namespace tolvex
