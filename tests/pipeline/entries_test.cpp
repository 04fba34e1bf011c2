// The Result-giving document entries: the same outcomes as the older entries, and errors that
// carry the tools' line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/error.h"
#include "tolvex/decode.hpp"
#include "tolvex/encode.hpp"
#include "tolvex/xml.hpp"

namespace tolvex {
namespace {

const std::filesystem::path kExamples = std::filesystem::path(TOLVEX_SOURCE_DIR) / "examples";

std::string read_file(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(Entries, EveryExampleEncodesAndDecodesAsTheOlderEntriesDo) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kExamples)) {
    if (entry.path().extension() != ".xml") continue;
    ++count;
    SCOPED_TRACE(entry.path().string());
    const std::string xml = read_file(entry.path());
    std::string olderText;
    ASSERT_EQ(encode_xml(xml.data(), xml.size(), &olderText), ERROR_OK);

    const Result<std::string> text = encode_xml(xml);
    ASSERT_TRUE(text) << text.error().line;
    EXPECT_EQ(*text, olderText);

    const Result<DocumentPtr<>> read = read_xml(xml);
    ASSERT_TRUE(read) << read.error().line;
    const Result<std::string> encoded = encode(**read);
    ASSERT_TRUE(encoded) << encoded.error().line;
    EXPECT_EQ(*encoded, olderText);

    std::string olderXml;
    ASSERT_EQ(decode_to_xml(olderText.data(), olderText.size(), &olderXml, nullptr), ERROR_OK);
    const Result<DocumentPtr<>> decoded = decode(*text);
    ASSERT_TRUE(decoded) << decoded.error().line;
    const Result<std::string> xmlAgain = to_xml(**decoded);
    ASSERT_TRUE(xmlAgain) << xmlAgain.error().line;
    EXPECT_EQ(*xmlAgain, olderXml);
  }
  EXPECT_GE(count, 9);
}

TEST(Entries, FailuresCarryTheLineTheToolsPrint) {
  struct Case {
    const char* name;
    Result<std::string> (*run)(std::string_view);
    const char* input;
    Errc code;
    const char* errorName;
    const char* line;
  };
  const auto decodeToXml = [](std::string_view text) -> Result<std::string> {
    Result<DocumentPtr<>> document = decode(text);
    if (!document) return std::move(document).error();
    return to_xml(**document);
  };
  const Case cases[] = {
      {"not XML", encode_xml, "<Pay", Errc::xml, "ERROR_XML", nullptr},
      {"no family", encode_xml, "<Other/>", Errc::null_pointer, "ERROR_NULL_POINTER",
       "ERROR_NULL_POINTER: Document cannot be null.  "},
      {"bad amount", encode_xml,
       "<Pay><Payments><Payment><Amount>1,5</Amount></Payment></Payments></Pay>", Errc::xml, "ERROR_XML",
       "ERROR_XML: Amount Invalid decimal format. Use dot '.' as a decimal mark."},
      {"missing payments", encode_xml, "<Pay/>", Errc::invalid_value, "ERROR_INVALID_VALUE", nullptr},
      {"short text", decodeToXml, "AB", Errc::unknown_document, "ERROR_UNKNOWN_DOCUMENT",
       "ERROR_UNKNOWN_DOCUMENT: Header not found.  "},
      {"foreign letters", decodeToXml, "WXYZWXYZ", Errc::base32hex, "ERROR_BASE32HEX",
       "ERROR_BASE32HEX: Invalid base32hex string.  "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Result<std::string> result = c.run(c.input);
    ASSERT_FALSE(result);
    const Error& error = result.error();
    EXPECT_EQ(error.code, c.code);
    EXPECT_EQ(error.name, c.errorName);
    EXPECT_EQ(error.line, error_line());
    if (c.line != nullptr) {
      EXPECT_EQ(error.line, c.line);
    }
    EXPECT_TRUE(error.line.starts_with(error.name + ": ")) << error.line;
    EXPECT_TRUE(error.line.find(error.message) != std::string::npos);
  }
}

TEST(Entries, ReadXmlOfANameNoFamilyHasIsNoDocument) {
  const Result<DocumentPtr<>> read = read_xml("<Payment/>");
  ASSERT_FALSE(read);
  EXPECT_EQ(read.error().line, "ERROR_NULL_POINTER: Document cannot be null.  ");
}

TEST(Entries, DocumentFieldByPath) {
  const Result<DocumentPtr<>> read = read_xml(read_file(kExamples / "pay-single.xml"));
  ASSERT_TRUE(read);
  const Result<XmlFieldValue> amount = document_field(**read, "Payments/0/Amount");
  ASSERT_TRUE(amount) << amount.error().line;
  EXPECT_TRUE(amount->present);
  EXPECT_EQ(amount->kind, XmlFieldValue::Kind::decimal);
  const Result<XmlFieldValue> absent = document_field(**read, "Payments/5/Amount");
  ASSERT_TRUE(absent);
  EXPECT_FALSE(absent->present);
  const Result<XmlFieldValue> unknown = document_field(**read, "Payments/0/Amout");
  ASSERT_FALSE(unknown);
  EXPECT_EQ(unknown.error().code, Errc::illegal_argument);
  EXPECT_EQ(unknown.error().line, "ERROR_ILLEGAL_ARGUMENT: Payments/0/Amout names no field of the document. ");
}

}  // namespace
}  // namespace tolvex
