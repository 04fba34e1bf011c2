#include "document/pay.h"

#include "validate/pay_rules.h"

namespace tolvex {

DocumentPtr<Pay> pay_new() {
  DocumentPtr<Pay> document(std::make_unique<Pay>().release());
  document->header.set_family(FAMILY_PAY);
  document->free = pay_free;
  document->validate = pay_validate;
  return document;
}

void pay_free(Document* document) {
  // Taking ownership back releases every field, record and list item with it.
  const std::unique_ptr<Pay> owned(static_cast<Pay*>(document));
}

}  // namespace tolvex
