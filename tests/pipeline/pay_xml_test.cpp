// The PAY tree: every element lands in its field, and the first bad element in reading order is reported.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "tolvex/pay.hpp"
#include "tolvex/xml.hpp"
#include "xml/xml_read.h"

namespace tolvex {
namespace {

DocumentPtr<Pay> read_pay(const std::string& payments, ErrorCode expected = ERROR_OK) {
  const std::string text = "<Pay><InvoiceID>A1</InvoiceID>" + payments + "</Pay>";
  DocumentPtr<> document;
  EXPECT_EQ(xml_read_document(text.data(), text.size(), &document), expected) << error_line();
  if (expected != ERROR_OK) {
    EXPECT_EQ(document, nullptr);
  }
  return DocumentPtr<Pay>(static_cast<Pay*>(document.release()));
}

TEST(PayXml, ReadsEveryElementIntoItsField) {
  const DocumentPtr<Pay> pay = read_pay(R"(<Payments><Payment>
      <PaymentOptions>paymentorder standingorder directdebit</PaymentOptions>
      <Amount>1250.50</Amount><CurrencyCode>CZK</CurrencyCode><PaymentDueDate>2026-03-15</PaymentDueDate>
      <VariableSymbol>1</VariableSymbol><ConstantSymbol>2</ConstantSymbol><SpecificSymbol>3</SpecificSymbol>
      <OriginatorsReferenceInformation>ORI</OriginatorsReferenceInformation><PaymentNote>Note</PaymentNote>
      <BankAccounts><BankAccount><IBAN>CZ1</IBAN><BIC>B1</BIC></BankAccount><BankAccount><IBAN>SK2</IBAN></BankAccount></BankAccounts>
      <StandingOrderExt><Day>15</Day><Month>January March</Month><Periodicity>Monthly</Periodicity>
        <LastDate>2027-12-15</LastDate></StandingOrderExt>
      <DirectDebitExt><DirectDebitScheme>SEPA</DirectDebitScheme><DirectDebitType>recurrent</DirectDebitType>
        <VariableSymbol>11</VariableSymbol><SpecificSymbol>13</SpecificSymbol><MandateID>M</MandateID>
        <CreditorID>C</CreditorID><ContractID>K</ContractID>
        <OriginatorsReferenceInformation>R</OriginatorsReferenceInformation><MaxAmount>99.9</MaxAmount>
        <ValidTillDate>2027-01-31</ValidTillDate></DirectDebitExt>
    </Payment><Payment><Amount>2</Amount></Payment></Payments>)");
  ASSERT_NE(pay, nullptr);
  EXPECT_EQ(pay->header.bytes, (std::array<std::uint8_t, 2>{0x00, 0x00}));
  EXPECT_EQ(pay->InvoiceID, "A1");
  ASSERT_EQ(pointer_list_count(pay->Payments), 2u);
  const Payment& p = *pay->Payments->get(0);
  EXPECT_EQ(p.PaymentOptions, 7);
  EXPECT_EQ(p.Amount, 1250.5);
  EXPECT_EQ(p.CurrencyCode, "CZK");
  EXPECT_EQ(p.PaymentDueDate, "2026-03-15");
  EXPECT_EQ(p.VariableSymbol, "1");
  EXPECT_EQ(p.ConstantSymbol, "2");
  EXPECT_EQ(p.SpecificSymbol, "3");
  EXPECT_EQ(p.OriginatorsReferenceInformation, "ORI");
  EXPECT_EQ(p.PaymentNote, "Note");
  ASSERT_EQ(pointer_list_count(p.BankAccounts), 2u);
  EXPECT_EQ(p.BankAccounts->get(0)->IBAN, "CZ1");
  EXPECT_EQ(p.BankAccounts->get(0)->BIC, "B1");
  EXPECT_EQ(p.BankAccounts->get(1)->IBAN, "SK2");
  EXPECT_EQ(p.BankAccounts->get(1)->BIC, std::nullopt);
  ASSERT_NE(p.StandingOrderExt, nullptr);
  EXPECT_EQ(p.StandingOrderExt->Day, 15);
  EXPECT_EQ(p.StandingOrderExt->Month, 5);
  EXPECT_EQ(p.StandingOrderExt->Periodicity, "m");
  EXPECT_EQ(p.StandingOrderExt->LastDate, "2027-12-15");
  ASSERT_NE(p.DirectDebitExt, nullptr);
  const DirectDebitExt& d = *p.DirectDebitExt;
  EXPECT_EQ(d.DirectDebitScheme, 1);
  EXPECT_EQ(d.DirectDebitType, 1);
  EXPECT_EQ(d.VariableSymbol, "11");
  EXPECT_EQ(d.SpecificSymbol, "13");
  EXPECT_EQ(d.MandateID, "M");
  EXPECT_EQ(d.CreditorID, "C");
  EXPECT_EQ(d.ContractID, "K");
  EXPECT_EQ(d.OriginatorsReferenceInformation, "R");
  EXPECT_EQ(d.MaxAmount, 99.9);
  EXPECT_EQ(d.ValidTillDate, "2027-01-31");
  EXPECT_EQ(pay->Payments->get(1)->Amount, 2.0);
  EXPECT_EQ(pay->Payments->get(1)->PaymentOptions, std::nullopt);
}

TEST(PayXml, AbsentAndEmptyElementsStayApart) {
  const DocumentPtr<Pay> bare = read_pay("<Payment><Amount>1</Amount></Payment>");
  ASSERT_NE(bare, nullptr);
  EXPECT_FALSE(bare->Payments.has_value());

  const DocumentPtr<Pay> empty = read_pay("<Payments/>");
  ASSERT_NE(empty, nullptr);
  ASSERT_TRUE(empty->Payments.has_value());
  EXPECT_TRUE(empty->Payments->empty());

  const DocumentPtr<Pay> records = read_pay(
      "<Payments><Payment><StandingOrderExt/><DirectDebitExt> </DirectDebitExt></Payment></Payments>");
  ASSERT_NE(records, nullptr);
  const Payment& p = *records->Payments->get(0);
  ASSERT_NE(p.StandingOrderExt, nullptr);
  EXPECT_EQ(p.StandingOrderExt->Day, std::nullopt);
  EXPECT_EQ(p.StandingOrderExt->Periodicity, std::nullopt);
  ASSERT_NE(p.DirectDebitExt, nullptr);
  EXPECT_EQ(p.DirectDebitExt->DirectDebitScheme, std::nullopt);
  EXPECT_FALSE(p.BankAccounts.has_value());
}

// Each payment holds two bad elements; the one read first is reported and nothing is handed out.
TEST(PayXml, ReportsTheFirstBadElementInReadingOrder) {
  const struct {
    const char* payments;
    const char* error;
  } cases[] = {
      {"<Payment><Amount>1,5</Amount><PaymentOptions>paymentorder paymentorder</PaymentOptions></Payment>",
       "ERROR_XML: PaymentOptions Contains duplicate value."},
      {"<Payment><StandingOrderExt><Day>x</Day></StandingOrderExt><Amount>1,5</Amount></Payment>",
       "ERROR_XML: Amount Invalid decimal format. Use dot '.' as a decimal mark."},
      {"<Payment><StandingOrderExt><Periodicity>monthly</Periodicity><Day>7x</Day></StandingOrderExt></"
       "Payment>",
       "ERROR_XML: Day Invalid integer format."},
      {"<Payment><StandingOrderExt><Periodicity>monthly</Periodicity><Month>May "
       "May</Month></StandingOrderExt>"
       "</Payment>",
       "ERROR_XML: Month Contains duplicate value."},
      {"<Payment><DirectDebitExt><Day>x</Day></DirectDebitExt><StandingOrderExt><Periodicity>monthly</"
       "Periodicity>"
       "</StandingOrderExt></Payment>",
       "ERROR_XML: Periodicity Invalid enum value."},
      {"<Payment><DirectDebitExt><MaxAmount>x</MaxAmount><DirectDebitType>once</DirectDebitType>"
       "<DirectDebitScheme>sepa</DirectDebitScheme></DirectDebitExt></Payment>",
       "ERROR_XML: DirectDebitScheme Invalid enum value."},
      {"<Payment><DirectDebitExt><MaxAmount>x</MaxAmount><DirectDebitType>once</DirectDebitType></"
       "DirectDebitExt>"
       "</Payment>",
       "ERROR_XML: DirectDebitType Invalid enum value."},
      {"<Payment><DirectDebitExt><MaxAmount>1 EUR</MaxAmount></DirectDebitExt></Payment>",
       "ERROR_XML: MaxAmount Invalid decimal format. Use dot '.' as a decimal mark."},
      {"<Payment><Amount>1</Amount></Payment><Payment><Amount>12,50</Amount></Payment>",
       "ERROR_XML: Amount Invalid decimal format. Use dot '.' as a decimal mark."},
  };
  for (const auto& c : cases) {
    read_pay(std::string("<Payments>") + c.payments + "</Payments>", ERROR_XML);
    EXPECT_EQ(error_line(), c.error) << c.payments;
  }
}

}  // namespace
}  // namespace tolvex
