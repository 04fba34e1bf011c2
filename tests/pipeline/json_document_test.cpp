// Whole documents in their JSON form: every example gives through JSON the text its XML gives,
// decoded texts become JSON with their computed amounts, and a JSON document fails where and as
// its XML would.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tolvex/decode.hpp"
#include "tolvex/encode.hpp"
#include "tolvex/invoice.hpp"
#include "tolvex/json.hpp"
#include "tolvex/xml.hpp"

namespace tolvex {
namespace {

const std::filesystem::path kExamples = std::filesystem::path(TOLVEX_SOURCE_DIR) / "examples";

std::string file_text(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string json_of_xml(const std::string& xml) {
  const Result<DocumentPtr<>> document = read_xml(xml);
  if (!document) return "read_xml: " + document.error().line;
  const Result<std::string> json = to_json(**document);
  return json ? *json : "to_json: " + json.error().line;
}

TEST(JsonDocument, EveryExampleEncodesThroughJsonAsItsXmlDoes) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kExamples)) {
    if (entry.path().extension() != ".xml") continue;
    ++count;
    const std::string xml = file_text(entry.path());
    const Result<std::string> fromXml = encode_xml(xml);
    ASSERT_TRUE(fromXml) << entry.path() << ": " << fromXml.error().line;

    const std::string json = json_of_xml(xml);
    const Result<std::string> fromJson = encode_json(json);
    ASSERT_TRUE(fromJson) << entry.path() << ": " << fromJson.error().line << "\n" << json;
    EXPECT_EQ(*fromJson, *fromXml) << entry.path();

    // Reading the JSON and writing it again changes nothing.
    const Result<DocumentPtr<>> read = read_json(json);
    ASSERT_TRUE(read) << read.error().line;
    const Result<std::string> again = to_json(**read);
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, json) << entry.path();
    EXPECT_EQ((*read)->header.bytes, (*read_xml(xml))->header.bytes) << entry.path();
  }
  EXPECT_GE(count, 9);
}

TEST(JsonDocument, APaymentOrderHasItsJsonForm) {
  EXPECT_EQ(json_of_xml(file_text(kExamples / "pay-single.xml")),
            R"({"Pay":{"type":"Pay","InvoiceID":"FV-2026-0142","Payments":[{"PaymentOptions":"paymentorder",)"
            R"("Amount":12480,"CurrencyCode":"CZK","PaymentDueDate":"2026-03-16","VariableSymbol":"2026000142",)"
            R"("ConstantSymbol":"0308","PaymentNote":"Faktura FV-2026-0142, kancelářské potřeby",)"
            R"("BankAccounts":[{"IBAN":"CZ6308000000002847561937","BIC":"GIBACZPX"}]}]}})");
}

TEST(JsonDocument, ADecodedTextGivesItsJsonWithComputedAmounts) {
  for (const char* name : {"invoice.xml", "invoice-credit-note.xml", "invoice-items.xml", "pay-direct-debit.xml"}) {
    const Result<std::string> text = encode_xml(file_text(kExamples / name));
    ASSERT_TRUE(text) << name;
    const Result<DocumentPtr<>> decoded = decode(*text);
    ASSERT_TRUE(decoded) << name;
    const Result<std::string> json = to_json(**decoded);
    ASSERT_TRUE(json) << name << ": " << json.error().line;
    const Result<std::string> xml = to_xml(**decoded);
    ASSERT_TRUE(xml);
    // Every amount the XML carries, computed ones included, is in the JSON with the same digits.
    for (const char* computed : {"PayableAmount", "TaxInclusiveAmount", "LineTaxInclusiveAmount"}) {
      const std::string open = std::string("<") + computed + ">";
      const std::size_t at = xml->find(open);
      if (at == std::string::npos) continue;
      const std::string digits = xml->substr(at + open.size(), xml->find('<', at + 1) - at - open.size());
      EXPECT_NE(json->find(std::string("\"") + computed + "\":" + digits), std::string::npos)
          << name << " " << computed << "\n" << *json;
    }
    // The computed amounts are not read back: the JSON encodes to the same text.
    const Result<std::string> again = encode_json(*json);
    ASSERT_TRUE(again) << again.error().line;
    EXPECT_EQ(*again, *text) << name;
  }
}

TEST(JsonDocument, TheTypeMemberChoosesTheInvoiceTypeAndIsOptional) {
  const struct {
    const char* type;
    unsigned documentType;
  } cases[] = {{"", 0}, {R"("type":"Invoice",)", 0}, {R"("type":"CreditNote",)", 2}, {R"("type":"AdvanceInvoice",)", 4}};
  for (const auto& c : cases) {
    const Result<DocumentPtr<>> document =
        read_json(std::string(R"({"Invoice":{)") + c.type + R"("InvoiceID":"1"}})");
    ASSERT_TRUE(document) << c.type << document.error().line;
    EXPECT_EQ((*document)->header.document_type(), c.documentType) << c.type;
    const Result<std::string> json = to_json(**document);
    ASSERT_TRUE(json);
    EXPECT_TRUE(json->starts_with(std::string(R"({"Invoice":{"type":")") +
                                  std::string(kInvoiceDocumentTypeNames[c.documentType]) + "\""))
        << *json;
  }
}

struct Failing {
  const char* label;
  std::string json;
  std::string line;
};

TEST(JsonDocument, AJsonDocumentOfTheWrongShapeFailsWithCodeNine) {
  const std::string kNotADocument =
      "ERROR_XML: JSON document is not an object with one member named Pay, Invoice or InvoiceItems.  ";
  const Failing cases[] = {
      {"array", "[]", kNotADocument},
      {"string", R"("Pay")", kNotADocument},
      {"no member", "{}", kNotADocument},
      {"two members", R"({"Pay":{},"Invoice":{}})", kNotADocument},
      {"unknown family", R"({"pay":{}})", kNotADocument},
      {"root not an object", R"({"Pay":[]})", "ERROR_XML: /Pay is not a JSON object. "},
      {"type not a string", R"({"Invoice":{"type":2}})", "ERROR_XML: /Invoice/type is not a JSON string. "},
      {"unknown type", R"({"Pay":{"type":"Invoice"}})",
       "ERROR_XML: Attribute 'type' in root element has invalid value. "},
      {"unparseable", R"({"Pay":{)", "ERROR_XML: JSON cannot be read: [json.exception.parse_error.101] parse error at "
                                     "line 1, column 9: syntax error while parsing object key - unexpected end of "
                                     "input; expected string literal"},
      {"too deep", R"({"Pay":{"Payments":[)" + std::string(70, '[') + std::string(70, ']') + "]}}",
       "ERROR_XML: JSON nested deeper than 64 levels.  "},
      {"wrong type deep inside", R"({"Pay":{"Payments":[{},{"BankAccounts":[{"IBAN":1}]}]}})",
       "ERROR_XML: /Pay/Payments/1/BankAccounts/0/IBAN is not a JSON string. "},
      {"item not an object", R"({"InvoiceItems":{"InvoiceLines":[[]]}})",
       "ERROR_XML: /InvoiceItems/InvoiceLines/0 is not a JSON object. "},
  };
  for (const Failing& c : cases) {
    const Result<DocumentPtr<>> document = read_json(c.json);
    ASSERT_FALSE(document) << c.label;
    EXPECT_EQ(document.error().code, Errc::xml) << c.label;
    EXPECT_EQ(document.error().line, c.line) << c.label;
    const Result<std::string> text = encode_json(c.json);
    ASSERT_FALSE(text) << c.label;
    EXPECT_EQ(text.error().line, c.line) << c.label;
  }
}

struct SameFailure {
  const char* xml;
  const char* json;
};

// A value XML reading refuses is refused by JSON reading with the same line; and a document that
// reads but does not validate fails encoding alike.
TEST(JsonDocument, AValueFailsAsInItsXml) {
  const SameFailure cases[] = {
      {"<Pay><Payments><Payment><StandingOrderExt><Day>1.5</Day></StandingOrderExt></Payment></Payments></Pay>",
       R"({"Pay":{"Payments":[{"StandingOrderExt":{"Day":1.5}}]}})"},
      {"<Pay><Payments><Payment><StandingOrderExt><Periodicity>Hourly</Periodicity></StandingOrderExt>"
       "</Payment></Payments></Pay>",
       R"({"Pay":{"Payments":[{"StandingOrderExt":{"Periodicity":"Hourly"}}]}})"},
      {"<Pay><Payments><Payment><StandingOrderExt><Month>May May</Month></StandingOrderExt></Payment></Payments></Pay>",
       R"({"Pay":{"Payments":[{"StandingOrderExt":{"Month":"May May"}}]}})"},
      {"<Invoice><PaymentMeans>cash cash</PaymentMeans></Invoice>", R"({"Invoice":{"PaymentMeans":"cash cash"}})"},
      {"<Pay><Payments><Payment><DirectDebitExt><DirectDebitType>twice</DirectDebitType></DirectDebitExt>"
       "</Payment></Payments></Pay>",
       R"({"Pay":{"Payments":[{"DirectDebitExt":{"DirectDebitType":"twice"}}]}})"},
      {R"(<Invoice xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xsi:type="Receipt"/>)",
       R"({"Invoice":{"type":"Receipt"}})"},
      // Read, then refused by validation.
      {"<Pay><InvoiceID>1</InvoiceID></Pay>", R"({"Pay":{"InvoiceID":"1"}})"},
      {"<Pay><Payments><Payment><Amount>-1</Amount></Payment></Payments></Pay>",
       R"({"Pay":{"Payments":[{"Amount":-1}]}})"},
      {"<Invoice><InvoiceID>1</InvoiceID><IssueDate>2026-02-30</IssueDate></Invoice>",
       R"({"Invoice":{"InvoiceID":"1","IssueDate":"2026-02-30"}})"},
  };
  for (const SameFailure& c : cases) {
    const Result<std::string> fromXml = encode_xml(c.xml);
    ASSERT_FALSE(fromXml) << c.xml;
    const Result<std::string> fromJson = encode_json(c.json);
    ASSERT_FALSE(fromJson) << c.json;
    EXPECT_EQ(fromJson.error().line, fromXml.error().line) << c.json;
    EXPECT_EQ(fromJson.error().code, fromXml.error().code) << c.json;
  }
}

TEST(JsonDocument, ADocumentWithoutATypeNameOrOfAnotherVersionIsNotWritten) {
  Result<DocumentPtr<>> invoice = read_json(R"({"Invoice":{"InvoiceID":"1"}})");
  ASSERT_TRUE(invoice);
  (*invoice)->header.set_document_type(9);
  const Result<std::string> unnamed = to_json(**invoice);
  ASSERT_FALSE(unnamed);
  EXPECT_EQ(unnamed.error().line, to_xml(**invoice).error().line);
}

}  // namespace
}  // namespace tolvex
