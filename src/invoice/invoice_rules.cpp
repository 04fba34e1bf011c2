#include "invoice/invoice_rules.h"

#include "tolvex/invoice.hpp"
#include "validate/field_checks.h"

namespace tolvex {
namespace {

// A foreign currency comes with both of its rates.
ErrorCode check_foreign_currency(const Invoice& invoice) {
  if (!invoice.ForeignCurrencyCode && !invoice.CurrRate && !invoice.ReferenceCurrRate) return ERROR_OK;
  if (const ErrorCode code = check_currency_code("ForeignCurrencyCode", invoice.ForeignCurrencyCode))
    return code;
  if (const ErrorCode code = check_not_null("CurrRate", invoice.CurrRate)) return code;
  return check_not_null("ReferenceCurrRate", invoice.ReferenceCurrRate);
}

ErrorCode check_supplier(const Invoice& invoice) {
  if (const ErrorCode code = check_not_null("SupplierParty", invoice.SupplierParty)) return code;
  const SupplierParty& supplier = *invoice.SupplierParty;
  if (const ErrorCode code = check_not_null("SupplierParty/PartyName", supplier.PartyName)) return code;
  if (const ErrorCode code = check_not_null("PostalAddress", supplier.PostalAddress)) return code;
  const PostalAddress& address = *supplier.PostalAddress;
  if (const ErrorCode code = check_not_null("StreetName", address.StreetName)) return code;
  if (const ErrorCode code = check_not_null("CityName", address.CityName)) return code;
  if (const ErrorCode code = check_not_null("PostalZone", address.PostalZone)) return code;
  return check_country_code("Country", address.Country);
}

ErrorCode check_customer(const Invoice& invoice) {
  if (const ErrorCode code = check_not_null("CustomerParty", invoice.CustomerParty)) return code;
  return check_not_null("CustomerParty/PartyName", invoice.CustomerParty->PartyName);
}

// Either the count of lines sent separately or the one line inside the invoice.
ErrorCode check_lines(const Invoice& invoice) {
  if (const ErrorCode code = check_choice({{"NumberOfInvoiceLines", invoice.NumberOfInvoiceLines.has_value()},
                                           {"SingleInvoiceLine", invoice.SingleInvoiceLine != nullptr}})) {
    return code;
  }
  if (invoice.SingleInvoiceLine) {
    const SingleInvoiceLine& line = *invoice.SingleInvoiceLine;
    if (const ErrorCode code = check_choice(
            {{"ItemName", line.ItemName.has_value()}, {"ItemEANCode", line.ItemEANCode.has_value()}})) {
      return code;
    }
    if (const ErrorCode code = check_period(line.PeriodFromDate, line.PeriodToDate)) return code;
    if (const ErrorCode code = check_not_null("InvoicedQuantity", line.InvoicedQuantity)) return code;
  }
  if (invoice.NumberOfInvoiceLines)
    return check_non_negative("NumberOfInvoiceLines", invoice.NumberOfInvoiceLines);
  return ERROR_OK;
}

ErrorCode check_tax_category_summaries(const Invoice& invoice) {
  if (const ErrorCode code = check_list("TaxCategorySummaries", invoice.TaxCategorySummaries)) return code;
  for (const Record<TaxCategorySummary>& summary : *invoice.TaxCategorySummaries) {
    if (const ErrorCode code = check_unit_interval("ClassifiedTaxCategory", summary->ClassifiedTaxCategory)) {
      return code;
    }
    if (const ErrorCode code = check_not_null("TaxExclusiveAmount", summary->TaxExclusiveAmount)) return code;
    if (const ErrorCode code = check_not_null("TaxAmount", summary->TaxAmount)) return code;
    if (const ErrorCode code =
            check_not_null("AlreadyClaimedTaxExclusiveAmount", summary->AlreadyClaimedTaxExclusiveAmount)) {
      return code;
    }
    if (const ErrorCode code = check_not_null("AlreadyClaimedTaxAmount", summary->AlreadyClaimedTaxAmount)) {
      return code;
    }
  }
  return ERROR_OK;
}

// Only the carried amounts are required; the sums are computed when the invoice is decoded.
ErrorCode check_monetary_summary(const Invoice& invoice) {
  if (const ErrorCode code = check_not_null("MonetarySummary", invoice.MonetarySummary)) return code;
  const MonetarySummary& summary = *invoice.MonetarySummary;
  if (const ErrorCode code = check_not_null("PayableRoundingAmount", summary.PayableRoundingAmount))
    return code;
  return check_not_null("PaidDepositsAmount", summary.PaidDepositsAmount);
}

}  // namespace

ErrorCode invoice_validate(const Document* document) {
  if (const ErrorCode code = check_not_null("Invoice", document)) return code;
  const Invoice& invoice = *static_cast<const Invoice*>(document);
  if (const ErrorCode code = check_not_blank("InvoiceID", invoice.InvoiceID)) return code;
  if (const ErrorCode code = check_date("IssueDate", invoice.IssueDate)) return code;
  if (invoice.TaxPointDate) {
    if (const ErrorCode code = check_date("TaxPointDate", invoice.TaxPointDate)) return code;
  }
  if (const ErrorCode code = check_currency_code("LocalCurrencyCode", invoice.LocalCurrencyCode)) return code;
  if (const ErrorCode code = check_foreign_currency(invoice)) return code;
  if (const ErrorCode code = check_supplier(invoice)) return code;
  if (const ErrorCode code = check_customer(invoice)) return code;
  if (const ErrorCode code = check_lines(invoice)) return code;
  if (const ErrorCode code = check_tax_category_summaries(invoice)) return code;
  if (const ErrorCode code = check_monetary_summary(invoice)) return code;
  if (invoice.PaymentMeans) return check_flags("PaymentMeans", invoice.PaymentMeans, 7);
  return ERROR_OK;
}

}  // namespace tolvex
