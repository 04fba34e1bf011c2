#include "tolvex/invoice.hpp"

#include "invoice/invoice_rules.h"

namespace tolvex {

DocumentPtr<Invoice> invoice_new() {
  return document_new<Invoice>(kFamilyInvoice, invoice_free, invoice_derive_amounts, invoice_validate);
}

void invoice_free(Document* document) { document_release<Invoice>(document); }

void invoice_derive_amounts(Document* document) {
  auto* invoice = static_cast<Invoice*>(document);
  if (invoice == nullptr || !invoice->TaxCategorySummaries) return;

  struct Sums {
    double taxExclusive = 0, taxInclusive = 0, tax = 0;
    double claimedExclusive = 0, claimedInclusive = 0, claimed = 0;
    double differenceExclusive = 0, differenceInclusive = 0, difference = 0;
  } sums;
  MonetarySummary* summary = invoice->MonetarySummary.get();

  for (const auto& item : *invoice->TaxCategorySummaries) {
    if (!item) continue;
    const double e = value_get_decimal(item->TaxExclusiveAmount);
    const double t = value_get_decimal(item->TaxAmount);
    const double ae = value_get_decimal(item->AlreadyClaimedTaxExclusiveAmount);
    const double at = value_get_decimal(item->AlreadyClaimedTaxAmount);
    value_set_decimal(item->TaxInclusiveAmount, e + t);
    value_set_decimal(item->AlreadyClaimedTaxInclusiveAmount, ae + at);
    value_set_decimal(item->DifferenceTaxExclusiveAmount, e - ae);
    value_set_decimal(item->DifferenceTaxInclusiveAmount, (e + t) - (ae + at));
    value_set_decimal(item->DifferenceTaxAmount, t - at);
    if (summary != nullptr) {
      sums.taxExclusive += e;
      sums.taxInclusive += e + t;
      sums.tax += t;
      sums.claimedExclusive += ae;
      sums.claimedInclusive += ae + at;
      sums.claimed += at;
      sums.differenceExclusive += e - ae;
      sums.differenceInclusive += (e + t) - (ae + at);
      sums.difference += t - at;
    }
  }
  if (summary == nullptr) return;

  value_set_decimal(summary->TaxExclusiveAmount, sums.taxExclusive);
  value_set_decimal(summary->TaxInclusiveAmount, sums.taxInclusive);
  value_set_decimal(summary->TaxAmount, sums.tax);
  value_set_decimal(summary->AlreadyClaimedTaxExclusiveAmount, sums.claimedExclusive);
  value_set_decimal(summary->AlreadyClaimedTaxInclusiveAmount, sums.claimedInclusive);
  value_set_decimal(summary->AlreadyClaimedTaxAmount, sums.claimed);
  value_set_decimal(summary->DifferenceTaxExclusiveAmount, sums.differenceExclusive);
  value_set_decimal(summary->DifferenceTaxInclusiveAmount, sums.differenceInclusive);
  value_set_decimal(summary->DifferenceTaxAmount, sums.difference);
  value_set_decimal(summary->PayableAmount, sums.differenceInclusive -
                                                value_get_decimal(summary->PaidDepositsAmount) +
                                                value_get_decimal(summary->PayableRoundingAmount));

  if (SingleInvoiceLine* line = invoice->SingleInvoiceLine.get()) {
    const double quantity = value_get_decimal(line->InvoicedQuantity);
    // A line without a quantity has no unit price to speak of; it gets 0, not a division by zero.
    const bool noQuantity = quantity == 0.0;
    value_set_decimal(line->UnitPriceTaxExclusiveAmount, noQuantity ? 0.0 : sums.taxExclusive / quantity);
    value_set_decimal(line->UnitPriceTaxInclusiveAmount, noQuantity ? 0.0 : sums.taxInclusive / quantity);
    value_set_decimal(line->UnitPriceTaxAmount, noQuantity ? 0.0 : sums.tax / quantity);
  }
}

}  // namespace tolvex
