// tolvexdecode as a user meets it: a code's text in, the document's XML out.
#include <gtest/gtest.h>

#include <filesystem>

#include "scan/pictures.h"
#include "support/process.h"
#include "tolvex/decode.hpp"
#include "tolvex/encode.hpp"

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

class DecodeFiles : public ::testing::Test {
 protected:
  test::TempDir directory;

  std::string write(const std::string& name, const test::Bytes& bytes) {
    const std::string path = directory.file(name);
    test::write_file(path, std::string(bytes.begin(), bytes.end()));
    return path;
  }

  static std::string xml_of(const std::string& text) {
    std::string xml;
    EXPECT_EQ(decode_to_xml(text.data(), text.size(), &xml, nullptr), ERROR_OK) << error_line();
    return xml;
  }

  static test::ProcessResult decode(const std::string& arguments) {
    return test::run_command(kDecode + " " + arguments);
  }
};

TEST_F(DecodeFiles, PrintsTheFirstDocumentOfEachFileOrAllOfThem) {
  const std::string pay = test::example_text("pay-single.xml");
  const std::string invoice = test::example_text("invoice.xml");
  const std::string items = test::example_text("invoice-items.xml");
  const auto payCode = test::plain_code(pay, 4);
  const auto invoiceCode = test::logo_code(invoice, 3, 1, true);
  const auto itemsCode = test::plain_code(items, 4);
  const std::string png = test::shell_quote(write("pay.png", test::png_of(payCode.get())));
  const std::string pdf = test::shell_quote(
      write("invoice.pdf", test::pdf_of({{test::Placement{invoiceCode.get(), 20, 120, 50}},
                                         {test::Placement{itemsCode.get(), 20, 120, 40}}})));

  const auto first = decode(png + " " + pdf);
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.out, xml_of(pay) + "\n" + xml_of(invoice) + "\n");
  EXPECT_EQ(first.err, "");

  const auto all = decode("-a " + pdf + " " + png);
  EXPECT_EQ(all.status, 0) << all.err;
  EXPECT_EQ(all.out, xml_of(invoice) + "\n" + xml_of(items) + "\n" + xml_of(pay) + "\n");

  const auto texts = decode("-A --TEXT " + pdf);
  EXPECT_EQ(texts.status, 0) << texts.err;
  EXPECT_EQ(texts.out, invoice + "\n" + items + "\n");
}

TEST_F(DecodeFiles, JpegAndALineFeedInsideAValue) {
  std::string twoLines = test::read_file(TOLVEX_SOURCE_DIR "/examples/pay-single.xml");
  twoLines.replace(twoLines.find("Faktura"), 7, "Faktura\nlist");
  std::string text;
  ASSERT_EQ(encode_xml(twoLines.data(), twoLines.size(), &text), ERROR_OK) << error_line();
  const auto code = test::plain_code(text, 5);
  const auto result = decode(test::shell_quote(write("note.jpg", test::jpeg_of(code.get(), 80))));
  EXPECT_EQ(result.status, 0) << result.err;
  std::string expected = xml_of(text);
  expected.replace(expected.find("Faktura\n"), 8, "Faktura&#10;");
  EXPECT_EQ(result.out, expected + "\n");
}

// Every file gets its own line, the others are still read, and the first failure decides the
// status.
TEST_F(DecodeFiles, EachFileWithoutADocumentGetsItsErrorLine) {
  const auto urlCode = test::plain_code("https://example.com/", 4);
  const std::string url = write("url.png", test::png_of(urlCode.get()));
  const std::string blank = write("blank.pdf", test::pdf_of({{}}));
  const std::string pay = test::example_text("pay-single.xml");
  const auto payCode = test::plain_code(pay, 4);
  const std::string good = write("pay.png", test::png_of(payCode.get()));
  const std::string missing = directory.file("missing.png");

  const auto result = decode(test::shell_quote(url) + " " + test::shell_quote(blank) + " " +
                             test::shell_quote(good) + " " + test::shell_quote(missing));
  EXPECT_EQ(result.status, 5);
  EXPECT_EQ(result.out, xml_of(pay) + "\n");
  EXPECT_EQ(result.err, "ERROR_BAD_FORMAT: Not a tolvex code.  " + url +
                            ": QR code holds a URL: https://example.com/\n"
                            "ERROR_UNKNOWN_DOCUMENT: No QR code found.  " +
                            blank +
                            "\n"
                            "ERROR_IO: Cannot read input file.  " +
                            missing + "\n");

  const auto none = decode(test::shell_quote(blank));
  EXPECT_EQ(none.status, 8);
  EXPECT_EQ(none.out, "");
}

TEST_F(DecodeFiles, OptionsUsageAndNamesThatLookLikeOptions) {
  const auto usage = decode("--help");
  EXPECT_EQ(usage.status, 0);
  EXPECT_EQ(usage.out, test::read_file(TOLVEX_SOURCE_DIR "/tests/cli/decode_usage.txt"));
  EXPECT_EQ(decode("-H").out, usage.out);

  const auto unknown = decode("-x file.png");
  EXPECT_EQ(unknown.status, 255);
  EXPECT_EQ(unknown.err, "ERROR_ILLEGAL_ARGUMENT: Unknown option:  -x\n");
  EXPECT_EQ(unknown.out, "");

  const std::string pay = test::example_text("pay-single.xml");
  const auto payCode = test::plain_code(pay, 4);
  write("-a.png", test::png_of(payCode.get()));
  const auto dashed =
      test::run_command("cd " + test::shell_quote(directory.path()) + " && " + kDecode + " -- -a.png");
  EXPECT_EQ(dashed.status, 0) << dashed.err;
  EXPECT_EQ(dashed.out, xml_of(pay) + "\n");
}

}  // namespace
}  // namespace tolvex
