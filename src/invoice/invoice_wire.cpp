#include "invoice/invoice_wire.h"

#include "codec/field_wire.h"

namespace tolvex {
namespace {

// The names and identifiers that supplier and customer share.
template <typename Wire, typename Party>
void party_names_wire(Wire& w, Party& party) {
  w.text(party.PartyName);
  w.text(party.CompanyTaxID);
  w.text(party.CompanyVATID);
  w.text(party.CompanyRegisterID);
}

// Only carried fields; the computed amounts are derived again after decoding.
template <typename Wire, typename D>
void invoice_wire(Wire& w, D& invoice) {
  w.text(invoice.InvoiceID);
  w.date(invoice.IssueDate);
  w.date(invoice.TaxPointDate);
  w.text(invoice.OrderID);
  w.text(invoice.DeliveryNoteID);
  w.text(invoice.LocalCurrencyCode);
  w.text(invoice.ForeignCurrencyCode);
  w.decimal(invoice.CurrRate);
  w.decimal(invoice.ReferenceCurrRate);
  w.record(invoice.SupplierParty, [](auto& w, auto& s) {
    party_names_wire(w, s);
    w.record(s.PostalAddress, [](auto& w, auto& a) {
      w.text(a.StreetName);
      w.text(a.BuildingNumber);
      w.text(a.CityName);
      w.text(a.PostalZone);
      w.text(a.State);
      w.text(a.Country);
    });
    w.record(s.Contact, [](auto& w, auto& c) {
      w.text(c.Name);
      w.text(c.Telephone);
      w.text(c.EMail);
    });
  });
  w.record(invoice.CustomerParty, [](auto& w, auto& c) {
    party_names_wire(w, c);
    w.text(c.PartyIdentification);
  });
  w.integer(invoice.NumberOfInvoiceLines);
  w.text(invoice.InvoiceDescription);
  // Seven empty fields stand for an invoice without a single line.
  w.record_unless_empty(invoice.SingleInvoiceLine, [](auto& w, auto& l) {
    w.text(l.OrderLineID);
    w.text(l.DeliveryNoteLineID);
    w.text(l.ItemName);
    w.text(l.ItemEANCode);
    w.date(l.PeriodFromDate);
    w.date(l.PeriodToDate);
    w.decimal(l.InvoicedQuantity);
  });
  w.list(invoice.TaxCategorySummaries, [](auto& w, auto& t) {
    w.decimal(t.ClassifiedTaxCategory);
    w.decimal(t.TaxExclusiveAmount);
    w.decimal(t.TaxAmount);
    w.decimal(t.AlreadyClaimedTaxExclusiveAmount);
    w.decimal(t.AlreadyClaimedTaxAmount);
  });
  w.record(invoice.MonetarySummary, [](auto& w, auto& m) {
    w.decimal(m.PayableRoundingAmount);
    w.decimal(m.PaidDepositsAmount);
  });
  w.integer(invoice.PaymentMeans);
}

}  // namespace

void serialise_invoice(FieldBuffer& buffer, const Invoice& invoice) {
  FieldWriter writer(buffer);
  invoice_wire(writer, invoice);
}

DocumentPtr<Invoice> deserialise_invoice(FieldBuffer& buffer) {
  DocumentPtr<Invoice> invoice = invoice_new();
  FieldReader reader(buffer);
  invoice_wire(reader, *invoice);
  return invoice;
}

}  // namespace tolvex
