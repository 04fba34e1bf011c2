#include <gtest/gtest.h>

#include "tolvex/invoice.hpp"

namespace tolvex {
namespace {

std::unique_ptr<TaxCategorySummary> summary(double e, double t, double ae = 0, double at = 0) {
  auto item = std::make_unique<TaxCategorySummary>();
  item->TaxExclusiveAmount = e;
  item->TaxAmount = t;
  item->AlreadyClaimedTaxExclusiveAmount = ae;
  item->AlreadyClaimedTaxAmount = at;
  return item;
}

TEST(InvoiceDeriveAmounts, OneSummaryWithClaimsAndDeposits) {
  auto invoice = invoice_new();
  invoice->TaxCategorySummaries.emplace().append(summary(100, 20, 40, 8));
  invoice->MonetarySummary = std::make_unique<MonetarySummary>();
  invoice->MonetarySummary->PaidDepositsAmount = 10;
  invoice->MonetarySummary->PayableRoundingAmount = 0.5;
  document_derive_amounts(invoice.get());

  const TaxCategorySummary& item = *invoice->TaxCategorySummaries->get(0);
  EXPECT_EQ(item.TaxInclusiveAmount, 120);
  EXPECT_EQ(item.AlreadyClaimedTaxInclusiveAmount, 48);
  EXPECT_EQ(item.DifferenceTaxExclusiveAmount, 60);
  EXPECT_EQ(item.DifferenceTaxInclusiveAmount, 72);
  EXPECT_EQ(item.DifferenceTaxAmount, 12);
  const MonetarySummary& sums = *invoice->MonetarySummary;
  EXPECT_EQ(sums.AlreadyClaimedTaxExclusiveAmount, 40);
  EXPECT_EQ(sums.AlreadyClaimedTaxInclusiveAmount, 48);
  EXPECT_EQ(sums.AlreadyClaimedTaxAmount, 8);
  EXPECT_EQ(sums.DifferenceTaxInclusiveAmount, 72);
  EXPECT_EQ(sums.PayableAmount, 62.5);
}

TEST(InvoiceDeriveAmounts, TwoSummariesGiveTotalsAndUnitPrices) {
  auto invoice = invoice_new();
  auto& list = invoice->TaxCategorySummaries.emplace();
  list.append(summary(100, 20));
  list.append(nullptr);
  list.append(summary(50, 5));
  invoice->MonetarySummary = std::make_unique<MonetarySummary>();
  invoice->SingleInvoiceLine = std::make_unique<SingleInvoiceLine>();
  invoice->SingleInvoiceLine->InvoicedQuantity = 2;
  document_derive_amounts(invoice.get());

  EXPECT_EQ(invoice->MonetarySummary->TaxExclusiveAmount, 150);
  EXPECT_EQ(invoice->MonetarySummary->TaxInclusiveAmount, 175);
  EXPECT_EQ(invoice->MonetarySummary->TaxAmount, 25);
  EXPECT_EQ(invoice->MonetarySummary->PayableAmount, 175);
  EXPECT_EQ(invoice->SingleInvoiceLine->UnitPriceTaxExclusiveAmount, 75);
  EXPECT_EQ(invoice->SingleInvoiceLine->UnitPriceTaxInclusiveAmount, 87.5);
  EXPECT_EQ(invoice->SingleInvoiceLine->UnitPriceTaxAmount, 12.5);
}

TEST(InvoiceDeriveAmounts, ZeroOrAbsentQuantityGivesZeroUnitPrices) {
  for (const Decimal quantity : {Decimal{0.0}, Decimal{}}) {
    auto invoice = invoice_new();
    invoice->TaxCategorySummaries.emplace().append(summary(100, 20));
    invoice->MonetarySummary = std::make_unique<MonetarySummary>();
    invoice->SingleInvoiceLine = std::make_unique<SingleInvoiceLine>();
    invoice->SingleInvoiceLine->InvoicedQuantity = quantity;
    document_derive_amounts(invoice.get());
    EXPECT_EQ(invoice->SingleInvoiceLine->UnitPriceTaxExclusiveAmount, 0.0);
    EXPECT_EQ(invoice->SingleInvoiceLine->UnitPriceTaxInclusiveAmount, 0.0);
    EXPECT_EQ(invoice->SingleInvoiceLine->UnitPriceTaxAmount, 0.0);
  }
}

TEST(InvoiceDeriveAmounts, WithoutMonetarySummaryOnlyTheSummariesAreComputed) {
  auto invoice = invoice_new();
  invoice->TaxCategorySummaries.emplace().append(summary(100, 20));
  invoice->SingleInvoiceLine = std::make_unique<SingleInvoiceLine>();
  invoice->SingleInvoiceLine->InvoicedQuantity = 2;
  document_derive_amounts(invoice.get());
  EXPECT_EQ(invoice->TaxCategorySummaries->get(0)->TaxInclusiveAmount, 120);
  EXPECT_EQ(invoice->MonetarySummary, nullptr);
  EXPECT_FALSE(invoice->SingleInvoiceLine->UnitPriceTaxExclusiveAmount.has_value());
}

TEST(InvoiceDeriveAmounts, WithoutSummariesNothingIsComputed) {
  auto invoice = invoice_new();
  invoice->MonetarySummary = std::make_unique<MonetarySummary>();
  document_derive_amounts(invoice.get());
  EXPECT_FALSE(invoice->MonetarySummary->PayableAmount.has_value());
  EXPECT_FALSE(invoice->MonetarySummary->TaxExclusiveAmount.has_value());
}

TEST(InvoiceDeriveAmounts, EmptySummaryListGivesRoundingMinusDeposits) {
  auto invoice = invoice_new();
  invoice->TaxCategorySummaries.emplace();
  invoice->MonetarySummary = std::make_unique<MonetarySummary>();
  invoice->MonetarySummary->PayableRoundingAmount = 0.25;
  invoice->MonetarySummary->PaidDepositsAmount = 3;
  document_derive_amounts(invoice.get());
  EXPECT_EQ(invoice->MonetarySummary->TaxInclusiveAmount, 0.0);
  EXPECT_EQ(invoice->MonetarySummary->PayableAmount, -2.75);
}

}  // namespace
}  // namespace tolvex
