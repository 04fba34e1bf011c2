#include "invoice_items/invoice_items_wire.h"

#include "codec/field_wire.h"

namespace tolvex {
namespace {

// Only carried fields; the computed line amounts are derived again after decoding.
template <typename Wire, typename D>
void invoice_items_wire(Wire& w, D& items) {
  w.text(items.InvoiceID);
  w.text(items.FirstInvoiceLineID);
  w.list(items.InvoiceLines, [](auto& w, auto& l) {
    w.record(l.OrderReference, [](auto& w, auto& r) {
      w.text(r.OrderID);
      w.text(r.OrderLineID);
    });
    w.record(l.DeliveryNoteReference, [](auto& w, auto& r) {
      w.text(r.DeliveryNoteID);
      w.text(r.DeliveryNoteLineID);
    });
    w.text(l.ItemName);
    w.text(l.ItemEANCode);
    w.date(l.PeriodFromDate);
    w.date(l.PeriodToDate);
    w.decimal(l.InvoicedQuantity);
    w.decimal(l.UnitPriceTaxExclusiveAmount);
    w.decimal(l.UnitPriceTaxAmount);
    w.decimal(l.ClassifiedTaxCategory);
  });
}

}  // namespace

void serialise_invoice_items(FieldBuffer& buffer, const InvoiceItems& items) {
  FieldWriter writer(buffer);
  invoice_items_wire(writer, items);
}

DocumentPtr<InvoiceItems> deserialise_invoice_items(FieldBuffer& buffer) {
  DocumentPtr<InvoiceItems> items = invoice_items_new();
  FieldReader reader(buffer);
  invoice_items_wire(reader, *items);
  return items;
}

}  // namespace tolvex
