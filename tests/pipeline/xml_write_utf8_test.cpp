// Decoded texts may hold any bytes; the XML written for them must be well-formed UTF-8 even
// where libxml2's own UTF-8 reader is lenient (stray continuation bytes, overlong forms).
#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <string>

#include "tolvex/invoice_items.hpp"
#include "tolvex/xml.hpp"
#include "xml/xml_write.h"

namespace tolvex {
namespace {

const std::string kFffd = "\xEF\xBF\xBD";

std::string invoice_id_element(const std::string& invoiceId) {
  auto items = invoice_items_new();
  items->InvoiceID = invoiceId;
  std::string text;
  EXPECT_EQ(xml_write_document(items.get(), &text, nullptr), ERROR_OK) << error_line();
  xmlDoc* parsed = xmlReadMemory(text.data(), static_cast<int>(text.size()), "noname.xml", nullptr, 0);
  EXPECT_NE(parsed, nullptr) << text;
  xmlFreeDoc(parsed);
  const std::size_t start = text.find("<InvoiceID>");
  const std::size_t end = text.find("</InvoiceID>");
  if (start == std::string::npos || end == std::string::npos) return "";
  return text.substr(start + 11, end - start - 11);
}

TEST(XmlWriteUtf8, StrayContinuationBytesAreReplacedOneByOne) {
  EXPECT_EQ(invoice_id_element("a\x8E\x91-"), "a" + kFffd + kFffd + "-");
  EXPECT_EQ(invoice_id_element("\x80\xBF"), kFffd + kFffd);
}

TEST(XmlWriteUtf8, OverlongFormsAreReplaced) {
  EXPECT_EQ(invoice_id_element("\xC0\x80"), kFffd + kFffd);
  EXPECT_EQ(invoice_id_element("\xC1\xBF"), kFffd + kFffd);
  EXPECT_EQ(invoice_id_element("\xE0\x80\xAF"), kFffd + kFffd + kFffd);
  EXPECT_EQ(invoice_id_element("\xF0\x8F\xBF\xBF"), kFffd + kFffd + kFffd + kFffd);
}

TEST(XmlWriteUtf8, SurrogatesNonCharactersAndCodePointsPastTheLastAreReplaced) {
  EXPECT_EQ(invoice_id_element("\xED\xA0\x80"), kFffd + kFffd + kFffd);
  EXPECT_EQ(invoice_id_element("\xF4\x90\x80\x80"), kFffd + kFffd + kFffd + kFffd);
  EXPECT_EQ(invoice_id_element("\xF5\x80\x80\x80"), kFffd + kFffd + kFffd + kFffd);
  // A well-formed sequence of a character XML excludes is replaced byte by byte as well.
  EXPECT_EQ(invoice_id_element("\xEF\xBF\xBE"), kFffd + kFffd + kFffd);
}

TEST(XmlWriteUtf8, TruncatedSequencesAreReplaced) {
  EXPECT_EQ(invoice_id_element("x\xE2\x82"), "x" + kFffd + kFffd);
  EXPECT_EQ(invoice_id_element("\xF0\x9F\x98-"), kFffd + kFffd + kFffd + "-");
}

TEST(XmlWriteUtf8, WellFormedSequencesOfEveryLengthAreKept) {
  const std::string text =
      "A\xC2\xA0\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBD";
  EXPECT_EQ(invoice_id_element(text), text);
}

}  // namespace
}  // namespace tolvex
