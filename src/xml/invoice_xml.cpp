#include "xml/invoice_xml.h"

#include <memory>

#include "document/invoice.h"
#include "xml/xml_read.h"

namespace tolvex {
namespace {

void read_postal_address(const xmlNode* element, PostalAddress& address) {
  xml_read_text(element, "StreetName", address.StreetName);
  xml_read_text(element, "BuildingNumber", address.BuildingNumber);
  xml_read_text(element, "CityName", address.CityName);
  xml_read_text(element, "PostalZone", address.PostalZone);
  xml_read_text(element, "State", address.State);
  xml_read_text(element, "Country", address.Country);
}

void read_contact(const xmlNode* element, Contact& contact) {
  xml_read_text(element, "Name", contact.Name);
  xml_read_text(element, "Telephone", contact.Telephone);
  xml_read_text(element, "EMail", contact.EMail);
}

void read_supplier(const xmlNode* element, SupplierParty& supplier) {
  xml_read_text(element, "PartyName", supplier.PartyName);
  xml_read_text(element, "CompanyTaxID", supplier.CompanyTaxID);
  xml_read_text(element, "CompanyVATID", supplier.CompanyVATID);
  xml_read_text(element, "CompanyRegisterID", supplier.CompanyRegisterID);
  if (const xmlNode* child = xml_child(element, "PostalAddress")) {
    supplier.PostalAddress = std::make_unique<PostalAddress>();
    read_postal_address(child, *supplier.PostalAddress);
  }
  if (const xmlNode* child = xml_child(element, "Contact")) {
    supplier.Contact = std::make_unique<Contact>();
    read_contact(child, *supplier.Contact);
  }
}

void read_customer(const xmlNode* element, CustomerParty& customer) {
  xml_read_text(element, "PartyName", customer.PartyName);
  xml_read_text(element, "CompanyTaxID", customer.CompanyTaxID);
  xml_read_text(element, "CompanyVATID", customer.CompanyVATID);
  xml_read_text(element, "CompanyRegisterID", customer.CompanyRegisterID);
  xml_read_text(element, "PartyIdentification", customer.PartyIdentification);
}

// The unit prices are computed from the summaries and not read.
ErrorCode read_single_line(const xmlNode* element, SingleInvoiceLine& line) {
  xml_read_text(element, "OrderLineID", line.OrderLineID);
  xml_read_text(element, "DeliveryNoteLineID", line.DeliveryNoteLineID);
  xml_read_text(element, "ItemName", line.ItemName);
  xml_read_text(element, "ItemEANCode", line.ItemEANCode);
  xml_read_text(element, "PeriodFromDate", line.PeriodFromDate);
  xml_read_text(element, "PeriodToDate", line.PeriodToDate);
  return xml_read_decimal(element, "InvoicedQuantity", line.InvoicedQuantity);
}

// Only the carried amounts; the inclusive and difference amounts are computed.
ErrorCode read_tax_category_summary(const xmlNode* element, Record<TaxCategorySummary>& summary) {
  summary = std::make_unique<TaxCategorySummary>();
  if (const ErrorCode code =
          xml_read_decimal(element, "ClassifiedTaxCategory", summary->ClassifiedTaxCategory)) {
    return code;
  }
  if (const ErrorCode code = xml_read_decimal(element, "TaxExclusiveAmount", summary->TaxExclusiveAmount)) {
    return code;
  }
  if (const ErrorCode code = xml_read_decimal(element, "TaxAmount", summary->TaxAmount)) return code;
  if (const ErrorCode code = xml_read_decimal(element, "AlreadyClaimedTaxExclusiveAmount",
                                              summary->AlreadyClaimedTaxExclusiveAmount)) {
    return code;
  }
  return xml_read_decimal(element, "AlreadyClaimedTaxAmount", summary->AlreadyClaimedTaxAmount);
}

// Only the two carried amounts; the sums and the payable amount are computed.
ErrorCode read_monetary_summary(const xmlNode* element, MonetarySummary& summary) {
  if (const ErrorCode code =
          xml_read_decimal(element, "PayableRoundingAmount", summary.PayableRoundingAmount)) {
    return code;
  }
  return xml_read_decimal(element, "PaidDepositsAmount", summary.PaidDepositsAmount);
}

ErrorCode read_invoice_fields(const xmlNode* root, Invoice& invoice) {
  xml_read_text(root, "InvoiceID", invoice.InvoiceID);
  xml_read_text(root, "IssueDate", invoice.IssueDate);
  xml_read_text(root, "TaxPointDate", invoice.TaxPointDate);
  xml_read_text(root, "OrderID", invoice.OrderID);
  xml_read_text(root, "DeliveryNoteID", invoice.DeliveryNoteID);
  xml_read_text(root, "LocalCurrencyCode", invoice.LocalCurrencyCode);
  xml_read_text(root, "ForeignCurrencyCode", invoice.ForeignCurrencyCode);
  if (const ErrorCode code = xml_read_decimal(root, "CurrRate", invoice.CurrRate)) return code;
  if (const ErrorCode code = xml_read_decimal(root, "ReferenceCurrRate", invoice.ReferenceCurrRate))
    return code;
  if (const xmlNode* child = xml_child(root, "SupplierParty")) {
    invoice.SupplierParty = std::make_unique<SupplierParty>();
    read_supplier(child, *invoice.SupplierParty);
  }
  if (const xmlNode* child = xml_child(root, "CustomerParty")) {
    invoice.CustomerParty = std::make_unique<CustomerParty>();
    read_customer(child, *invoice.CustomerParty);
  }
  if (const ErrorCode code = xml_read_integer(root, "NumberOfInvoiceLines", invoice.NumberOfInvoiceLines)) {
    return code;
  }
  xml_read_text(root, "InvoiceDescription", invoice.InvoiceDescription);
  if (const xmlNode* child = xml_child(root, "SingleInvoiceLine")) {
    invoice.SingleInvoiceLine = std::make_unique<SingleInvoiceLine>();
    if (const ErrorCode code = read_single_line(child, *invoice.SingleInvoiceLine)) return code;
  }
  if (const ErrorCode code = xml_read_list(root, "TaxCategorySummaries", "TaxCategorySummary",
                                           invoice.TaxCategorySummaries, read_tax_category_summary)) {
    return code;
  }
  if (const xmlNode* child = xml_child(root, "MonetarySummary")) {
    invoice.MonetarySummary = std::make_unique<MonetarySummary>();
    if (const ErrorCode code = read_monetary_summary(child, *invoice.MonetarySummary)) return code;
  }
  return xml_read_flags(root, "PaymentMeans", invoice.PaymentMeans, PaymentMeansNames);
}

}  // namespace

ErrorCode xml_read_invoice(const xmlNode* root, DocumentPtr<>& document) {
  unsigned type = 0;
  if (const ErrorCode code = xml_read_root_type(root, InvoiceDocumentTypeNames, type)) return code;
  DocumentPtr<Invoice> invoice = invoice_new();
  invoice->header.set_document_type(type);
  if (const ErrorCode code = read_invoice_fields(root, *invoice)) return code;
  document = std::move(invoice);
  return ERROR_OK;
}

}  // namespace tolvex
