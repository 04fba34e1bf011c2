// The INVOICE ITEMS tree: carried line fields land in their fields, computed line amounts are never read.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>

#include "tolvex/invoice_items.hpp"
#include "tolvex/xml.hpp"
#include "xml/xml_read.h"

namespace tolvex {
namespace {

DocumentPtr<InvoiceItems> read_items(const std::string& children, ErrorCode expected = ERROR_OK) {
  const std::string text = "<InvoiceItems>" + children + "</InvoiceItems>";
  DocumentPtr<> document;
  EXPECT_EQ(xml_read_document(text.data(), text.size(), &document), expected) << error_line();
  if (expected != ERROR_OK) {
    EXPECT_EQ(document, nullptr);
  }
  return DocumentPtr<InvoiceItems>(static_cast<InvoiceItems*>(document.release()));
}

TEST(InvoiceItemsXml, ReadsEveryCarriedElementIntoItsField) {
  const DocumentPtr<InvoiceItems> items = read_items(R"(
    <InvoiceID>FV-1</InvoiceID><FirstInvoiceLineID>0007</FirstInvoiceLineID>
    <InvoiceLines>
      <InvoiceLine><OrderReference><OrderID>O</OrderID><OrderLineID>OL</OrderLineID></OrderReference>
        <DeliveryNoteReference><DeliveryNoteID>D</DeliveryNoteID><DeliveryNoteLineID>DL</DeliveryNoteLineID>
        </DeliveryNoteReference><ItemName>IN</ItemName><ItemEANCode>EAN</ItemEANCode>
        <PeriodFromDate>P1</PeriodFromDate><PeriodToDate>P2</PeriodToDate><InvoicedQuantity>3</InvoicedQuantity>
        <UnitPriceTaxExclusiveAmount>10</UnitPriceTaxExclusiveAmount><UnitPriceTaxAmount>2.1</UnitPriceTaxAmount>
        <ClassifiedTaxCategory>0.21</ClassifiedTaxCategory><UnitPriceTaxInclusiveAmount>x</UnitPriceTaxInclusiveAmount>
        <LineTaxExclusiveAmount>x</LineTaxExclusiveAmount><LineTaxInclusiveAmount>x</LineTaxInclusiveAmount>
        <LineTaxAmount>x</LineTaxAmount></InvoiceLine>
      <InvoiceLine><OrderReference/></InvoiceLine>
    </InvoiceLines>)");
  ASSERT_NE(items, nullptr);
  EXPECT_EQ(items->header.bytes, (std::array<std::uint8_t, 2>{0x20, 0x00}));
  EXPECT_EQ(items->InvoiceID, "FV-1");
  EXPECT_EQ(items->FirstInvoiceLineID, "0007");
  ASSERT_EQ(pointer_list_count(items->InvoiceLines), 2u);
  const InvoiceLine& l = *items->InvoiceLines->get(0);
  ASSERT_NE(l.OrderReference, nullptr);
  EXPECT_EQ(l.OrderReference->OrderID, "O");
  EXPECT_EQ(l.OrderReference->OrderLineID, "OL");
  ASSERT_NE(l.DeliveryNoteReference, nullptr);
  EXPECT_EQ(l.DeliveryNoteReference->DeliveryNoteID, "D");
  EXPECT_EQ(l.DeliveryNoteReference->DeliveryNoteLineID, "DL");
  EXPECT_EQ(std::tie(l.ItemName, l.ItemEANCode, l.PeriodFromDate, l.PeriodToDate),
            std::make_tuple(Text("IN"), Text("EAN"), Text("P1"), Text("P2")));
  EXPECT_EQ(std::tie(l.InvoicedQuantity, l.UnitPriceTaxExclusiveAmount, l.UnitPriceTaxAmount,
                     l.ClassifiedTaxCategory),
            std::make_tuple(Decimal(3), Decimal(10), Decimal(2.1), Decimal(0.21)));
  EXPECT_EQ(std::tie(l.UnitPriceTaxInclusiveAmount, l.LineTaxExclusiveAmount, l.LineTaxInclusiveAmount,
                     l.LineTaxAmount),
            std::make_tuple(Decimal(), Decimal(), Decimal(), Decimal()));
  const InvoiceLine& bare = *items->InvoiceLines->get(1);
  ASSERT_NE(bare.OrderReference, nullptr);
  EXPECT_EQ(bare.OrderReference->OrderID, std::nullopt);
  EXPECT_EQ(bare.DeliveryNoteReference, nullptr);
}

TEST(InvoiceItemsXml, ReportsTheFirstBadDecimalInReadingOrder) {
  const struct {
    const char* line;
    const char* name;
  } cases[] = {
      {"<ClassifiedTaxCategory>x</ClassifiedTaxCategory><InvoicedQuantity>1,5</InvoicedQuantity>",
       "InvoicedQuantity"},
      {"<UnitPriceTaxAmount>x</UnitPriceTaxAmount><UnitPriceTaxExclusiveAmount>1,5</"
       "UnitPriceTaxExclusiveAmount>",
       "UnitPriceTaxExclusiveAmount"},
      {"<ClassifiedTaxCategory>x</ClassifiedTaxCategory><UnitPriceTaxAmount>1,5</UnitPriceTaxAmount>",
       "UnitPriceTaxAmount"},
      {"<ClassifiedTaxCategory>21 %</ClassifiedTaxCategory>", "ClassifiedTaxCategory"},
  };
  for (const auto& c : cases) {
    read_items(
        std::string("<InvoiceLines><InvoiceLine/><InvoiceLine>") + c.line + "</InvoiceLine></InvoiceLines>",
        ERROR_XML);
    EXPECT_EQ(error_line(), std::string("ERROR_XML: ") + c.name +
                                " Invalid decimal format. Use dot '.' as a decimal mark.");
  }
}

}  // namespace
}  // namespace tolvex
