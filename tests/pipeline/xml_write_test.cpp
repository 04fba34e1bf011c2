#include "xml/xml_write.h"

#include <gtest/gtest.h>

#include "tolvex/invoice.hpp"
#include "tolvex/invoice_items.hpp"
#include "tolvex/pay.hpp"
#include "tolvex/xml.hpp"

namespace tolvex {
namespace {

const std::string kDeclaration = R"(<?xml version="1.0" encoding="utf-8"?>)";

std::string root(std::string_view name, std::string_view type) {
  return "<" + std::string(name) + R"( xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xsi:type=")" +
         std::string(type) + R"(" xmlns="http://tolvex.org/tolvex">)";
}

std::string write(const Document& document) {
  std::string text;
  std::size_t length = 0;
  EXPECT_EQ(xml_write_document(&document, &text, &length), ERROR_OK) << error_line();
  EXPECT_EQ(length, text.size());
  return text;
}

// The body between the root start and end tags.
std::string body(const Document& document, std::string_view rootName) {
  const std::string text = write(document);
  const std::size_t start = text.find('>', kDeclaration.size()) + 1;
  const std::string end = "</" + std::string(rootName) + ">";
  EXPECT_TRUE(text.ends_with(end)) << text;
  return text.substr(start, text.size() - start - end.size());
}

std::unique_ptr<Payment> payment_with(auto fill) {
  auto payment = std::make_unique<Payment>();
  fill(*payment);
  return payment;
}

TEST(XmlWrite, MinimalPaymentOrder) {
  auto pay = pay_new();
  pay->InvoiceID = "A1";
  pay->Payments.emplace().append(payment_with([](Payment& p) { p.Amount = 12.5; }));
  EXPECT_EQ(write(*pay), kDeclaration + root("Pay", "Pay") +
                             "<InvoiceID>A1</InvoiceID><Payments><Payment><Amount>12.5</Amount></Payment>"
                             "</Payments></Pay>");
}

TEST(XmlWrite, ValueTextsOfEachKind) {
  auto pay = pay_new();
  pay->Payments.emplace().append(payment_with([](Payment& p) {
    p.PaymentOptions = 0;
    p.Amount = 100;
    p.CurrencyCode = "";
    p.PaymentNote = "R&D <fees>";
    p.StandingOrderExt = std::make_unique<StandingOrderExt>();
    p.StandingOrderExt->Month = 5 | 1 << 12;
    p.StandingOrderExt->Periodicity = "B";
    p.StandingOrderExt->Day = -3;
    p.DirectDebitExt = std::make_unique<DirectDebitExt>();
    p.DirectDebitExt->DirectDebitScheme = 2;
    p.DirectDebitExt->DirectDebitType = 1;
    p.DirectDebitExt->MaxAmount = 0;
    p.DirectDebitExt->OriginatorsReferenceInformation = "ORI";
    p.DirectDebitExt->ContractID = "C-7";
  }));
  EXPECT_EQ(
      body(*pay, "Pay"),
      "<Payments><Payment><Amount>100</Amount><PaymentNote>R&amp;D &lt;fees></PaymentNote>"
      "<StandingOrderExt><Day>-3</Day><Month>January March</Month><Periodicity>Bimonthly</Periodicity>"
      "</StandingOrderExt><DirectDebitExt><DirectDebitType>recurrent</DirectDebitType>"
      "<ContractID>C-7</ContractID><OriginatorsReferenceInformation>ORI</OriginatorsReferenceInformation>"
      "<MaxAmount>0</MaxAmount></DirectDebitExt></Payment></Payments>");
}

TEST(XmlWrite, RecordsAndListsWithNothingInsideLeaveNoTrace) {
  auto pay = pay_new();
  pay->Payments.emplace().append(payment_with([](Payment& p) {
    p.BankAccounts.emplace();
    p.StandingOrderExt = std::make_unique<StandingOrderExt>();
    p.StandingOrderExt->Periodicity = "x";
  }));
  pay->Payments->append(nullptr);
  EXPECT_EQ(body(*pay, "Pay"), "");
}

TEST(XmlWrite, InvoiceTypesByHeader) {
  auto invoice = invoice_new();
  invoice->header.bytes = {0x10, 0x20};
  invoice->PaymentMeans = 10 | 128;
  EXPECT_EQ(write(*invoice), kDeclaration + root("Invoice", "CreditNote") +
                                 "<PaymentMeans>cash creditCard</PaymentMeans></Invoice>");

  invoice->header.bytes = {0x10, 0x50};
  EXPECT_EQ(xml_write_document(invoice.get(), nullptr, nullptr), ERROR_XML);
  EXPECT_EQ(error_line(), "ERROR_XML: Error wrong invoice document type ");
}

TEST(XmlWrite, FamiliesWithoutThatDocumentTypeAreRefused) {
  auto items = invoice_items_new();
  items->header.bytes = {0x20, 0x10};
  EXPECT_EQ(xml_write_document(items.get(), nullptr, nullptr), ERROR_XML);
  EXPECT_EQ(error_line(), "ERROR_XML: Error in getting root and type ");
  items->header.bytes = {0x30, 0x00};
  EXPECT_EQ(xml_write_document(items.get(), nullptr, nullptr), ERROR_XML);
}

TEST(XmlWrite, UnknownVersionIsAnErrorNotAnEmptySuccess) {
  auto pay = pay_new();
  pay->header.bytes = {0x01, 0x00};
  std::string text = "untouched";
  EXPECT_EQ(xml_write_document(pay.get(), &text, nullptr), ERROR_UNKNOWN_DOCUMENT);
  EXPECT_EQ(text, "untouched");
}

TEST(XmlWrite, AnyDecodedTextStaysWellFormed) {
  auto items = invoice_items_new();
  items->InvoiceID =
      "a]]>b\r\nc\x01"
      "d\xFF"
      "e\xC3\xA9";
  EXPECT_EQ(body(*items, "InvoiceItems"),
            "<InvoiceID>a]]&gt;b&#13;\nc\xEF\xBF\xBD"
            "d\xEF\xBF\xBD"
            "e\xC3\xA9</InvoiceID>");
}

// Content escaped only where XML needs it; whatever is written reads back as the text itself.
TEST(XmlEscape, EscapesOnlyWhatContentCannotHold) {
  const struct {
    std::string text;
    std::string escaped;
  } cases[] = {
      {"orders > 100", "orders > 100"},
      {">", ">"},
      {"a]>b", "a]>b"},
      {"a]]>b", "a]]&gt;b"},
      {"]]]>", "]]]&gt;"},
      {"]] >", "]] >"},
      {"]]>]]>", "]]&gt;]]&gt;"},
      {"R&D <b>", "R&amp;D &lt;b>"},
      {"&amp;", "&amp;amp;"},
      {"line\r\n", "line&#13;\n"},
      {"tab\tstays", "tab\tstays"},
      {"\"quoted\" 'too'", "\"quoted\" 'too'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(xml_escape(c.text), c.escaped);
    const std::string document = "<w><v>" + xml_escape(c.text) + "</v></w>";
    XmlDocPtr tree;
    ASSERT_EQ(xml_parse(document.data(), document.size(), &tree), ERROR_OK) << error_line();
    Text read;
    xml_read_text(xmlDocGetRootElement(tree.get()), "v", read);
    EXPECT_EQ(read, c.text);
  }
}

TEST(XmlWrite, InvoiceItemsLineInOrder) {
  auto items = invoice_items_new();
  items->FirstInvoiceLineID = "0007";
  auto line = std::make_unique<InvoiceLine>();
  line->ClassifiedTaxCategory = 0.21;
  line->LineTaxAmount = 6;
  line->ItemName = "Widget";
  line->OrderReference = std::make_unique<OrderReference>();
  line->OrderReference->OrderLineID = "3";
  items->InvoiceLines.emplace().append(std::move(line));
  EXPECT_EQ(body(*items, "InvoiceItems"),
            "<FirstInvoiceLineID>0007</FirstInvoiceLineID><InvoiceLines><InvoiceLine><OrderReference>"
            "<OrderLineID>3</OrderLineID></OrderReference><ItemName>Widget</ItemName>"
            "<LineTaxAmount>6</LineTaxAmount><ClassifiedTaxCategory>0.21</ClassifiedTaxCategory>"
            "</InvoiceLine></InvoiceLines>");
}

}  // namespace
}  // namespace tolvex
