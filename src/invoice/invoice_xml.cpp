#include "invoice/invoice_xml.h"

namespace tolvex {
namespace {

constexpr XmlValue kComputed = XmlValue::computed;

// The names and identifiers that supplier and customer share.
template <typename Xml, typename Party>
void party_names_tree(Xml& x, Party& party) {
  x.text("PartyName", party.PartyName);
  x.text("CompanyTaxID", party.CompanyTaxID);
  x.text("CompanyVATID", party.CompanyVATID);
  x.text("CompanyRegisterID", party.CompanyRegisterID);
}

// The nine amounts that a tax category summary and the monetary summary share, in their order.
// A summary carries four of them; in the monetary summary all nine are sums over the summaries.
template <typename Xml, typename Amounts>
void tax_amounts_tree(Xml& x, Amounts& t, XmlValue carried) {
  x.decimal("TaxExclusiveAmount", t.TaxExclusiveAmount, carried);
  x.decimal("TaxInclusiveAmount", t.TaxInclusiveAmount, kComputed);
  x.decimal("TaxAmount", t.TaxAmount, carried);
  x.decimal("AlreadyClaimedTaxExclusiveAmount", t.AlreadyClaimedTaxExclusiveAmount, carried);
  x.decimal("AlreadyClaimedTaxInclusiveAmount", t.AlreadyClaimedTaxInclusiveAmount, kComputed);
  x.decimal("AlreadyClaimedTaxAmount", t.AlreadyClaimedTaxAmount, carried);
  x.decimal("DifferenceTaxExclusiveAmount", t.DifferenceTaxExclusiveAmount, kComputed);
  x.decimal("DifferenceTaxInclusiveAmount", t.DifferenceTaxInclusiveAmount, kComputed);
  x.decimal("DifferenceTaxAmount", t.DifferenceTaxAmount, kComputed);
}

template <typename Xml, typename D>
void invoice_tree(Xml& x, D& invoice) {
  x.text("InvoiceID", invoice.InvoiceID);
  x.text("IssueDate", invoice.IssueDate);
  x.text("TaxPointDate", invoice.TaxPointDate);
  x.text("OrderID", invoice.OrderID);
  x.text("DeliveryNoteID", invoice.DeliveryNoteID);
  x.text("LocalCurrencyCode", invoice.LocalCurrencyCode);
  x.text("ForeignCurrencyCode", invoice.ForeignCurrencyCode);
  x.decimal("CurrRate", invoice.CurrRate);
  x.decimal("ReferenceCurrRate", invoice.ReferenceCurrRate);
  x.record("SupplierParty", invoice.SupplierParty, [](auto& x, auto& s) {
    party_names_tree(x, s);
    x.record("PostalAddress", s.PostalAddress, [](auto& x, auto& a) {
      x.text("StreetName", a.StreetName);
      x.text("BuildingNumber", a.BuildingNumber);
      x.text("CityName", a.CityName);
      x.text("PostalZone", a.PostalZone);
      x.text("State", a.State);
      x.text("Country", a.Country);
    });
    x.record("Contact", s.Contact, [](auto& x, auto& c) {
      x.text("Name", c.Name);
      x.text("Telephone", c.Telephone);
      x.text("EMail", c.EMail);
    });
  });
  x.record("CustomerParty", invoice.CustomerParty, [](auto& x, auto& c) {
    party_names_tree(x, c);
    x.text("PartyIdentification", c.PartyIdentification);
  });
  x.integer("NumberOfInvoiceLines", invoice.NumberOfInvoiceLines);
  x.text("InvoiceDescription", invoice.InvoiceDescription);
  x.record("SingleInvoiceLine", invoice.SingleInvoiceLine, [](auto& x, auto& l) {
    x.text("OrderLineID", l.OrderLineID);
    x.text("DeliveryNoteLineID", l.DeliveryNoteLineID);
    x.text("ItemName", l.ItemName);
    x.text("ItemEANCode", l.ItemEANCode);
    x.text("PeriodFromDate", l.PeriodFromDate);
    x.text("PeriodToDate", l.PeriodToDate);
    x.decimal("InvoicedQuantity", l.InvoicedQuantity);
    x.decimal("UnitPriceTaxExclusiveAmount", l.UnitPriceTaxExclusiveAmount, kComputed);
    x.decimal("UnitPriceTaxInclusiveAmount", l.UnitPriceTaxInclusiveAmount, kComputed);
    x.decimal("UnitPriceTaxAmount", l.UnitPriceTaxAmount, kComputed);
  });
  x.list("TaxCategorySummaries", "TaxCategorySummary", invoice.TaxCategorySummaries, [](auto& x, auto& t) {
    x.decimal("ClassifiedTaxCategory", t.ClassifiedTaxCategory);
    tax_amounts_tree(x, t, XmlValue::carried);
  });
  x.record("MonetarySummary", invoice.MonetarySummary, [](auto& x, auto& m) {
    tax_amounts_tree(x, m, kComputed);
    x.decimal("PayableRoundingAmount", m.PayableRoundingAmount);
    x.decimal("PaidDepositsAmount", m.PaidDepositsAmount);
    x.decimal("PayableAmount", m.PayableAmount, kComputed);
  });
  x.flags("PaymentMeans", invoice.PaymentMeans, kPaymentMeansNames);
}

}  // namespace

ErrorCode xml_read_invoice(const xmlNode* root, DocumentPtr<>* document) {
  unsigned type = 0;
  if (const ErrorCode code = xml_read_root_type(root, kInvoiceDocumentTypeNames, &type)) return code;
  DocumentPtr<Invoice> invoice = invoice_new();
  invoice->header.set_document_type(type);
  XmlTreeReader reader(root);
  invoice_tree(reader, *invoice);
  if (const ErrorCode code = reader.result()) return code;
  if (document != nullptr) *document = std::move(invoice);
  return ERROR_OK;
}

void xml_write_invoice(XmlTreeWriter& writer, const Invoice& invoice) { invoice_tree(writer, invoice); }

void xml_walk_invoice(XmlTreeWalker& walker) {
  const DocumentPtr<Invoice> invoice = invoice_new();
  invoice_tree(walker, static_cast<const Invoice&>(*invoice));
}

void xml_find_invoice(XmlTreeFinder& finder, const Invoice& invoice) { invoice_tree(finder, invoice); }

ErrorCode json_read_invoice(const JsonValue& object, std::string_view path, DocumentPtr<>* document) {
  unsigned type = 0;
  if (const ErrorCode code = json_read_root_type(object, path, kInvoiceDocumentTypeNames, &type)) return code;
  DocumentPtr<Invoice> invoice = invoice_new();
  invoice->header.set_document_type(type);
  JsonTreeReader reader(object, std::string(path));
  invoice_tree(reader, *invoice);
  if (const ErrorCode code = reader.result()) return code;
  if (document != nullptr) *document = std::move(invoice);
  return ERROR_OK;
}

void json_write_invoice(JsonTreeWriter& writer, const Invoice& invoice) { invoice_tree(writer, invoice); }

}  // namespace tolvex
