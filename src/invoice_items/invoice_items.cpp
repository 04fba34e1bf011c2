#include "tolvex/invoice_items.hpp"

#include "invoice_items/invoice_items_rules.h"

namespace tolvex {

DocumentPtr<InvoiceItems> invoice_items_new() {
  return document_new<InvoiceItems>(kFamilyInvoiceItems, invoice_items_free, invoice_items_derive_amounts,
                                    invoice_items_validate);
}

void invoice_items_free(Document* document) { document_release<InvoiceItems>(document); }

void invoice_items_derive_amounts(Document* document) {
  auto* items = static_cast<InvoiceItems*>(document);
  if (items == nullptr || !items->InvoiceLines) return;
  for (const auto& line : *items->InvoiceLines) {
    if (!line) continue;
    const double price = value_get_decimal(line->UnitPriceTaxExclusiveAmount);
    const double tax = value_get_decimal(line->UnitPriceTaxAmount);
    const double quantity = value_get_decimal(line->InvoicedQuantity);
    value_set_decimal(line->UnitPriceTaxInclusiveAmount, price + tax);
    value_set_decimal(line->LineTaxExclusiveAmount, price * quantity);
    value_set_decimal(line->LineTaxInclusiveAmount, (price + tax) * quantity);
    value_set_decimal(line->LineTaxAmount, tax * quantity);
  }
}

}  // namespace tolvex
