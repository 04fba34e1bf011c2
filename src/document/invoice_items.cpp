#include "document/invoice_items.h"

#include "validate/invoice_rules.h"

namespace tolvex {

DocumentPtr<InvoiceItems> invoice_items_new() {
  DocumentPtr<InvoiceItems> document(std::make_unique<InvoiceItems>().release());
  document->header.set_family(FAMILY_INVOICE_ITEMS);
  document->free = invoice_items_free;
  document->deriveAmounts = invoice_items_derive_amounts;
  document->validate = invoice_items_validate;
  return document;
}

void invoice_items_free(Document* document) {
  const std::unique_ptr<InvoiceItems> owned(static_cast<InvoiceItems*>(document));
}

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
