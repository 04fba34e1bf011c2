#include "tolvex/pay.hpp"

#include "pay/pay_rules.h"

namespace tolvex {

// No field of a payment order is computed from others: there is no deriveAmounts slot.
DocumentPtr<Pay> pay_new() { return document_new<Pay>(kFamilyPay, pay_free, nullptr, pay_validate); }

void pay_free(Document* document) { document_release<Pay>(document); }

}  // namespace tolvex
