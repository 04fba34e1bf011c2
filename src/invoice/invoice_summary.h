// An invoice as a person reads it.
#pragma once

#include <string>

#include "tolvex/invoice.hpp"

namespace tolvex {

// One block titled by the document type and number ("Credit note DN2026-0012"): dates, order,
// supplier and customer, currency, the single line, tax by rate and the totals, in the local
// currency; only the fields the invoice holds (its totals once its amounts are derived).
[[nodiscard]] std::string invoice_summary(const Invoice& invoice);

}  // namespace tolvex
