// Every decimal element of every family, in the example documents, refuses what strtod takes
// beyond the decimal form, as it refuses any other bad decimal; a number too small for a double
// still reads, as 0.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "tolvex/encode.hpp"

namespace tolvex {
namespace {

const std::filesystem::path kExamples = std::filesystem::path(TOLVEX_SOURCE_DIR) / "examples";

const char* const kDecimalElements[] = {
    "Amount",
    "MaxAmount",
    "CurrRate",
    "ReferenceCurrRate",
    "InvoicedQuantity",
    "ClassifiedTaxCategory",
    "TaxExclusiveAmount",
    "TaxAmount",
    "AlreadyClaimedTaxExclusiveAmount",
    "AlreadyClaimedTaxAmount",
    "PayableRoundingAmount",
    "PaidDepositsAmount",
    "UnitPriceTaxExclusiveAmount",
    "UnitPriceTaxAmount",
};

std::string read(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The example with the content of the first element of that name replaced, or "" when it has none.
std::string with_content(const std::string& xml, const std::string& element, const std::string& content) {
  const std::string open = "<" + element + ">";
  const std::size_t start = xml.find(open);
  if (start == std::string::npos) return "";
  const std::size_t from = start + open.size();
  const std::size_t to = xml.find("</" + element + ">", from);
  return xml.substr(0, from) + content + xml.substr(to);
}

TEST(DecimalForms, EveryDecimalElementRefusesNonDecimalNumbers) {
  std::set<std::string> covered;
  for (const auto& entry : std::filesystem::directory_iterator(kExamples)) {
    if (entry.path().extension() != ".xml") continue;
    const std::string xml = read(entry.path());
    for (const std::string element : kDecimalElements) {
      for (const char* content :
           {"nan", "-nan", "inf", "-inf", "Infinity", "1e400", "-1e309", "0x1p3", "0x10"}) {
        const std::string bad = with_content(xml, element, content);
        if (bad.empty()) continue;
        covered.insert(element);
        SCOPED_TRACE(entry.path().filename().string() + " " + element + " " + content);
        std::string text;
        EXPECT_EQ(encode_xml(bad.data(), bad.size(), &text), ERROR_XML);
        EXPECT_EQ(error_line(),
                  "ERROR_XML: " + element + " Invalid decimal format. Use dot '.' as a decimal mark.");
      }
    }
  }
  EXPECT_EQ(covered.size(), std::size(kDecimalElements));
}

TEST(DecimalForms, UnderflowReadsAsZero) {
  const std::string xml = with_content(read(kExamples / "pay-single.xml"), "Amount", "1e-400");
  std::string underflow;
  ASSERT_EQ(encode_xml(xml.data(), xml.size(), &underflow), ERROR_OK) << error_line();
  const std::string zero = with_content(read(kExamples / "pay-single.xml"), "Amount", "0");
  std::string text;
  ASSERT_EQ(encode_xml(zero.data(), zero.size(), &text), ERROR_OK);
  EXPECT_EQ(underflow, text);
}

}  // namespace
}  // namespace tolvex
