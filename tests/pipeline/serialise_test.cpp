#include "pipeline/serialise.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tolvex/invoice.hpp"
#include "tolvex/invoice_items.hpp"
#include "tolvex/pay.hpp"

namespace tolvex {
namespace {

// The expected text, written field by field so that every position can be counted.
std::string tabbed(const std::vector<std::string>& fields) {
  std::string text;
  for (std::size_t i = 0; i < fields.size(); ++i) text += (i == 0 ? "" : "\t") + fields[i];
  return text;
}

std::string serialised(const Document* document) {
  FieldBuffer buffer;
  EXPECT_EQ(serialise_document(buffer, document), ERROR_OK);
  return field_buffer_join(buffer);
}

template <typename T>
void append(List<T>& list, std::unique_ptr<T> item) {
  if (!list) list.emplace();
  list->append(std::move(item));
}

TEST(SerialisePay, AbsentAndEmptyPaymentsGiveTheSameText) {
  auto absent = pay_new();
  absent->InvoiceID = "INV-1";
  auto empty = pay_new();
  empty->InvoiceID = "INV-1";
  empty->Payments.emplace();
  EXPECT_EQ(serialised(absent.get()), "INV-1\t0");
  EXPECT_EQ(serialised(empty.get()), "INV-1\t0");
}

TEST(SerialisePay, MinimalPaymentHasFourteenFields) {
  auto pay = pay_new();
  auto payment = std::make_unique<Payment>();
  payment->Amount = 10;
  payment->CurrencyCode = "EUR";
  append(pay->Payments, std::move(payment));
  EXPECT_EQ(serialised(pay.get()), tabbed({"", "1", "", "10", "EUR", "", "", "", "", "", "", "0", "0", "0"}));
}

TEST(SerialisePay, EveryFieldInOrder) {
  auto pay = pay_new();
  pay->InvoiceID = "inv\t7";
  auto payment = std::make_unique<Payment>();
  payment->PaymentOptions = 7;
  payment->Amount = 0.1 + 0.2;
  payment->CurrencyCode = "EUR";
  payment->PaymentDueDate = "2024-01-15";
  payment->VariableSymbol = "123";
  payment->ConstantSymbol = "0308";
  payment->SpecificSymbol = "456";
  payment->OriginatorsReferenceInformation = "ref";
  payment->PaymentNote = "note\nline";
  auto account = std::make_unique<BankAccount>();
  account->IBAN = "SK3112000000198742637541";
  account->BIC = "TATRSKBX";
  append(payment->BankAccounts, std::move(account));
  append(payment->BankAccounts, std::unique_ptr<BankAccount>());
  auto second_account = std::make_unique<BankAccount>();
  second_account->BIC = "GIBASKBX";
  append(payment->BankAccounts, std::move(second_account));
  payment->StandingOrderExt = std::make_unique<StandingOrderExt>();
  payment->StandingOrderExt->Day = 3;
  payment->StandingOrderExt->Month = 5;
  payment->StandingOrderExt->Periodicity = "m";
  payment->StandingOrderExt->LastDate = "2025-12-31";
  payment->DirectDebitExt = std::make_unique<DirectDebitExt>();
  payment->DirectDebitExt->DirectDebitScheme = 1;
  payment->DirectDebitExt->DirectDebitType = 0;
  payment->DirectDebitExt->VariableSymbol = "11";
  payment->DirectDebitExt->SpecificSymbol = "22";
  payment->DirectDebitExt->OriginatorsReferenceInformation = "dd-ref";
  payment->DirectDebitExt->MandateID = "M1";
  payment->DirectDebitExt->CreditorID = "C1";
  payment->DirectDebitExt->ContractID = "K1";
  payment->DirectDebitExt->MaxAmount = 250.75;
  payment->DirectDebitExt->ValidTillDate = "2024/06/30";
  append(pay->Payments, std::move(payment));
  append(pay->Payments, std::unique_ptr<Payment>());
  auto last = std::make_unique<Payment>();
  last->Amount = -1234567.5;
  last->StandingOrderExt = std::make_unique<StandingOrderExt>();
  append(pay->Payments, std::move(last));

  EXPECT_EQ(serialised(pay.get()),
            tabbed({"inv 7", "3",
                    // first payment
                    "7", "0.3", "EUR", "20240115", "123", "0308", "456", "ref", "note\nline", "3",
                    "SK3112000000198742637541", "TATRSKBX", "", "", "", "GIBASKBX", "1", "3", "5", "m",
                    "20251231", "1", "1", "0", "11", "22", "dd-ref", "M1", "C1", "K1", "250.75", "20240630",
                    // null payment
                    "", "", "", "", "", "", "", "", "", "0", "0", "0",
                    // payment with an empty standing order
                    "", "-1234567.5", "", "", "", "", "", "", "", "0", "1", "", "", "", "", "0"}));
}

TEST(SerialisePay, VersionBitsDoNotChangeTheFamily) {
  auto pay = pay_new();
  pay->header.bytes = {0x05, 0x03};
  pay->InvoiceID = "x";
  FieldBuffer buffer;
  ASSERT_EQ(serialise_document(buffer, pay.get()), ERROR_OK);
  EXPECT_EQ(field_buffer_join(buffer), "x\t0");
  EXPECT_EQ(buffer.header.bytes, (std::array<std::uint8_t, 2>{0x05, 0x03}));
}

TEST(SerialiseInvoice, AllAbsentGivesFortyFields) {
  auto invoice = invoice_new();
  std::vector<std::string> fields(40);
  fields[36] = "0";
  EXPECT_EQ(serialised(invoice.get()), tabbed(fields));
}

TEST(SerialiseInvoice, EveryFieldInOrder) {
  auto invoice = invoice_new();
  invoice->header.set_document_type(2);
  invoice->InvoiceID = "F2024-1";
  invoice->IssueDate = "2024-02-29";
  invoice->TaxPointDate = "2024-03-01";
  invoice->OrderID = "O1";
  invoice->DeliveryNoteID = "D1";
  invoice->LocalCurrencyCode = "EUR";
  invoice->ForeignCurrencyCode = "CZK";
  invoice->CurrRate = 25.123;
  invoice->ReferenceCurrRate = 1;
  auto& supplier = invoice->SupplierParty = std::make_unique<SupplierParty>();
  supplier->PartyName = "Supplier";
  supplier->CompanyTaxID = "T1";
  supplier->CompanyVATID = "V1";
  supplier->CompanyRegisterID = "R1";
  supplier->PostalAddress = std::make_unique<PostalAddress>();
  supplier->PostalAddress->StreetName = "Main";
  supplier->PostalAddress->BuildingNumber = "1";
  supplier->PostalAddress->CityName = "Town";
  supplier->PostalAddress->PostalZone = "81101";
  supplier->PostalAddress->State = "State";
  supplier->PostalAddress->Country = "SVK";
  supplier->Contact = std::make_unique<Contact>();
  supplier->Contact->Name = "Ann";
  supplier->Contact->Telephone = "+421";
  supplier->Contact->EMail = "a@b.c";
  auto& customer = invoice->CustomerParty = std::make_unique<CustomerParty>();
  customer->PartyName = "Customer";
  customer->CompanyTaxID = "T2";
  customer->CompanyVATID = "V2";
  customer->CompanyRegisterID = "R2";
  customer->PartyIdentification = "P2";
  invoice->NumberOfInvoiceLines = 12;
  invoice->InvoiceDescription = "desc";
  auto& line = invoice->SingleInvoiceLine = std::make_unique<SingleInvoiceLine>();
  line->OrderLineID = "OL";
  line->DeliveryNoteLineID = "DL";
  line->ItemName = "Item";
  line->ItemEANCode = "EAN";
  line->PeriodFromDate = "2024-01-01";
  line->PeriodToDate = "2024-1-31";
  line->InvoicedQuantity = 2.5;
  line->UnitPriceTaxAmount = 99;  // computed, not written
  auto summary = std::make_unique<TaxCategorySummary>();
  summary->ClassifiedTaxCategory = 0.2;
  summary->TaxExclusiveAmount = 100;
  summary->TaxInclusiveAmount = 120;  // computed, not written
  summary->TaxAmount = 20;
  summary->AlreadyClaimedTaxExclusiveAmount = 0;
  summary->AlreadyClaimedTaxAmount = -0.5;
  append(invoice->TaxCategorySummaries, std::move(summary));
  append(invoice->TaxCategorySummaries, std::unique_ptr<TaxCategorySummary>());
  invoice->MonetarySummary = std::make_unique<MonetarySummary>();
  invoice->MonetarySummary->PayableRoundingAmount = 0.01;
  invoice->MonetarySummary->PaidDepositsAmount = 50;
  invoice->MonetarySummary->PayableAmount = 1;  // computed, not written
  invoice->PaymentMeans = 10;

  FieldBuffer buffer;
  ASSERT_EQ(serialise_document(buffer, invoice.get()), ERROR_OK);
  EXPECT_EQ(buffer.header.bytes, (std::array<std::uint8_t, 2>{0x10, 0x20}));
  EXPECT_EQ(
      field_buffer_join(buffer),
      tabbed({"F2024-1",  "20240229", "20240301", "O1",    "D1",       "EUR",  "CZK",      "25.123", "1",
              "Supplier", "T1",       "V1",       "R1",    "Main",     "1",    "Town",     "81101",  "State",
              "SVK",      "Ann",      "+421",     "a@b.c", "Customer", "T2",   "V2",       "R2",     "P2",
              "12",       "desc",     "OL",       "DL",    "Item",     "EAN",  "20240101", "",       "2.5",
              "2",        "0.2",      "100",      "20",    "0",        "-0.5", "",         "",       "",
              "",         "",         "0.01",     "50",    "10"}));
}

TEST(SerialiseInvoice, AbsentRecordsInsideASupplier) {
  auto invoice = invoice_new();
  invoice->SupplierParty = std::make_unique<SupplierParty>();
  invoice->SupplierParty->PartyName = "S";
  invoice->SupplierParty->Contact = std::make_unique<Contact>();
  invoice->SupplierParty->Contact->EMail = "e";
  invoice->TaxCategorySummaries.emplace();
  std::vector<std::string> fields(40);
  fields[9] = "S";
  fields[21] = "e";
  fields[36] = "0";
  EXPECT_EQ(serialised(invoice.get()), tabbed(fields));
}

TEST(SerialiseInvoiceItems, EveryFieldInOrder) {
  auto items = invoice_items_new();
  items->InvoiceID = "F1";
  items->FirstInvoiceLineID = "0007";
  auto full = std::make_unique<InvoiceLine>();
  full->OrderReference = std::make_unique<OrderReference>();
  full->OrderReference->OrderID = "O";
  full->OrderReference->OrderLineID = "OL";
  full->DeliveryNoteReference = std::make_unique<DeliveryNoteReference>();
  full->DeliveryNoteReference->DeliveryNoteID = "D";
  full->DeliveryNoteReference->DeliveryNoteLineID = "DL";
  full->ItemName = "Widget";
  full->ItemEANCode = "8588000000001";
  full->PeriodFromDate = "2024-01-01";
  full->PeriodToDate = "2024-01-31";
  full->InvoicedQuantity = 3;
  full->UnitPriceTaxExclusiveAmount = 9.99;
  full->UnitPriceTaxInclusiveAmount = 11.99;  // computed, not written
  full->UnitPriceTaxAmount = 2;
  full->LineTaxAmount = 6;  // computed, not written
  full->ClassifiedTaxCategory = 0.2;
  append(items->InvoiceLines, std::move(full));
  append(items->InvoiceLines, std::unique_ptr<InvoiceLine>());
  auto bare = std::make_unique<InvoiceLine>();
  bare->DeliveryNoteReference = std::make_unique<DeliveryNoteReference>();
  bare->DeliveryNoteReference->DeliveryNoteLineID = "d2";
  bare->ItemName = "x\ty";
  append(items->InvoiceLines, std::move(bare));

  FieldBuffer buffer;
  ASSERT_EQ(serialise_document(buffer, items.get()), ERROR_OK);
  EXPECT_EQ(buffer.header.bytes, (std::array<std::uint8_t, 2>{0x20, 0x00}));
  EXPECT_EQ(field_buffer_join(buffer),
            tabbed({"F1",       "0007",     "3", "O",    "OL",  "D",   "DL", "Widget", "8588000000001",
                    "20240101", "20240131", "3", "9.99", "2",   "0.2", "",   "",       "",
                    "",         "",         "",  "",     "",    "",    "",   "",       "",
                    "",         "",         "",  "d2",   "x y", "",    "",   "",       "",
                    "",         "",         ""}));
}

TEST(SerialiseInvoiceItems, AbsentLinesCountZero) {
  auto items = invoice_items_new();
  EXPECT_EQ(serialised(items.get()), "\t\t0");
}

TEST(SerialiseDocument, NullDocument) {
  FieldBuffer buffer;
  EXPECT_EQ(serialise_document(buffer, nullptr), ERROR_NULL_POINTER);
  EXPECT_EQ(last_error().message, "Document cannot be NULL.");
  EXPECT_TRUE(buffer.fields.empty());
}

TEST(SerialiseDocument, UnknownFamilyWritesNothingAndFailsTheLimit) {
  auto pay = pay_new();
  pay->InvoiceID = "x";
  pay->header.bytes = {0x30, 0x00};
  FieldBuffer buffer;
  EXPECT_EQ(serialise_document(buffer, pay.get()), ERROR_OK);
  EXPECT_TRUE(buffer.fields.empty());
  EXPECT_EQ(check_sequence_limit(buffer, SerialisationSettings{}), ERROR_SEQUENCE_LIMIT_EXCEEDED);
}

}  // namespace
}  // namespace tolvex
