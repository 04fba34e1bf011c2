#include <gtest/gtest.h>

#include <memory>

#include "tolvex/invoice_items.hpp"

namespace tolvex {
namespace {

TEST(InvoiceItemsDeriveAmounts, LineAmounts) {
  auto items = invoice_items_new();
  auto& lines = items->InvoiceLines.emplace();
  auto full = std::make_unique<InvoiceLine>();
  full->UnitPriceTaxExclusiveAmount = 10;
  full->UnitPriceTaxAmount = 2;
  full->InvoicedQuantity = 3;
  auto noQuantity = std::make_unique<InvoiceLine>();
  noQuantity->UnitPriceTaxExclusiveAmount = 10;
  noQuantity->UnitPriceTaxAmount = 2;
  lines.append(std::move(full));
  lines.append(nullptr);
  lines.append(std::move(noQuantity));
  document_derive_amounts(items.get());

  const InvoiceLine& first = *lines.get(0);
  EXPECT_EQ(first.UnitPriceTaxInclusiveAmount, 12);
  EXPECT_EQ(first.LineTaxExclusiveAmount, 30);
  EXPECT_EQ(first.LineTaxInclusiveAmount, 36);
  EXPECT_EQ(first.LineTaxAmount, 6);
  const InvoiceLine& third = *lines.get(2);
  EXPECT_EQ(third.UnitPriceTaxInclusiveAmount, 12);
  EXPECT_EQ(third.LineTaxExclusiveAmount, 0);
  EXPECT_EQ(third.LineTaxInclusiveAmount, 0);
  EXPECT_EQ(third.LineTaxAmount, 0);
}

}  // namespace
}  // namespace tolvex
