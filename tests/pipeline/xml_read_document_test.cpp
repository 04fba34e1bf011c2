// xml_read_document over every family: its diagnostics and what it refuses.
#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/error.h"
#include "tolvex/invoice.hpp"
#include "tolvex/pay.hpp"
#include "tolvex/xml.hpp"
#include "xml/error_collection.h"

namespace tolvex {
namespace {

// Whether detail is one or more parser messages, each followed by " line:", a number, "," and a line feed.
bool is_diagnostics(const std::string& detail) {
  std::size_t position = 0;
  while (position < detail.size()) {
    const std::size_t marker = detail.find(" line:", position);
    if (marker == std::string::npos || marker == position) return false;
    std::size_t digits = marker + 6;
    while (digits < detail.size() && std::isdigit(static_cast<unsigned char>(detail[digits]))) ++digits;
    if (digits == marker + 6 || detail.compare(digits, 2, ",\n") != 0) return false;
    position = digits + 2;
  }
  return position > 0;
}

ErrorCode read(const std::string& text, DocumentPtr<>& document) {
  return xml_read_document(text.data(), text.size(), &document);
}

TEST(XmlReadDocument, NullTextIsReported) {
  DocumentPtr<> document;
  EXPECT_EQ(xml_read_document(nullptr, 10, &document), ERROR_NULL_POINTER);
  EXPECT_EQ(error_line(), "ERROR_NULL_POINTER: XML cannot be NULL. ");
  EXPECT_EQ(document, nullptr);
}

TEST(XmlReadDocument, MalformedTextReportsParserMessagesWithLines) {
  DocumentPtr<> document;
  ASSERT_EQ(read("<Pay>\n<InvoiceID>1</InvoiceID>\n<Payments>\n</Pay>", document), ERROR_XML);
  EXPECT_EQ(document, nullptr);
  const LastError& error = last_error();
  EXPECT_EQ(error.message, "Getting root element error\n");
  EXPECT_TRUE(is_diagnostics(error.detail)) << error.detail;
  EXPECT_NE(error.detail.find("\n line:4,\n"), std::string::npos) << error.detail;
  EXPECT_EQ(error_line(), "ERROR_XML: Getting root element error\n " + error.detail);
}

TEST(XmlReadDocument, ReportsOnlyTheMessagesOfItsOwnParse) {
  DocumentPtr<> document;
  // A relative namespace URI draws a warning, yet the document is read.
  ASSERT_EQ(read("<Pay xmlns=\"tolvex\"/>", document), ERROR_OK);
  ASSERT_NE(document, nullptr);
  // So does a message that reached this thread's handlers outside any parse.
  xmlGenericError(xmlGenericErrorContext, "stale\n");
  ASSERT_EQ(read("<Pay>", document), ERROR_XML);
  EXPECT_EQ(last_error().detail.find("tolvex"), std::string::npos) << last_error().detail;
  EXPECT_EQ(last_error().detail.find("stale"), std::string::npos) << last_error().detail;
  ASSERT_EQ(read(" ", document), ERROR_XML);
  // One message only: the first " line:" is the last.
  EXPECT_TRUE(is_diagnostics(last_error().detail)) << last_error().detail;
  EXPECT_EQ(last_error().detail.find(" line:"), last_error().detail.rfind(" line:1,\n"))
      << last_error().detail;
}

TEST(XmlReadDocument, NoRootWithoutMessagesHasNoDetail) {
  DocumentPtr<> document = pay_new();
  ASSERT_EQ(read("", document), ERROR_XML);
  EXPECT_EQ(error_line(), "ERROR_XML: Getting root element error ");
  EXPECT_EQ(document, nullptr);

  // A length beyond what libxml2 accepts is not handed to the parser at all.
  const char text[] = "<Pay/>";
  ASSERT_EQ(xml_read_document(text, std::size_t{INT_MAX} + 1, &document), ERROR_XML);
  EXPECT_EQ(error_line(), "ERROR_XML: Getting root element error ");
}

TEST(XmlReadDocument, UnknownRootGivesNoDocumentAndNoError) {
  for (const char* text : {"<Payment/>", "<pay/>", "<INVOICE/>"}) {
    set_error_message(ERROR_OK, "");
    DocumentPtr<> document = pay_new();
    EXPECT_EQ(read(text, document), ERROR_OK) << text;
    EXPECT_EQ(document, nullptr) << text;
    EXPECT_EQ(last_error().code, ERROR_OK) << text;
  }
}

TEST(XmlReadDocument, RootTypeAttributeSelectsOrRejects) {
  constexpr const char* kXsi = " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" ";
  const struct {
    std::string xml;
    std::array<std::uint8_t, 2> header;  // {0xFF, 0xFF}: rejected
  } cases[] = {
      {"<Pay/>", {0x00, 0x00}},
      {std::string("<Pay") + kXsi + "xsi:type=\"Pay\"/>", {0x00, 0x00}},
      {"<Pay type=\"Pay\"/>", {0x00, 0x00}},
      {"<t:Pay xmlns:t=\"urn:t\" t:type=\"Pay\"/>", {0x00, 0x00}},
      {std::string("<Pay") + kXsi + "xsi:type=\"Invoice\"/>", {0xFF, 0xFF}},
      {"<Invoice/>", {0x10, 0x00}},
      {std::string("<Invoice") + kXsi + "xsi:type=\"Invoice\"/>", {0x10, 0x00}},
      {std::string("<Invoice") + kXsi + "xsi:type=\"ProformaInvoice\"/>", {0x10, 0x10}},
      {std::string("<Invoice") + kXsi + "xsi:type=\"CreditNote\"/>", {0x10, 0x20}},
      {std::string("<Invoice") + kXsi + "xsi:type=\"DebitNote\"/>", {0x10, 0x30}},
      {std::string("<Invoice") + kXsi + "xsi:type=\"AdvanceInvoice\"/>", {0x10, 0x40}},
      {std::string("<Invoice") + kXsi + "xsi:type=\"Invoice \"/>", {0xFF, 0xFF}},
      {std::string("<Invoice") + kXsi + "xsi:type=\"invoice\"/>", {0xFF, 0xFF}},
      {std::string("<Invoice") + kXsi + "xsi:type=\"Pay\"/>", {0xFF, 0xFF}},
      {"<InvoiceItems/>", {0x20, 0x00}},
      {"<InvoiceItems type=\"InvoiceItems\"/>", {0x20, 0x00}},
      {std::string("<InvoiceItems") + kXsi + "xsi:type=\"Invoice\"/>", {0xFF, 0xFF}},
  };
  for (const auto& c : cases) {
    DocumentPtr<> document;
    const ErrorCode code = read(c.xml, document);
    if (c.header[0] == 0xFF) {
      EXPECT_EQ(code, ERROR_XML) << c.xml;
      EXPECT_EQ(error_line(), "ERROR_XML: Attribute 'type' in root element has invalid value. ") << c.xml;
      EXPECT_EQ(document, nullptr) << c.xml;
    } else {
      ASSERT_EQ(code, ERROR_OK) << c.xml;
      ASSERT_NE(document, nullptr) << c.xml;
      EXPECT_EQ(document->header.bytes, c.header) << c.xml;
    }
  }
}

// Every cut-off text is reported with the parser's messages, never read half and never crashed on.
TEST(XmlReadDocument, CutOffExamplesAreReportedNotReadHalf) {
  for (const char* file : {"pay-direct-debit.xml", "invoice.xml", "invoice-items.xml"}) {
    std::ifstream stream(std::filesystem::path(TOLVEX_SOURCE_DIR) / "examples" / file, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(text.empty()) << file;
    const std::size_t root_end = text.rfind('>') + 1;
    for (std::size_t length = 1; length < root_end; ++length) {
      DocumentPtr<> document;
      ASSERT_EQ(xml_read_document(text.data(), length, &document), ERROR_XML) << file << " cut at " << length;
      EXPECT_EQ(document, nullptr);
      EXPECT_EQ(last_error().message, "Getting root element error\n");
      EXPECT_TRUE(is_diagnostics(last_error().detail)) << file << " cut at " << length;
    }
  }
}

}  // namespace
}  // namespace tolvex
