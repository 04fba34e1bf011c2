// A payment order as a person reads it.
#pragma once

#include <string>

#include "tolvex/pay.hpp"

namespace tolvex {

// One block a payment, titled by its kind ("Payment order", "Standing order", "Direct debit"):
// amount, accounts, due date, symbols and references, note, then the standing order's period
// and the direct debit's scheme and mandate; only the fields the payment holds.
[[nodiscard]] std::string pay_summary(const Pay& pay);

}  // namespace tolvex
