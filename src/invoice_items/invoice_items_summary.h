// Invoice lines as a person reads them.
#pragma once

#include <string>

#include "tolvex/invoice_items.hpp"

namespace tolvex {

// A block naming the invoice and its first line, then one block a line ("Line 3"): item,
// references, period, quantity, unit price and tax, and the line's amounts once derived; only
// the fields each line holds.
[[nodiscard]] std::string invoice_items_summary(const InvoiceItems& items);

}  // namespace tolvex
