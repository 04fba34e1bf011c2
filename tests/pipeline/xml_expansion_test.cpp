// Entity references in a document: the predefined and character references read as always,
// internal entities read while their expansion stays within bounds, and a document whose
// references would expand past them is refused as unreadable XML, quickly.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "tolvex/encode.hpp"
#include "tolvex/pay.hpp"
#include "tolvex/xml.hpp"
#include "xml/xml_read.h"

namespace tolvex {
namespace {

// A payment order whose PaymentNote (or other parts) the case fills in; declarations go into
// an internal subset.
std::string pay_document(const std::string& declarations, const std::string& note,
                         const std::string& extra = "", const std::string& rootAttributes = "") {
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  if (!declarations.empty()) text += "<!DOCTYPE Pay [" + declarations + "]>\n";
  text += "<Pay xmlns=\"http://tolvex.org/tolvex\"" + rootAttributes + "><Payments><Payment>";
  text += "<PaymentOptions>paymentorder</PaymentOptions><Amount>10</Amount><CurrencyCode>CZK</CurrencyCode>";
  text += "<PaymentNote>" + note + "</PaymentNote>";
  text += "<BankAccounts><BankAccount><IBAN>CZ6308000000002847561937</IBAN></BankAccount></BankAccounts>";
  text += "</Payment></Payments>" + extra + "</Pay>";
  return text;
}

std::string entity(const std::string& name, const std::string& value) {
  return "<!ENTITY " + name + " \"" + value + "\">";
}

std::string uses(const std::string& name, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += "&" + name + ";";
  return text;
}

ErrorCode read(const std::string& text, DocumentPtr<>& document) {
  return xml_read_document(text.data(), text.size(), &document);
}

std::string note_of(const DocumentPtr<>& document) {
  XmlFieldValue value;
  EXPECT_EQ(document_field(document.get(), "Payments/0/PaymentNote", &value), ERROR_OK);
  return value.text;
}

TEST(XmlEntityExpansion, ReferencesWithinBoundsReadAsBefore) {
  const struct {
    std::string declarations;
    std::string note;
    std::string expected;
  } cases[] = {
      {"", "a &amp; b &lt;&gt; &#65;&#x42;", "a & b <> AB"},
      {entity("who", "Tolvex &amp; Co"), "for &who;", "for Tolvex & Co"},
      {entity("inner", "ab") + entity("outer", "[&inner;&inner;]"), "&outer;&outer;", "[abab][abab]"},
      // Exactly at the bound of one element.
      {entity("k", std::string(1024, 'x')), uses("k", 64), std::string(64 * 1024, 'x')},
  };
  for (const auto& c : cases) {
    DocumentPtr<> document;
    ASSERT_EQ(read(pay_document(c.declarations, c.note), document), ERROR_OK) << error_line();
    const std::string note = note_of(document);
    EXPECT_TRUE(note == c.expected) << c.note.substr(0, 40) << " read as " << note.substr(0, 40) << ", "
                                    << note.size() << " bytes";
  }
}

TEST(XmlEntityExpansion, ExpansionPastTheBoundsIsUnreadableXml) {
  const std::string kilobyte = entity("k", std::string(1024, 'x'));
  const std::string tooLong =
      "ERROR_XML: XML content longer than 65536 bytes once its entity references are expanded. ";
  const std::string tooLarge =
      "ERROR_XML: XML document larger than 1048576 bytes once its entity references are expanded. ";
  // Twenty elements of 60 KiB each: every one within its bound, together past the document's.
  std::string manyElements;
  for (int i = 0; i < 20; ++i) manyElements += "<Extra>" + uses("k", 60) + "</Extra>";
  const struct {
    const char* what;
    std::string document;
    std::string line;
  } cases[] = {
      {"one byte past the bound", pay_document(kilobyte, uses("k", 64) + "y"), tooLong + " PaymentNote"},
      {"nested entities", pay_document(kilobyte + entity("m", uses("k", 100)), "&m;"), tooLong + " PaymentNote"},
      {"an attribute", pay_document(kilobyte, "n", "", " note=\"" + uses("k", 65) + "\""), tooLong + " note"},
      {"an element no field names", pay_document(kilobyte, "n", "<Other>" + uses("k", 65) + "</Other>"),
       tooLong + " Other"},
      {"the document's sum", pay_document(kilobyte, "n", manyElements), tooLarge + " "},
  };
  for (const auto& c : cases) {
    DocumentPtr<> document;
    EXPECT_EQ(read(c.document, document), ERROR_XML) << c.what;
    EXPECT_EQ(error_line(), c.line) << c.what;
    EXPECT_EQ(document, nullptr) << c.what;
  }
}

TEST(XmlEntityExpansion, PlainContentIsNotCounted) {
  // A long value without references is a copy of the input: the field's rules judge it.
  DocumentPtr<> document;
  ASSERT_EQ(read(pay_document("", std::string(100 * 1024, 'x')), document), ERROR_OK) << error_line();
  EXPECT_EQ(note_of(document).size(), 100u * 1024);
}

// One entity of 100,000 characters named 20,000 times in PaymentNote: 160 KB of input that
// used to expand for half an hour. Run in a child that an alarm ends, so that a regression fails
// the test instead of holding it.
TEST(XmlEntityExpansion, QuadraticExpansionIsRefusedAtOnce) {
  const std::string hostile = pay_document(entity("e", std::string(100000, 'A')), uses("e", 20000));
  ASSERT_LT(hostile.size(), 200u * 1024);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::alarm(2);
    std::string text;
    const ErrorCode code = encode_xml(hostile.data(), hostile.size(), &text);
    const bool refused = code == ERROR_XML && error_line().find("entity references are expanded") != std::string::npos;
    ::_exit(refused ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_FALSE(WIFSIGNALED(status)) << "still expanding after two seconds (signal " << WTERMSIG(status) << ")";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "not refused as unreadable XML";
}

}  // namespace
}  // namespace tolvex
