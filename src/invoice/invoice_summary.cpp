#include "invoice/invoice_summary.h"

#include <string_view>

#include "readable/readable.h"
#include "readable/summary_text.h"

namespace tolvex {
namespace {

// The labels of the invoice's lines, in the order the lines are written. A new field gets its
// label here and its line at the same place in invoice_summary.
constexpr std::string_view kIssueDate = "Issue date";
constexpr std::string_view kTaxPoint = "Tax point";
constexpr std::string_view kOrder = "Order";
constexpr std::string_view kDeliveryNote = "Delivery note";
constexpr std::string_view kSupplier = "Supplier";
constexpr std::string_view kCustomer = "Customer";
constexpr std::string_view kDescription = "Description";
constexpr std::string_view kCurrency = "Currency";
constexpr std::string_view kForeignCurrency = "Foreign currency";  // only without both rates
constexpr std::string_view kExchangeRate = "Exchange rate";
constexpr std::string_view kReferenceRate = "Reference rate";  // only without a foreign currency
constexpr std::string_view kInvoiceLines = "Invoice lines";
// SingleInvoiceLine
constexpr std::string_view kItem = "Item";
constexpr std::string_view kEanCode = "EAN code";
constexpr std::string_view kPeriod = "Period";
constexpr std::string_view kQuantity = "Quantity";
constexpr std::string_view kUnitPrice = "Unit price";
// TaxCategorySummaries: "Tax 21 %" for each rate
constexpr std::string_view kTaxAtRate = "Tax ";
constexpr std::string_view kTaxWithoutRate = "Tax";
// MonetarySummary
constexpr std::string_view kNetTotal = "Net total";
constexpr std::string_view kTaxTotal = "Tax total";
constexpr std::string_view kGrossTotal = "Gross total";
constexpr std::string_view kAlreadyClaimed = "Already claimed";
constexpr std::string_view kDepositsPaid = "Deposits paid";
constexpr std::string_view kRounding = "Rounding";
constexpr std::string_view kAmountDue = "Amount due";
constexpr std::string_view kPaymentMeans = "Payment means";

std::string title_of(const Invoice& invoice) {
  const unsigned type = invoice.header.document_type();
  std::string title = type < kInvoiceDocumentTypeNames.size()
                          ? words_of(kInvoiceDocumentTypeNames[type])
                          : std::string(kInvoiceDocumentTypeNames[0]) + " type " + std::to_string(type);
  if (invoice.InvoiceID) title += ' ' + *invoice.InvoiceID;
  return title;
}

// "Name (tax ID CZ27150468, VAT ID ...)": the name and the identifiers a reader checks.
template <typename Party>
std::string party_of(const Party& party) {
  std::string ids;
  const auto add = [&](std::string_view what, const Text& id) {
    if (!id) return;
    if (!ids.empty()) ids += ", ";
    ids += what;
    ids += *id;
  };
  add("tax ID ", party.CompanyTaxID);
  add("VAT ID ", party.CompanyVATID);
  add("register ID ", party.CompanyRegisterID);
  if (!party.PartyName) return ids;
  return ids.empty() ? *party.PartyName : *party.PartyName + " (" + ids + ")";
}

void currency_lines(SummaryText& out, const Invoice& invoice) {
  out.optional_line(kCurrency, invoice.LocalCurrencyCode);
  // ReferenceCurrRate units of the foreign currency are worth CurrRate of the local one.
  if (invoice.ForeignCurrencyCode && invoice.CurrRate && invoice.ReferenceCurrRate) {
    std::string rate = format_number(*invoice.ReferenceCurrRate) + ' ' + *invoice.ForeignCurrencyCode +
                       " = " + format_number(*invoice.CurrRate);
    if (invoice.LocalCurrencyCode) rate += ' ' + *invoice.LocalCurrencyCode;
    out.line(kExchangeRate, rate);
    return;
  }
  out.optional_line(kForeignCurrency, invoice.ForeignCurrencyCode);
  if (invoice.CurrRate) out.line(kExchangeRate, format_number(*invoice.CurrRate));
  if (invoice.ReferenceCurrRate) out.line(kReferenceRate, format_number(*invoice.ReferenceCurrRate));
}

void single_line_lines(SummaryText& out, const SingleInvoiceLine& line, std::string_view currency) {
  out.optional_line(kItem, line.ItemName);
  out.optional_line(kEanCode, line.ItemEANCode);
  if (line.PeriodFromDate || line.PeriodToDate)
    out.line(kPeriod, period_of(line.PeriodFromDate, line.PeriodToDate));
  if (line.InvoicedQuantity) out.line(kQuantity, format_number(*line.InvoicedQuantity));
  if (line.UnitPriceTaxExclusiveAmount)
    out.line(kUnitPrice, format_amount(*line.UnitPriceTaxExclusiveAmount, currency));
}

// "672.00 CZK on 3,200.00 CZK": the tax of a rate and the amount it is levied on.
void tax_line(SummaryText& out, const TaxCategorySummary& tax, std::string_view currency) {
  const std::string label = tax.ClassifiedTaxCategory
                                ? std::string(kTaxAtRate) + format_percent(*tax.ClassifiedTaxCategory)
                                : std::string(kTaxWithoutRate);
  std::string value = tax.TaxAmount ? format_amount(*tax.TaxAmount, currency) : std::string();
  if (tax.TaxExclusiveAmount) {
    if (!value.empty()) value += ' ';
    value += "on " + format_amount(*tax.TaxExclusiveAmount, currency);
  }
  out.line(label, value);
}

void totals_lines(SummaryText& out, const MonetarySummary& totals, std::string_view currency) {
  const auto amount = [&](std::string_view label, const Decimal& value) {
    if (value) out.line(label, format_amount(*value, currency));
  };
  amount(kNetTotal, totals.TaxExclusiveAmount);
  amount(kTaxTotal, totals.TaxAmount);
  amount(kGrossTotal, totals.TaxInclusiveAmount);
  amount(kAlreadyClaimed, totals.AlreadyClaimedTaxInclusiveAmount);
  amount(kDepositsPaid, totals.PaidDepositsAmount);
  amount(kRounding, totals.PayableRoundingAmount);
  amount(kAmountDue, totals.PayableAmount);
}

}  // namespace

std::string invoice_summary(const Invoice& invoice) {
  const std::string_view currency =
      invoice.LocalCurrencyCode ? std::string_view(*invoice.LocalCurrencyCode) : std::string_view{};
  SummaryText out;
  out.title(title_of(invoice));
  out.optional_line(kIssueDate, invoice.IssueDate);
  out.optional_line(kTaxPoint, invoice.TaxPointDate);
  out.optional_line(kOrder, invoice.OrderID);
  out.optional_line(kDeliveryNote, invoice.DeliveryNoteID);
  if (invoice.SupplierParty) out.line(kSupplier, party_of(*invoice.SupplierParty));
  if (invoice.CustomerParty) out.line(kCustomer, party_of(*invoice.CustomerParty));
  out.optional_line(kDescription, invoice.InvoiceDescription);
  currency_lines(out, invoice);
  if (invoice.NumberOfInvoiceLines) out.line(kInvoiceLines, std::to_string(*invoice.NumberOfInvoiceLines));
  if (invoice.SingleInvoiceLine) single_line_lines(out, *invoice.SingleInvoiceLine, currency);
  if (invoice.TaxCategorySummaries) {
    for (const Record<TaxCategorySummary>& tax : *invoice.TaxCategorySummaries) {
      if (tax) tax_line(out, *tax, currency);
    }
  }
  if (invoice.MonetarySummary) totals_lines(out, *invoice.MonetarySummary, currency);
  if (invoice.PaymentMeans)
    out.line(kPaymentMeans, flag_names(*invoice.PaymentMeans, kPaymentMeansNames, true));
  return out.text();
}

}  // namespace tolvex
