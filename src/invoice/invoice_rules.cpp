#include "invoice/invoice_rules.h"

#include "tolvex/invoice.hpp"
#include "validate/field_checks.h"

namespace tolvex {
namespace {

// A foreign currency comes with both of its rates.
void check_foreign_currency(const Invoice& invoice, RuleRun& run) {
  if (!invoice.ForeignCurrencyCode && !invoice.CurrRate && !invoice.ReferenceCurrRate) return;
  if (run.stops(check_currency_code("ForeignCurrencyCode", invoice.ForeignCurrencyCode))) return;
  if (run.stops(check_not_null("CurrRate", invoice.CurrRate))) return;
  run.record(check_not_null("ReferenceCurrRate", invoice.ReferenceCurrRate));
}

void check_supplier(const Invoice& invoice, RuleRun& run) {
  if (run.fails(check_not_null("SupplierParty", invoice.SupplierParty))) return;
  const SupplierParty& supplier = *invoice.SupplierParty;
  if (run.stops(check_not_null("SupplierParty/PartyName", supplier.PartyName))) return;
  const RuleRun::Scope party(run, "SupplierParty");
  if (run.fails(check_not_null("PostalAddress", supplier.PostalAddress))) return;
  const PostalAddress& address = *supplier.PostalAddress;
  const RuleRun::Scope inAddress(run, "PostalAddress");
  if (run.stops(check_not_null("StreetName", address.StreetName))) return;
  if (run.stops(check_not_null("CityName", address.CityName))) return;
  if (run.stops(check_not_null("PostalZone", address.PostalZone))) return;
  run.record(check_country_code("Country", address.Country));
}

void check_customer(const Invoice& invoice, RuleRun& run) {
  if (run.fails(check_not_null("CustomerParty", invoice.CustomerParty))) return;
  run.record(check_not_null("CustomerParty/PartyName", invoice.CustomerParty->PartyName));
}

// Either the count of lines sent separately or the one line inside the invoice.
void check_lines(const Invoice& invoice, RuleRun& run) {
  if (run.stops(check_choice({{"NumberOfInvoiceLines", invoice.NumberOfInvoiceLines.has_value()},
                              {"SingleInvoiceLine", invoice.SingleInvoiceLine != nullptr}}))) {
    return;
  }
  if (invoice.SingleInvoiceLine) {
    const SingleInvoiceLine& line = *invoice.SingleInvoiceLine;
    const RuleRun::Scope scope(run, "SingleInvoiceLine");
    if (run.stops(check_choice({{"ItemName", line.ItemName.has_value()},
                                {"ItemEANCode", line.ItemEANCode.has_value()}}))) {
      return;
    }
    if (run.stops(check_period(line.PeriodFromDate, line.PeriodToDate))) return;
    if (run.stops(check_not_null("InvoicedQuantity", line.InvoicedQuantity))) return;
  }
  if (invoice.NumberOfInvoiceLines) run.record(check_non_negative("NumberOfInvoiceLines", invoice.NumberOfInvoiceLines));
}

void check_tax_category_summaries(const Invoice& invoice, RuleRun& run) {
  if (run.fails(check_list("TaxCategorySummaries", invoice.TaxCategorySummaries))) return;
  std::size_t index = 0;
  for (const Record<TaxCategorySummary>& summary : *invoice.TaxCategorySummaries) {
    const RuleRun::Scope scope(run, "TaxCategorySummaries", index++);
    if (run.stops(check_unit_interval("ClassifiedTaxCategory", summary->ClassifiedTaxCategory))) return;
    if (run.stops(check_not_null("TaxExclusiveAmount", summary->TaxExclusiveAmount))) return;
    if (run.stops(check_not_null("TaxAmount", summary->TaxAmount))) return;
    if (run.stops(check_not_null("AlreadyClaimedTaxExclusiveAmount", summary->AlreadyClaimedTaxExclusiveAmount))) {
      return;
    }
    if (run.stops(check_not_null("AlreadyClaimedTaxAmount", summary->AlreadyClaimedTaxAmount))) return;
  }
}

// Only the carried amounts are required; the sums are computed when the invoice is decoded.
void check_monetary_summary(const Invoice& invoice, RuleRun& run) {
  if (run.fails(check_not_null("MonetarySummary", invoice.MonetarySummary))) return;
  const MonetarySummary& summary = *invoice.MonetarySummary;
  const RuleRun::Scope scope(run, "MonetarySummary");
  if (run.stops(check_not_null("PayableRoundingAmount", summary.PayableRoundingAmount))) return;
  run.record(check_not_null("PaidDepositsAmount", summary.PaidDepositsAmount));
}

}  // namespace

void invoice_rules(const Document* document, RuleRun& run) {
  if (run.fails(check_not_null("Invoice", document))) return;
  const Invoice& invoice = *static_cast<const Invoice*>(document);
  if (run.stops(check_not_blank("InvoiceID", invoice.InvoiceID))) return;
  if (run.stops(check_date("IssueDate", invoice.IssueDate))) return;
  if (invoice.TaxPointDate && run.stops(check_date("TaxPointDate", invoice.TaxPointDate))) return;
  if (run.stops(check_currency_code("LocalCurrencyCode", invoice.LocalCurrencyCode))) return;
  for (void (*group)(const Invoice&, RuleRun&) :
       {check_foreign_currency, check_supplier, check_customer, check_lines, check_tax_category_summaries,
        check_monetary_summary}) {
    group(invoice, run);
    if (run.stopped()) return;
  }
  if (invoice.PaymentMeans) run.record(check_flags("PaymentMeans", invoice.PaymentMeans, 7));
}

ErrorCode invoice_validate(const Document* document) {
  RuleRun run;
  invoice_rules(document, run);
  return run.result();
}

}  // namespace tolvex
