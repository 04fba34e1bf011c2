// The INVOICE and INVOICE ITEMS rules: a valid document, then one change per row and its error line.
#include "invoice/invoice_rules.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "invoice_items/invoice_items_rules.h"
#include "tolvex/invoice.hpp"
#include "tolvex/invoice_items.hpp"
#include "tolvex/xml.hpp"
#include "xml/xml_read.h"

namespace tolvex {
namespace {

constexpr const char* kValidInvoice = R"(<Invoice><InvoiceID>FV-1</InvoiceID><IssueDate>2026-04-01</IssueDate>
  <TaxPointDate>2026-03-31</TaxPointDate><LocalCurrencyCode>CZK</LocalCurrencyCode>
  <SupplierParty><PartyName>S</PartyName><PostalAddress><StreetName>Na Poříčí</StreetName><CityName>Praha</CityName>
    <PostalZone>11000</PostalZone><Country>CZE</Country></PostalAddress></SupplierParty>
  <CustomerParty><PartyName>C</PartyName></CustomerParty><NumberOfInvoiceLines>2</NumberOfInvoiceLines>
  <TaxCategorySummaries><TaxCategorySummary><ClassifiedTaxCategory>0.21</ClassifiedTaxCategory>
    <TaxExclusiveAmount>100</TaxExclusiveAmount><TaxAmount>21</TaxAmount>
    <AlreadyClaimedTaxExclusiveAmount>0</AlreadyClaimedTaxExclusiveAmount>
    <AlreadyClaimedTaxAmount>0</AlreadyClaimedTaxAmount></TaxCategorySummary></TaxCategorySummaries>
  <MonetarySummary><PayableRoundingAmount>0</PayableRoundingAmount><PaidDepositsAmount>0</PaidDepositsAmount>
  </MonetarySummary></Invoice>)";

constexpr const char* kValidItems = R"(<InvoiceItems><InvoiceID>FV-1</InvoiceID>
  <FirstInvoiceLineID>1</FirstInvoiceLineID><InvoiceLines><InvoiceLine><ItemName>Paper</ItemName>
  <InvoicedQuantity>5</InvoicedQuantity><UnitPriceTaxExclusiveAmount>100</UnitPriceTaxExclusiveAmount>
  <UnitPriceTaxAmount>21</UnitPriceTaxAmount><ClassifiedTaxCategory>0.21</ClassifiedTaxCategory>
  </InvoiceLine></InvoiceLines></InvoiceItems>)";

template <typename T>
DocumentPtr<T> read_valid(const char* text) {
  DocumentPtr<> document;
  EXPECT_EQ(xml_read_document(text, std::char_traits<char>::length(text), &document), ERROR_OK);
  return DocumentPtr<T>(static_cast<T*>(document.release()));
}

template <typename T>
struct Case {
  const char* label;
  std::function<void(T&)> change;
  std::string line;  // empty: valid
  ErrorCode code = ERROR_INVALID_VALUE;
};

template <typename T>
void run(const char* valid, std::initializer_list<Case<T>> cases) {
  for (const Case<T>& c : cases) {
    DocumentPtr<T> document = read_valid<T>(valid);
    ASSERT_NE(document, nullptr);
    c.change(*document);
    set_error_message(ERROR_OK, "untouched");
    const ErrorCode code = document_validate(document.get());
    if (c.line.empty()) {
      EXPECT_EQ(code, ERROR_OK) << c.label << ": " << error_line();
    } else {
      EXPECT_EQ(code, c.code) << c.label;
      EXPECT_EQ(error_line(), c.line) << c.label;
    }
  }
}

std::string invalid(const std::string& rest) { return "ERROR_INVALID_VALUE: " + rest; }

SingleInvoiceLine& single_line(Invoice& d) {
  d.NumberOfInvoiceLines.reset();
  d.SingleInvoiceLine = std::make_unique<SingleInvoiceLine>();
  d.SingleInvoiceLine->ItemName = "Consulting";
  d.SingleInvoiceLine->InvoicedQuantity = 1.0;
  return *d.SingleInvoiceLine;
}
TaxCategorySummary& summary(Invoice& d) { return *d.TaxCategorySummaries->get(0); }
PostalAddress& address(Invoice& d) { return *d.SupplierParty->PostalAddress; }

TEST(InvoiceValidate, NullDocumentsAreNamed) {
  EXPECT_EQ(invoice_validate(nullptr), ERROR_INVALID_VALUE);
  EXPECT_EQ(error_line(), invalid("Invoice cannot be NULL. "));
  EXPECT_EQ(invoice_items_validate(nullptr), ERROR_INVALID_VALUE);
  EXPECT_EQ(error_line(), invalid("InvoiceItems cannot be NULL. "));
}

TEST(InvoiceValidate, AppliesTheRulesInOrder) {
  const std::string choice_none = " or the other(s) choice field(s) cannot be NULL. ";
  const std::string conflict = " conflicts with another field value. ";
  run<Invoice>(
      kValidInvoice,
      {
          {"valid", [](Invoice&) {}, ""},
          {"id blank", [](Invoice& d) { d.InvoiceID = "   "; }, invalid("InvoiceID cannot be empty. ")},
          {"id before date",
           [](Invoice& d) {
             d.InvoiceID.reset();
             d.IssueDate.reset();
           },
           invalid("InvoiceID cannot be NULL. ")},
          {"issue date absent", [](Invoice& d) { d.IssueDate.reset(); },
           invalid("IssueDate cannot be NULL. ")},
          {"issue date range", [](Invoice& d) { d.IssueDate = "2026-00-10"; },
           "ERROR_XML: IssueDate is invalid date format. Day or month is out of range. ", ERROR_XML},
          {"tax point absent", [](Invoice& d) { d.TaxPointDate.reset(); }, ""},
          {"tax point form", [](Invoice& d) { d.TaxPointDate = "31.03.2026"; },
           invalid("TaxPointDate is invalid date format. ")},
          {"local currency", [](Invoice& d) { d.LocalCurrencyCode = "Kč"; },
           invalid("LocalCurrencyCode is invalid currency code. ")},
          {"rate without currency", [](Invoice& d) { d.CurrRate = 25.2; },
           invalid("ForeignCurrencyCode cannot be NULL. ")},
          {"currency without rate", [](Invoice& d) { d.ForeignCurrencyCode = "EUR"; },
           invalid("CurrRate cannot be NULL. ")},
          {"reference rate missing",
           [](Invoice& d) {
             d.ForeignCurrencyCode = "EUR";
             d.CurrRate = 25.2;
           },
           invalid("ReferenceCurrRate cannot be NULL. ")},
          {"foreign complete",
           [](Invoice& d) {
             d.ForeignCurrencyCode = "EUR";
             d.CurrRate = 25.2;
             d.ReferenceCurrRate = 1.0;
           },
           ""},
          {"supplier absent", [](Invoice& d) { d.SupplierParty.reset(); },
           invalid("SupplierParty cannot be NULL. ")},
          {"supplier name", [](Invoice& d) { d.SupplierParty->PartyName.reset(); },
           invalid("SupplierParty/PartyName cannot be NULL. ")},
          {"address", [](Invoice& d) { d.SupplierParty->PostalAddress.reset(); },
           invalid("PostalAddress cannot be NULL. ")},
          {"street", [](Invoice& d) { address(d).StreetName.reset(); },
           invalid("StreetName cannot be NULL. ")},
          {"city", [](Invoice& d) { address(d).CityName.reset(); }, invalid("CityName cannot be NULL. ")},
          {"postal zone", [](Invoice& d) { address(d).PostalZone.reset(); },
           invalid("PostalZone cannot be NULL. ")},
          {"country two letters", [](Invoice& d) { address(d).Country = "CZ"; },
           invalid("Country is invalid country code. ")},
          {"country small", [](Invoice& d) { address(d).Country = "cze"; },
           invalid("Country is invalid country code. ")},
          {"customer absent", [](Invoice& d) { d.CustomerParty.reset(); },
           invalid("CustomerParty cannot be NULL. ")},
          {"customer name", [](Invoice& d) { d.CustomerParty->PartyName.reset(); },
           invalid("CustomerParty/PartyName cannot be NULL. ")},
          {"no lines", [](Invoice& d) { d.NumberOfInvoiceLines.reset(); },
           invalid("NumberOfInvoiceLines" + choice_none)},
          {"both lines", [](Invoice& d) { d.SingleInvoiceLine = std::make_unique<SingleInvoiceLine>(); },
           invalid("SingleInvoiceLine" + conflict)},
          {"single line", [](Invoice& d) { single_line(d); }, ""},
          {"item name and code", [](Invoice& d) { single_line(d).ItemEANCode = "8594000000000"; },
           invalid("ItemEANCode" + conflict)},
          {"neither item", [](Invoice& d) { single_line(d).ItemName.reset(); },
           invalid("ItemName" + choice_none)},
          {"period reversed",
           [](Invoice& d) {
             single_line(d).PeriodFromDate = "2026-05-01";
             d.SingleInvoiceLine->PeriodToDate = "2026-04-30";
           },
           invalid("PeriodFromDate is after PeriodToDate.  ")},
          {"period before quantity",
           [](Invoice& d) {
             single_line(d).PeriodToDate = "2026-04-30";
             d.SingleInvoiceLine->InvoicedQuantity.reset();
           },
           invalid("PeriodFromDate cannot be NULL. ")},
          {"quantity", [](Invoice& d) { single_line(d).InvoicedQuantity.reset(); },
           invalid("InvoicedQuantity cannot be NULL. ")},
          {"no lines counted", [](Invoice& d) { d.NumberOfInvoiceLines = 0; }, ""},
          {"negative lines", [](Invoice& d) { d.NumberOfInvoiceLines = -1; },
           invalid("NumberOfInvoiceLines cannot be negative. ")},
          {"summaries absent", [](Invoice& d) { d.TaxCategorySummaries.reset(); },
           invalid("TaxCategorySummaries cannot be NULL. ")},
          {"summaries empty", [](Invoice& d) { d.TaxCategorySummaries.emplace(); },
           invalid("TaxCategorySummaries list cannot be empty. ")},
          {"category 20", [](Invoice& d) { summary(d).ClassifiedTaxCategory = 20.0; },
           invalid("ClassifiedTaxCategory is invalid, value must be between 0 and 1 inclusive. ")},
          {"category absent", [](Invoice& d) { summary(d).ClassifiedTaxCategory.reset(); },
           invalid("ClassifiedTaxCategory cannot be NULL. ")},
          {"exclusive", [](Invoice& d) { summary(d).TaxExclusiveAmount.reset(); },
           invalid("TaxExclusiveAmount cannot be NULL. ")},
          {"tax", [](Invoice& d) { summary(d).TaxAmount.reset(); }, invalid("TaxAmount cannot be NULL. ")},
          {"claimed exclusive", [](Invoice& d) { summary(d).AlreadyClaimedTaxExclusiveAmount.reset(); },
           invalid("AlreadyClaimedTaxExclusiveAmount cannot be NULL. ")},
          {"claimed tax", [](Invoice& d) { summary(d).AlreadyClaimedTaxAmount.reset(); },
           invalid("AlreadyClaimedTaxAmount cannot be NULL. ")},
          {"second summary",
           [](Invoice& d) { d.TaxCategorySummaries->append(std::make_unique<TaxCategorySummary>()); },
           invalid("ClassifiedTaxCategory cannot be NULL. ")},
          {"monetary absent", [](Invoice& d) { d.MonetarySummary.reset(); },
           invalid("MonetarySummary cannot be NULL. ")},
          {"rounding", [](Invoice& d) { d.MonetarySummary->PayableRoundingAmount.reset(); },
           invalid("PayableRoundingAmount cannot be NULL. ")},
          {"deposits", [](Invoice& d) { d.MonetarySummary->PaidDepositsAmount.reset(); },
           invalid("PaidDepositsAmount cannot be NULL. ")},
          {"means 127", [](Invoice& d) { d.PaymentMeans = 127; }, ""},
          {"means 128", [](Invoice& d) { d.PaymentMeans = 128; },
           invalid("PaymentMeans contains invalid values. ")},
          {"unexamined fields",
           [](Invoice& d) {
             d.OrderID = "";
             d.InvoiceDescription = " ";
             d.CustomerParty->CompanyVATID = "?";
             d.SupplierParty->Contact = std::make_unique<Contact>();
           },
           ""},
      });
}

TEST(InvoiceItemsValidate, AppliesTheRulesInOrder) {
  const auto line = [](InvoiceItems& d, std::uint32_t index) -> InvoiceLine& {
    return *d.InvoiceLines->get(index);
  };
  run<InvoiceItems>(
      kValidItems,
      {
          {"valid", [](InvoiceItems&) {}, ""},
          {"id blank", [](InvoiceItems& d) { d.InvoiceID = "\t"; }, invalid("InvoiceID cannot be empty. ")},
          {"first line absent", [](InvoiceItems& d) { d.FirstInvoiceLineID.reset(); },
           invalid("FirstInvoiceLineID cannot be NULL. ")},
          {"first line not digits", [](InvoiceItems& d) { d.FirstInvoiceLineID = "A-7"; }, ""},
          {"lines absent", [](InvoiceItems& d) { d.InvoiceLines.reset(); },
           invalid("InvoiceLines cannot be NULL. ")},
          {"null line", [](InvoiceItems& d) { d.InvoiceLines->append(nullptr); },
           invalid("InvoiceLines list cannot contain NULL value. ")},
          {"item and code", [&](InvoiceItems& d) { line(d, 0).ItemEANCode = "8594000000000"; },
           invalid("ItemEANCode conflicts with another field value. ")},
          {"code only",
           [&](InvoiceItems& d) {
             line(d, 0).ItemEANCode = "8594000000000";
             line(d, 0).ItemName.reset();
           },
           ""},
          {"period reversed",
           [&](InvoiceItems& d) {
             line(d, 0).PeriodFromDate = "2026-05-01";
             line(d, 0).PeriodToDate = "2026-04-30";
           },
           invalid("PeriodFromDate is after PeriodToDate.  ")},
          {"period end missing", [&](InvoiceItems& d) { line(d, 0).PeriodFromDate = "2026-05-01"; },
           invalid("PeriodToDate cannot be NULL. ")},
          {"quantity", [&](InvoiceItems& d) { line(d, 0).InvoicedQuantity.reset(); },
           invalid("InvoicedQuantity cannot be NULL. ")},
          {"unit price", [&](InvoiceItems& d) { line(d, 0).UnitPriceTaxExclusiveAmount.reset(); },
           invalid("UnitPriceTaxExclusiveAmount cannot be NULL. ")},
          {"unit tax", [&](InvoiceItems& d) { line(d, 0).UnitPriceTaxAmount.reset(); },
           invalid("UnitPriceTaxAmount cannot be NULL. ")},
          {"category", [&](InvoiceItems& d) { line(d, 0).ClassifiedTaxCategory = 1.01; },
           invalid("ClassifiedTaxCategory is invalid, value must be between 0 and 1 inclusive. ")},
          {"second line unit tax",
           [&](InvoiceItems& d) {
             auto second = std::make_unique<InvoiceLine>();
             second->ItemName = "Toner";
             second->InvoicedQuantity = 1.0;
             second->UnitPriceTaxExclusiveAmount = 50.0;
             d.InvoiceLines->append(std::move(second));
           },
           invalid("UnitPriceTaxAmount cannot be NULL. ")},
      });
}

}  // namespace
}  // namespace tolvex
