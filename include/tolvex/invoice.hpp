// The INVOICE family: the summary of one invoice, in five document types.
#pragma once

#include <array>
#include <string_view>

#include "tolvex/document.hpp"
#include "tolvex/value.hpp"

namespace tolvex {

// Names of the documentType values 0 to 4, also the XML type names.
inline constexpr std::array<std::string_view, 5> kInvoiceDocumentTypeNames = {
    "Invoice", "ProformaInvoice", "CreditNote", "DebitNote", "AdvanceInvoice"};

inline constexpr std::array<std::string_view, 7> kPaymentMeansNames = {
    "moneyTransfer", "cash", "cashOnDelivery", "creditCard", "advance", "mutualOffset", "other"};

struct PostalAddress {
  Text StreetName;
  Text BuildingNumber;
  Text CityName;
  Text PostalZone;
  Text State;
  Text Country;
};

struct Contact {
  Text Name;
  Text Telephone;
  Text EMail;
};

struct SupplierParty {
  Text PartyName;
  Text CompanyTaxID;
  Text CompanyVATID;
  Text CompanyRegisterID;
  Record<tolvex::PostalAddress> PostalAddress;
  Record<tolvex::Contact> Contact;
};

struct CustomerParty {
  Text PartyName;
  Text CompanyTaxID;
  Text CompanyVATID;
  Text CompanyRegisterID;
  Text PartyIdentification;
};

struct SingleInvoiceLine {
  Text OrderLineID;
  Text DeliveryNoteLineID;
  Text ItemName;
  Text ItemEANCode;
  Text PeriodFromDate;
  Text PeriodToDate;
  Decimal InvoicedQuantity;
  Decimal UnitPriceTaxExclusiveAmount;  // computed
  Decimal UnitPriceTaxInclusiveAmount;  // computed
  Decimal UnitPriceTaxAmount;           // computed
};

struct TaxCategorySummary {
  Decimal ClassifiedTaxCategory;
  Decimal TaxExclusiveAmount;
  Decimal TaxInclusiveAmount;  // computed
  Decimal TaxAmount;
  Decimal AlreadyClaimedTaxExclusiveAmount;
  Decimal AlreadyClaimedTaxInclusiveAmount;  // computed
  Decimal AlreadyClaimedTaxAmount;
  Decimal DifferenceTaxExclusiveAmount;  // computed
  Decimal DifferenceTaxInclusiveAmount;  // computed
  Decimal DifferenceTaxAmount;           // computed
};

// All amounts but PayableRoundingAmount and PaidDepositsAmount are computed.
struct MonetarySummary {
  Decimal TaxExclusiveAmount;
  Decimal TaxInclusiveAmount;
  Decimal TaxAmount;
  Decimal AlreadyClaimedTaxExclusiveAmount;
  Decimal AlreadyClaimedTaxInclusiveAmount;
  Decimal AlreadyClaimedTaxAmount;
  Decimal DifferenceTaxExclusiveAmount;
  Decimal DifferenceTaxInclusiveAmount;
  Decimal DifferenceTaxAmount;
  Decimal PayableRoundingAmount;
  Decimal PaidDepositsAmount;
  Decimal PayableAmount;
};

struct Invoice : Document {
  Text InvoiceID;
  Text IssueDate;
  Text TaxPointDate;
  Text OrderID;
  Text DeliveryNoteID;
  Text LocalCurrencyCode;
  Text ForeignCurrencyCode;
  Decimal CurrRate;
  Decimal ReferenceCurrRate;
  Record<tolvex::SupplierParty> SupplierParty;
  Record<tolvex::CustomerParty> CustomerParty;
  Integer NumberOfInvoiceLines;
  Text InvoiceDescription;
  Record<tolvex::SingleInvoiceLine> SingleInvoiceLine;
  List<TaxCategorySummary> TaxCategorySummaries;
  Record<tolvex::MonetarySummary> MonetarySummary;
  FlagSet PaymentMeans;
};

// A new INVOICE document: header 0x10 0x00 (documentType 0, "Invoice"), every field absent.
[[nodiscard]] DocumentPtr<Invoice> invoice_new();
void invoice_free(Document* document);

// Fills the computed amounts from the carried ones; absent carried amounts count as 0.
void invoice_derive_amounts(Document* document);

}  // namespace tolvex
