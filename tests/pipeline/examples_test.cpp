// The example documents shipped with the project read and validate cleanly.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "document/document.h"
#include "tolvex/xml.hpp"
#include "xml/xml_read.h"

namespace tolvex {
namespace {

const std::filesystem::path kExamples = std::filesystem::path(TOLVEX_SOURCE_DIR) / "examples";

DocumentPtr<> read_example(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  DocumentPtr<> document;
  EXPECT_EQ(xml_read_document(text.data(), text.size(), &document), ERROR_OK) << path << ": " << error_line();
  return document;
}

TEST(Examples, EveryExampleReadsAndValidates) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kExamples)) {
    if (entry.path().extension() != ".xml") continue;
    ++count;
    const DocumentPtr<> document = read_example(entry.path());
    ASSERT_NE(document, nullptr) << entry.path();
    EXPECT_EQ(document_validate(document.get()), ERROR_OK) << entry.path() << ": " << error_line();
  }
  EXPECT_GE(count, 9);
}

TEST(Examples, EachFamilyAndInvoiceTypeIsCovered) {
  const struct {
    const char* file;
    std::array<std::uint8_t, 2> header;
  } cases[] = {
      {"pay-single.xml", {0x00, 0x00}},         {"pay-standing-order.xml", {0x00, 0x00}},
      {"pay-direct-debit.xml", {0x00, 0x00}},   {"invoice.xml", {0x10, 0x00}},
      {"invoice-proforma.xml", {0x10, 0x10}},   {"invoice-credit-note.xml", {0x10, 0x20}},
      {"invoice-debit-note.xml", {0x10, 0x30}}, {"invoice-advance.xml", {0x10, 0x40}},
      {"invoice-items.xml", {0x20, 0x00}},
  };
  for (const auto& c : cases) {
    const DocumentPtr<> document = read_example(kExamples / c.file);
    ASSERT_NE(document, nullptr) << c.file;
    EXPECT_EQ(document->header.bytes, c.header) << c.file;
  }
}

}  // namespace
}  // namespace tolvex
