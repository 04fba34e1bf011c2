// The parts every subcommand shares: telling inputs apart, strict numbers, the logo search order,
// and file errors that name the file and the system's reason.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "command/common.h"
#include "support/process.h"
#include "tolvex/decode.hpp"
#include "tolvex/encode.hpp"

namespace tolvex::command {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

const std::string kSourceDir = TOLVEX_SOURCE_DIR;

struct FormCase {
  std::string input;
  Form form;
};

class FormTest : public testing::TestWithParam<FormCase> {};

TEST_P(FormTest, IsToldByTheFirstCharacterOrTheLetters) { EXPECT_EQ(detect_form(GetParam().input), GetParam().form); }

INSTANTIATE_TEST_SUITE_P(Cases, FormTest,
                         testing::Values(FormCase{"<?xml version=\"1.0\"?><Pay/>", Form::xml},
                                         FormCase{"  \n\t<Pay/>", Form::xml},
                                         FormCase{"{\"Pay\": {}}", Form::json},
                                         FormCase{"\n  [1]", Form::json},
                                         FormCase{"0008U00030V19HRI", Form::text},
                                         FormCase{"  0008U00030V19HRI==\n", Form::text},
                                         FormCase{"0008u00030v19hri", Form::xml},  // lower case is no base32hex
                                         FormCase{"0008W", Form::xml},             // W is past V
                                         FormCase{"ABC DEF", Form::xml},
                                         FormCase{"", Form::xml},
                                         FormCase{"   ", Form::xml}));

struct NumberCase {
  std::string text;
  std::optional<std::int32_t> value;
};

class WholeNumberTest : public testing::TestWithParam<NumberCase> {};

TEST_P(WholeNumberTest, TakesDigitsWithinTheRangeOnly) {
  EXPECT_EQ(whole_number(GetParam().text, 1, 8000), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Cases, WholeNumberTest,
                         testing::Values(NumberCase{"1", 1}, NumberCase{"8000", 8000}, NumberCase{"0400", 400},
                                         NumberCase{"0", std::nullopt}, NumberCase{"8001", std::nullopt},
                                         NumberCase{"1e3", std::nullopt}, NumberCase{"-5", std::nullopt},
                                         NumberCase{"+5", std::nullopt}, NumberCase{" 5", std::nullopt},
                                         NumberCase{"5 ", std::nullopt}, NumberCase{"abc", std::nullopt},
                                         NumberCase{"", std::nullopt}, NumberCase{"4294967697", std::nullopt},
                                         NumberCase{"99999999999999999999", std::nullopt}));

TEST(FormatOfName, FollowsTheExtensionInAnyCase) {
  EXPECT_EQ(format_of_name("a.png"), ImageFormat::png);
  EXPECT_EQ(format_of_name("dir.pdf/A.SVG"), ImageFormat::svg);
  EXPECT_EQ(format_of_name("x.Pdf"), ImageFormat::pdf);
  EXPECT_EQ(format_of_name("x.jpg"), std::nullopt);
  EXPECT_EQ(format_of_name(".pdf"), std::nullopt);  // a hidden file's name, no extension
  EXPECT_EQ(format_of_name("-"), std::nullopt);
}

TEST(LogoSearchOrder, OptionThenEnvironmentThenInstallationThenCurrentFolder) {
  const TempDir scratch;
  const fs::path executable = fs::path(scratch.path()) / "bin" / "tolvex";
  const fs::path installed = installed_logo_directory(executable);
  EXPECT_EQ(installed, (fs::path(scratch.path()) / "share/tolvex/logo").lexically_normal());

  LogoSearch search{.option = "mine", .environment = "env/", .executable = executable};
  EXPECT_EQ(find_logo_directory(search), "mine/");
  search.option.reset();
  EXPECT_EQ(find_logo_directory(search), "env/");
  search.environment = "";  // set but empty counts as not set
  EXPECT_EQ(find_logo_directory(search), "./logo/");  // nothing installed yet
  fs::create_directories(installed);
  EXPECT_EQ(find_logo_directory(search), installed.string() + "/");
  search.environment.reset();
  search.executable.reset();
  EXPECT_EQ(find_logo_directory(search), "./logo/");
}

TEST(LogoSearchOrder, ThisProcessSeesItsEnvironmentAndExecutable) {
  ::setenv("TOLVEX_LOGO_DIR", "/somewhere/logos", 1);
  const LogoSearch search = logo_search(std::nullopt);
  ::unsetenv("TOLVEX_LOGO_DIR");
  EXPECT_EQ(search.environment, "/somewhere/logos");
  ASSERT_TRUE(search.executable.has_value());
  EXPECT_EQ(search.executable->filename(), "tolvex_command_tests");
  EXPECT_FALSE(logo_search(std::nullopt).environment.has_value());
}

TEST(LogoFile, AMissingLogoNamesTheFileLookedFor) {
  Error missing{.code = Errc::missing_logo, .name = "ERROR_MISSING_LOGO", .message = "Cannot find logo file. ",
                .detail = "", .line = "ERROR_MISSING_LOGO: Cannot find logo file.  "};
  const LogoOptions logo{.directory = "art/", .rotation = LogoRotation::right, .variation = LogoVariation::gray,
                         .frame = false};
  EXPECT_EQ(with_logo_file(missing, kFamilyPay, logo).line,
            "ERROR_MISSING_LOGO: Cannot find logo file.  art/pay-right-gray-no_frame.png");
  Error other = missing;
  other.message = "Creating QR code images with logo is currently supported only for PAY, INVOICE or INVOICE ITEMS tolvex.";
  other.line = "ERROR_MISSING_LOGO: " + other.message + " ";
  EXPECT_EQ(with_logo_file(other, kFamilyPay, logo).line, other.line);
}

TEST(Files, ErrorsNameTheFileAndTheReason) {
  const TempDir scratch;
  const Result<std::string> missing = read_document_input(scratch.file("none.xml"));
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().line, "ERROR_IO: Cannot read " + scratch.file("none.xml") + ": No such file or directory");
  const Result<std::string> folder = read_document_input(scratch.path());
  ASSERT_FALSE(folder);
  EXPECT_EQ(folder.error().line, "ERROR_IO: Cannot read " + scratch.path() + ": Is a directory");

  const std::vector<std::uint8_t> bytes = {1, 2, 3};
  const std::string nowhere = scratch.file("no/such/x.png");
  const Result<void> written = write_output(nowhere, bytes);
  ASSERT_FALSE(written);
  EXPECT_EQ(written.error().line, "ERROR_IO: Cannot write " + nowhere + ": No such file or directory");
  ASSERT_TRUE(write_output(scratch.file("x.png"), bytes));
  EXPECT_EQ(test::read_file(scratch.file("x.png")), std::string("\1\2\3"));
}

TEST(Files, AFilePastTheBoundIsRefused) {
  const TempDir scratch;
  test::write_file(scratch.file("big.xml"), std::string((16u << 20) + 1, ' '));
  const Result<std::string> big = read_document_input(scratch.file("big.xml"));
  ASSERT_FALSE(big);
  EXPECT_EQ(big.error().code, Errc::illegal_argument);
  EXPECT_NE(big.error().line.find(scratch.file("big.xml")), std::string::npos);
}

TEST(EncodedDocument, ATextMustDecodeAndKeepsItsLetters) {
  const std::string xml = test::read_file(kSourceDir + "/examples/invoice.xml");
  const Result<std::string> text = encode_xml(xml);
  ASSERT_TRUE(text);
  const Result<EncodedDocument> fromXml = encoded_document(xml, Form::xml);
  ASSERT_TRUE(fromXml);
  EXPECT_EQ(fromXml->text, *text);
  EXPECT_EQ(fromXml->family, kFamilyInvoice);

  const Result<EncodedDocument> fromText = encoded_document("  " + *text + "\n", Form::text);
  ASSERT_TRUE(fromText);
  EXPECT_EQ(fromText->text, *text);
  EXPECT_EQ(fromText->family, kFamilyInvoice);

  std::string damaged = *text;
  damaged[damaged.size() / 2] = damaged[damaged.size() / 2] == 'A' ? 'B' : 'A';
  const Result<EncodedDocument> refused = encoded_document(damaged, Form::text);
  ASSERT_FALSE(refused);
  const Result<DocumentPtr<>> decoded = decode(damaged);
  ASSERT_FALSE(decoded);
  EXPECT_EQ(refused.error().line, decoded.error().line);
}

}  // namespace
}  // namespace tolvex::command
