// The document slots as the families fill them.
#include <gtest/gtest.h>

#include <memory>

#include "document/document.h"
#include "tolvex/invoice.hpp"
#include "tolvex/invoice_items.hpp"
#include "tolvex/pay.hpp"

namespace tolvex {
namespace {

TEST(Document, NewDocumentsCarryTheirFamilyHeader) {
  const auto pay = pay_new();
  const auto invoice = invoice_new();
  const auto items = invoice_items_new();
  EXPECT_EQ(pay->header.bytes, (std::array<std::uint8_t, 2>{0x00, 0x00}));
  EXPECT_EQ(invoice->header.bytes, (std::array<std::uint8_t, 2>{0x10, 0x00}));
  EXPECT_EQ(items->header.bytes, (std::array<std::uint8_t, 2>{0x20, 0x00}));
  EXPECT_EQ(pay->deriveAmounts, nullptr);
  EXPECT_NE(invoice->deriveAmounts, nullptr);
  EXPECT_NE(items->validate, nullptr);
}

TEST(Document, MissingValidateSlotIsReportedAsNull) {
  auto pay = pay_new();
  pay->validate = nullptr;
  EXPECT_EQ(document_validate(pay.get()), ERROR_NULL_POINTER);
}

TEST(Document, PayHasNoComputedAmounts) {
  auto pay = pay_new();
  pay->Payments.emplace().append(std::make_unique<Payment>());
  document_derive_amounts(pay.get());
  EXPECT_FALSE(pay->Payments->get(0)->Amount.has_value());
}

TEST(Document, FreesDocumentsWithNullItemsAndEmptyLists) {
  DocumentPtr<> pay = pay_new();
  auto& payments = static_cast<Pay&>(*pay).Payments.emplace();
  payments.append(nullptr);
  auto payment = std::make_unique<Payment>();
  payment->BankAccounts.emplace().append(nullptr);
  payment->StandingOrderExt = std::make_unique<StandingOrderExt>();
  payments.append(std::move(payment));

  auto items = invoice_items_new();
  items->InvoiceLines.emplace();
  auto invoice = invoice_new();
  invoice->TaxCategorySummaries.emplace().append(nullptr);
  // Leaks or double frees here show up under the sanitizer build.
}

}  // namespace
}  // namespace tolvex
