// tolvexdecode as a user meets it: a code's text in, the document's XML out.
#include <gtest/gtest.h>

#include <filesystem>

#include "pipeline/decode.h"
#include "pipeline/encode.h"
#include "support/process.h"

namespace tolvex {
namespace {

const std::string kDecode = test::shell_quote(TOLVEX_DECODE_PATH);

TEST(DecodeTool, ShowsTheXmlOfEveryExample) {
  for (const auto& entry :
       std::filesystem::directory_iterator(std::string(TOLVEX_SOURCE_DIR) + "/examples")) {
    if (entry.path().extension() != ".xml") continue;
    SCOPED_TRACE(entry.path().filename().string());
    const std::string xml = test::read_file(entry.path().string());
    std::string text;
    ASSERT_EQ(encode_xml(xml.data(), xml.size(), &text), ERROR_OK) << error_line();
    std::string expected;
    ASSERT_EQ(decode_to_xml(text.data(), text.size(), &expected, nullptr), ERROR_OK) << error_line();

    // A line end after the text, as echo or a pasted line leaves it, is not part of the text.
    const auto result = test::run_with_input(kDecode, text + "\n");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, expected + "\n");
    EXPECT_EQ(result.err, "");
  }
}

TEST(DecodeTool, ReportsADamagedTextLikeTheEncoder) {
  const auto shortText = test::run_with_input(kDecode, "00");
  EXPECT_EQ(shortText.status, 8);
  EXPECT_EQ(shortText.err, "ERROR_UNKNOWN_DOCUMENT: Header not found.  \n");
  EXPECT_EQ(shortText.out, "");

  const auto badCharacter = test::run_with_input(kDecode, "0000abcd");
  EXPECT_EQ(badCharacter.status, 1);
  EXPECT_EQ(badCharacter.err, "ERROR_BASE32HEX: Invalid base32hex string.  \n");
}

}  // namespace
}  // namespace tolvex
