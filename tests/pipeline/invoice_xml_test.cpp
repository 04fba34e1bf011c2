// The INVOICE tree: carried fields land in their fields, computed amounts are never read.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>

#include "tolvex/invoice.hpp"
#include "tolvex/xml.hpp"
#include "xml/xml_read.h"

namespace tolvex {
namespace {

DocumentPtr<Invoice> read_invoice(const std::string& children, ErrorCode expected = ERROR_OK) {
  const std::string text = "<Invoice>" + children + "</Invoice>";
  DocumentPtr<> document;
  EXPECT_EQ(xml_read_document(text.data(), text.size(), &document), expected) << error_line();
  if (expected != ERROR_OK) {
    EXPECT_EQ(document, nullptr);
  }
  return DocumentPtr<Invoice>(static_cast<Invoice*>(document.release()));
}

TEST(InvoiceXml, ReadsEveryCarriedElementIntoItsField) {
  const DocumentPtr<Invoice> invoice = read_invoice(R"(
    <InvoiceID>I</InvoiceID><IssueDate>D1</IssueDate><TaxPointDate>D2</TaxPointDate><OrderID>O</OrderID>
    <DeliveryNoteID>N</DeliveryNoteID><LocalCurrencyCode>CZK</LocalCurrencyCode>
    <ForeignCurrencyCode>EUR</ForeignCurrencyCode><CurrRate>25.21</CurrRate><ReferenceCurrRate>1</ReferenceCurrRate>
    <SupplierParty><PartyName>S</PartyName><CompanyTaxID>ST</CompanyTaxID><CompanyVATID>SV</CompanyVATID>
      <CompanyRegisterID>SR</CompanyRegisterID>
      <PostalAddress><StreetName>St</StreetName><BuildingNumber>Bn</BuildingNumber><CityName>Ci</CityName>
        <PostalZone>Pz</PostalZone><State>Sa</State><Country>CZE</Country></PostalAddress>
      <Contact><Name>Na</Name><Telephone>Te</Telephone><EMail>Em</EMail></Contact></SupplierParty>
    <CustomerParty><PartyName>C</PartyName><CompanyTaxID>CT</CompanyTaxID><CompanyVATID>CV</CompanyVATID>
      <CompanyRegisterID>CR</CompanyRegisterID><PartyIdentification>CP</PartyIdentification></CustomerParty>
    <NumberOfInvoiceLines>3</NumberOfInvoiceLines><InvoiceDescription>Desc</InvoiceDescription>
    <SingleInvoiceLine><OrderLineID>OL</OrderLineID><DeliveryNoteLineID>DL</DeliveryNoteLineID>
      <ItemName>IN</ItemName><ItemEANCode>EAN</ItemEANCode><PeriodFromDate>P1</PeriodFromDate>
      <PeriodToDate>P2</PeriodToDate><InvoicedQuantity>2.5</InvoicedQuantity>
      <UnitPriceTaxExclusiveAmount>x</UnitPriceTaxExclusiveAmount><InvoiceID>ignored</InvoiceID></SingleInvoiceLine>
    <TaxCategorySummaries><TaxCategorySummary><ClassifiedTaxCategory>0.21</ClassifiedTaxCategory>
      <TaxExclusiveAmount>100</TaxExclusiveAmount><TaxInclusiveAmount>not a number</TaxInclusiveAmount>
      <TaxAmount>21</TaxAmount><AlreadyClaimedTaxExclusiveAmount>40</AlreadyClaimedTaxExclusiveAmount>
      <AlreadyClaimedTaxAmount>8.4</AlreadyClaimedTaxAmount><DifferenceTaxAmount>x</DifferenceTaxAmount>
    </TaxCategorySummary></TaxCategorySummaries>
    <MonetarySummary><PayableRoundingAmount>-0.4</PayableRoundingAmount><PaidDepositsAmount>10</PaidDepositsAmount>
      <PayableAmount>x</PayableAmount><TaxAmount>x</TaxAmount></MonetarySummary>
    <PaymentMeans>cash creditCard</PaymentMeans><OrderLineID>ignored</OrderLineID>)");
  ASSERT_NE(invoice, nullptr);
  EXPECT_EQ(invoice->header.bytes, (std::array<std::uint8_t, 2>{0x10, 0x00}));
  const Invoice& i = *invoice;
  EXPECT_EQ(i.InvoiceID, "I");
  EXPECT_EQ(i.IssueDate, "D1");
  EXPECT_EQ(i.TaxPointDate, "D2");
  EXPECT_EQ(i.OrderID, "O");
  EXPECT_EQ(i.DeliveryNoteID, "N");
  EXPECT_EQ(i.LocalCurrencyCode, "CZK");
  EXPECT_EQ(i.ForeignCurrencyCode, "EUR");
  EXPECT_EQ(i.CurrRate, 25.21);
  EXPECT_EQ(i.ReferenceCurrRate, 1.0);
  ASSERT_NE(i.SupplierParty, nullptr);
  const SupplierParty& s = *i.SupplierParty;
  EXPECT_EQ(std::tie(s.PartyName, s.CompanyTaxID, s.CompanyVATID, s.CompanyRegisterID),
            std::make_tuple(Text("S"), Text("ST"), Text("SV"), Text("SR")));
  ASSERT_NE(s.PostalAddress, nullptr);
  const PostalAddress& a = *s.PostalAddress;
  EXPECT_EQ(std::tie(a.StreetName, a.BuildingNumber, a.CityName, a.PostalZone, a.State, a.Country),
            std::make_tuple(Text("St"), Text("Bn"), Text("Ci"), Text("Pz"), Text("Sa"), Text("CZE")));
  ASSERT_NE(s.Contact, nullptr);
  EXPECT_EQ(std::tie(s.Contact->Name, s.Contact->Telephone, s.Contact->EMail),
            std::make_tuple(Text("Na"), Text("Te"), Text("Em")));
  ASSERT_NE(i.CustomerParty, nullptr);
  const CustomerParty& c = *i.CustomerParty;
  EXPECT_EQ(std::tie(c.PartyName, c.CompanyTaxID, c.CompanyVATID, c.CompanyRegisterID, c.PartyIdentification),
            std::make_tuple(Text("C"), Text("CT"), Text("CV"), Text("CR"), Text("CP")));
  EXPECT_EQ(i.NumberOfInvoiceLines, 3);
  EXPECT_EQ(i.InvoiceDescription, "Desc");
  ASSERT_NE(i.SingleInvoiceLine, nullptr);
  const SingleInvoiceLine& l = *i.SingleInvoiceLine;
  EXPECT_EQ(std::tie(l.OrderLineID, l.DeliveryNoteLineID, l.ItemName, l.ItemEANCode, l.PeriodFromDate,
                     l.PeriodToDate),
            std::make_tuple(Text("OL"), Text("DL"), Text("IN"), Text("EAN"), Text("P1"), Text("P2")));
  EXPECT_EQ(l.InvoicedQuantity, 2.5);
  EXPECT_EQ(l.UnitPriceTaxExclusiveAmount, std::nullopt);
  ASSERT_EQ(pointer_list_count(i.TaxCategorySummaries), 1u);
  const TaxCategorySummary& t = *i.TaxCategorySummaries->get(0);
  EXPECT_EQ(std::tie(t.ClassifiedTaxCategory, t.TaxExclusiveAmount, t.TaxAmount,
                     t.AlreadyClaimedTaxExclusiveAmount, t.AlreadyClaimedTaxAmount),
            std::make_tuple(Decimal(0.21), Decimal(100), Decimal(21), Decimal(40), Decimal(8.4)));
  EXPECT_EQ(t.TaxInclusiveAmount, std::nullopt);
  EXPECT_EQ(t.DifferenceTaxAmount, std::nullopt);
  ASSERT_NE(i.MonetarySummary, nullptr);
  EXPECT_EQ(i.MonetarySummary->PayableRoundingAmount, -0.4);
  EXPECT_EQ(i.MonetarySummary->PaidDepositsAmount, 10.0);
  EXPECT_EQ(i.MonetarySummary->PayableAmount, std::nullopt);
  EXPECT_EQ(i.MonetarySummary->TaxAmount, std::nullopt);
  EXPECT_EQ(i.PaymentMeans, 10);
}

TEST(InvoiceXml, ReportsTheFirstBadElementInReadingOrder) {
  const char* decimal = " Invalid decimal format. Use dot '.' as a decimal mark.";
  const struct {
    const char* children;
    std::string error;
  } cases[] = {
      {"<ReferenceCurrRate>x</ReferenceCurrRate><CurrRate>1,5</CurrRate>",
       std::string("ERROR_XML: CurrRate") + decimal},
      {"<NumberOfInvoiceLines>x</NumberOfInvoiceLines><ReferenceCurrRate>1,5</ReferenceCurrRate>",
       std::string("ERROR_XML: ReferenceCurrRate") + decimal},
      {"<SingleInvoiceLine><InvoicedQuantity>x</InvoicedQuantity></SingleInvoiceLine>"
       "<NumberOfInvoiceLines>1.0</NumberOfInvoiceLines>",
       "ERROR_XML: NumberOfInvoiceLines Invalid integer format."},
      {"<TaxCategorySummaries><TaxCategorySummary><TaxExclusiveAmount>x</TaxExclusiveAmount></"
       "TaxCategorySummary>"
       "</TaxCategorySummaries><SingleInvoiceLine><InvoicedQuantity>two</InvoicedQuantity></"
       "SingleInvoiceLine>",
       std::string("ERROR_XML: InvoicedQuantity") + decimal},
      {"<TaxCategorySummaries><TaxCategorySummary><AlreadyClaimedTaxAmount>x</AlreadyClaimedTaxAmount>"
       "<ClassifiedTaxCategory>21%</ClassifiedTaxCategory></TaxCategorySummary></TaxCategorySummaries>",
       std::string("ERROR_XML: ClassifiedTaxCategory") + decimal},
      {"<TaxCategorySummaries><TaxCategorySummary><AlreadyClaimedTaxAmount>x</AlreadyClaimedTaxAmount>"
       "<AlreadyClaimedTaxExclusiveAmount>y</AlreadyClaimedTaxExclusiveAmount><TaxAmount>1</TaxAmount>"
       "</TaxCategorySummary></TaxCategorySummaries>",
       std::string("ERROR_XML: AlreadyClaimedTaxExclusiveAmount") + decimal},
      {"<MonetarySummary><PaidDepositsAmount>x</PaidDepositsAmount></MonetarySummary>"
       "<TaxCategorySummaries><TaxCategorySummary><TaxAmount>y</TaxAmount></TaxCategorySummary>"
       "</TaxCategorySummaries>",
       std::string("ERROR_XML: TaxAmount") + decimal},
      {"<PaymentMeans>cash cash</PaymentMeans><MonetarySummary><PaidDepositsAmount>x</PaidDepositsAmount>"
       "<PayableRoundingAmount>y</PayableRoundingAmount></MonetarySummary>",
       std::string("ERROR_XML: PayableRoundingAmount") + decimal},
      {"<PaymentMeans>cash other cash</PaymentMeans>", "ERROR_XML: PaymentMeans Contains duplicate value."},
  };
  for (const auto& c : cases) {
    read_invoice(c.children, ERROR_XML);
    EXPECT_EQ(error_line(), c.error) << c.children;
  }
}

}  // namespace
}  // namespace tolvex
