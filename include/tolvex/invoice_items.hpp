// The INVOICE ITEMS family: a run of invoice lines referring to an invoice by its identifier.
#pragma once

#include "tolvex/document.hpp"
#include "tolvex/value.hpp"

namespace tolvex {

struct OrderReference {
  Text OrderID;
  Text OrderLineID;
};

struct DeliveryNoteReference {
  Text DeliveryNoteID;
  Text DeliveryNoteLineID;
};

struct InvoiceLine {
  Record<tolvex::OrderReference> OrderReference;
  Record<tolvex::DeliveryNoteReference> DeliveryNoteReference;
  Text ItemName;
  Text ItemEANCode;
  Text PeriodFromDate;
  Text PeriodToDate;
  Decimal InvoicedQuantity;
  Decimal UnitPriceTaxExclusiveAmount;
  Decimal UnitPriceTaxInclusiveAmount;  // computed
  Decimal UnitPriceTaxAmount;
  Decimal LineTaxExclusiveAmount;  // computed
  Decimal LineTaxInclusiveAmount;  // computed
  Decimal LineTaxAmount;           // computed
  Decimal ClassifiedTaxCategory;
};

struct InvoiceItems : Document {
  Text InvoiceID;
  Text FirstInvoiceLineID;  // text, not a number: "0007" stays as written
  List<InvoiceLine> InvoiceLines;
};

// A new INVOICE ITEMS document: header 0x20 0x00, every field absent.
[[nodiscard]] DocumentPtr<InvoiceItems> invoice_items_new();
void invoice_items_free(Document* document);

// Fills the computed line amounts from the carried ones; absent amounts count as 0.
void invoice_items_derive_amounts(Document* document);

}  // namespace tolvex
