// What a document says, as plain text a person reads: for a payment order one block a payment
// (amount with currency, accounts, due date, symbols and references, note, standing order or
// direct debit), for an invoice its number, dates, parties, totals and tax, for invoice lines
// each line's item, quantity and amount. Fixed order, no colour, lines ending in "\n".
#pragma once

#include <string>

#include "tolvex/document.hpp"
#include "tolvex/result.hpp"

namespace tolvex {

[[nodiscard]] Result<std::string> summary(const Document& document);

}  // namespace tolvex
