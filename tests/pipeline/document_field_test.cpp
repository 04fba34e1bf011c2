// Reaching a document's fields by the XML names of their elements.
#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "tolvex/decode.hpp"
#include "tolvex/encode.hpp"
#include "tolvex/invoice.hpp"
#include "tolvex/pay.hpp"
#include "tolvex/xml.hpp"

namespace tolvex {
namespace {

const std::filesystem::path kExamples = std::filesystem::path(TOLVEX_SOURCE_DIR) / "examples";
const std::set<std::string> kLists = {"Payments", "BankAccounts", "TaxCategorySummaries", "InvoiceLines"};

std::string read(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Checks every element of the written XML against the field its path names; returns how many.
int expect_elements_match(const Document& document, const xmlNode* element, const std::string& path) {
  int checked = 0;
  int position = 0;
  for (const xmlNode* child = element->children; child != nullptr; child = child->next) {
    if (child->type != XML_ELEMENT_NODE) continue;
    const std::string name = reinterpret_cast<const char*>(child->name);
    // Inside a list the item is named by its position, not by its element.
    const std::string childPath = kLists.count(reinterpret_cast<const char*>(element->name)) != 0
                                      ? path + std::to_string(position++)
                                      : path + name;
    XmlFieldValue value;
    EXPECT_EQ(document_field(&document, childPath, &value), ERROR_OK) << childPath << ": " << error_line();
    EXPECT_TRUE(value.present) << childPath;
    if (child->children != nullptr && child->children->type == XML_TEXT_NODE &&
        child->children->next == nullptr) {
      xmlChar* content = xmlNodeGetContent(child);
      EXPECT_EQ(value.text, reinterpret_cast<const char*>(content)) << childPath;
      xmlFree(content);
      ++checked;
    } else {
      if (kLists.count(name) != 0) {
        EXPECT_EQ(value.kind, XmlFieldValue::Kind::list) << childPath;
      }
      checked += expect_elements_match(document, child, childPath + "/");
    }
  }
  return checked;
}

TEST(DocumentField, EveryElementOfEveryDecodedExampleIsReachedWithItsText) {
  for (const auto& entry : std::filesystem::directory_iterator(kExamples)) {
    if (entry.path().extension() != ".xml") continue;
    SCOPED_TRACE(entry.path().filename().string());
    const std::string xml = read(entry.path());
    std::string text;
    ASSERT_EQ(encode_xml(xml.data(), xml.size(), &text), ERROR_OK);
    DocumentPtr<> document;
    ASSERT_EQ(decode_document(text.data(), text.size(), &document), ERROR_OK);
    std::string written;
    ASSERT_EQ(xml_write_document(document.get(), &written, nullptr), ERROR_OK);
    xmlDoc* tree = xmlReadMemory(written.data(), static_cast<int>(written.size()), "x.xml", nullptr, 0);
    ASSERT_NE(tree, nullptr);
    EXPECT_GT(expect_elements_match(*document, xmlDocGetRootElement(tree), ""), 5);
    xmlFreeDoc(tree);
  }
}

TEST(DocumentField, KindsAbsenceAndPathsThatNameNothing) {
  auto pay = pay_new();
  pay->Payments.emplace().append(std::make_unique<Payment>());
  Payment& payment = *pay->Payments->get(0);
  payment.Amount = 12.5;
  payment.PaymentOptions = 5;
  payment.PaymentNote = "";
  payment.BankAccounts.emplace().append(nullptr);
  payment.DirectDebitExt = std::make_unique<DirectDebitExt>();
  payment.DirectDebitExt->DirectDebitScheme = 1;
  const struct {
    const char* path;
    XmlFieldValue::Kind kind;
    bool present;
    const char* text;
    std::optional<double> number;
    std::uint32_t count;
  } cases[] = {
      {"InvoiceID", XmlFieldValue::Kind::text, false, "", std::nullopt, 0},
      {"Payments", XmlFieldValue::Kind::list, true, "", std::nullopt, 1},
      {"Payments/0", XmlFieldValue::Kind::record, true, "", std::nullopt, 0},
      {"Payments/1", XmlFieldValue::Kind::record, false, "", std::nullopt, 0},
      {"Payments/0/Amount", XmlFieldValue::Kind::decimal, true, "12.5", 12.5, 0},
      {"Payments/0/PaymentOptions", XmlFieldValue::Kind::flags, true, "paymentorder directdebit", 5, 0},
      {"Payments/0/PaymentNote", XmlFieldValue::Kind::text, true, "", std::nullopt, 0},
      {"Payments/0/CurrencyCode", XmlFieldValue::Kind::text, false, "", std::nullopt, 0},
      {"Payments/0/BankAccounts", XmlFieldValue::Kind::list, true, "", std::nullopt, 1},
      {"Payments/0/BankAccounts/0", XmlFieldValue::Kind::record, false, "", std::nullopt, 0},
      {"Payments/0/BankAccounts/0/IBAN", XmlFieldValue::Kind::text, false, "", std::nullopt, 0},
      {"Payments/0/StandingOrderExt", XmlFieldValue::Kind::record, false, "", std::nullopt, 0},
      {"Payments/0/StandingOrderExt/Periodicity", XmlFieldValue::Kind::code, false, "", std::nullopt, 0},
      {"Payments/0/DirectDebitExt/DirectDebitScheme", XmlFieldValue::Kind::enumeration, true, "SEPA", 1, 0},
      {"Payments/7/DirectDebitExt/MandateID", XmlFieldValue::Kind::text, false, "", std::nullopt, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    XmlFieldValue value;
    ASSERT_EQ(document_field(pay.get(), c.path, &value), ERROR_OK) << error_line();
    EXPECT_EQ(value.kind, c.kind);
    EXPECT_EQ(value.present, c.present);
    EXPECT_EQ(value.text, c.text);
    EXPECT_EQ(value.number, c.number);
    EXPECT_EQ(value.count, c.count);
  }
  for (const char* path : {"", "/", "Amount", "Payments/Payment/Amount", "Payments/-1", "Payments/0x1",
                           "Payments/0/Amount/More", "Payments/0/", "InvoiceID/", "IssueDate"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(document_field(pay.get(), path, nullptr), ERROR_ILLEGAL_ARGUMENT);
    EXPECT_EQ(error_line(),
              "ERROR_ILLEGAL_ARGUMENT: " + std::string(path) + " names no field of the document. ");
  }
  EXPECT_EQ(document_field(nullptr, "InvoiceID", nullptr), ERROR_NULL_POINTER);
}

TEST(DocumentField, ComputedAmountsOfADecodedInvoice) {
  const std::string xml = read(kExamples / "invoice.xml");
  std::string text;
  ASSERT_EQ(encode_xml(xml.data(), xml.size(), &text), ERROR_OK);
  DocumentPtr<> document;
  ASSERT_EQ(decode_document(text.data(), text.size(), &document), ERROR_OK);
  const auto& invoice = static_cast<const Invoice&>(*document);
  XmlFieldValue payable;
  ASSERT_EQ(document_field(document.get(), "MonetarySummary/PayableAmount", &payable), ERROR_OK);
  EXPECT_EQ(payable.number, invoice.MonetarySummary->PayableAmount);
}

}  // namespace
}  // namespace tolvex
