#include "cli/options.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace tolvex {
namespace {

ErrorCode parse(std::vector<std::string_view> arguments, Settings& settings) {
  return parse_options(arguments, &settings);
}

TEST(SplitOption, CutsAtTheFirstEqualsSign) {
  EXPECT_EQ(split_option("-f=a=b").name, "-f");
  EXPECT_EQ(split_option("-f=a=b").value, "a=b");
  EXPECT_EQ(split_option("--no_logo").name, "--no_logo");
  EXPECT_EQ(split_option("--no_logo").value, "");
  EXPECT_EQ(split_option("-l=").value, "");
}

TEST(ParseOptions, DefaultsWhenNothingRecognised) {
  Settings settings;
  ASSERT_EQ(parse({"-x", "hello"}, settings), ERROR_OK);
  EXPECT_EQ(settings.outputFile, "qrImage.png");
  EXPECT_EQ(settings.inputKind, InputKind::xml);
  EXPECT_EQ(settings.picture.logo->directory, "./logo/");
  EXPECT_EQ(settings.picture.logo->rotation, LogoRotation::bottom);
  EXPECT_EQ(settings.picture.logo->variation, LogoVariation::dark);
  EXPECT_TRUE(settings.picture.logo->frame);
  EXPECT_TRUE(settings.logo);
  EXPECT_EQ(settings.picture.size, 0);
}

TEST(ParseOptions, NamesAndValuesIgnoreLetterCase) {
  Settings settings;
  ASSERT_EQ(parse({"-F=out.png", "--NO_LOGO", "-v=DARK", "-R=Right", "-I=Base32Hex", "--No_Frame"}, settings),
            ERROR_OK);
  EXPECT_EQ(settings.outputFile, "out.png");
  EXPECT_FALSE(settings.logo);
  EXPECT_FALSE(settings.picture.logo->frame);
  EXPECT_EQ(settings.picture.logo->variation, LogoVariation::dark);
  EXPECT_EQ(settings.picture.logo->rotation, LogoRotation::right);
  EXPECT_EQ(settings.inputKind, InputKind::base32hex);
}

TEST(ParseOptions, LaterOccurrenceWins) {
  Settings settings;
  ASSERT_EQ(parse({"-f=first.png", "-v=gray", "-f=second.png", "-v=light"}, settings), ERROR_OK);
  EXPECT_EQ(settings.outputFile, "second.png");
  EXPECT_EQ(settings.picture.logo->variation, LogoVariation::light);
}

TEST(ParseOptions, ValuesWithoutEqualsSign) {
  Settings settings;
  ASSERT_EQ(parse({"-l", "-f=x.png", "-s"}, settings), ERROR_OK);
  EXPECT_EQ(settings.picture.logo->directory, "");
  EXPECT_EQ(settings.picture.size, 0);
}

struct SizeCase {
  const char* argument;
  std::int32_t size;
};

class ImageSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(ImageSizeTest, ReadsLikeAtoi) {
  Settings settings;
  ASSERT_EQ(parse({GetParam().argument}, settings), ERROR_OK);
  EXPECT_EQ(settings.picture.size, GetParam().size);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ImageSizeTest,
                         ::testing::Values(SizeCase{"-s=300", 300}, SizeCase{"-s= 42px", 42},
                                           SizeCase{"-s=-7", -7}, SizeCase{"-s=+8", 8}, SizeCase{"-s=abc", 0},
                                           SizeCase{"-s=", 0}, SizeCase{"-S=12", 12}));

struct IllegalCase {
  const char* argument;
  const char* line;
};

class IllegalValueTest : public ::testing::TestWithParam<IllegalCase> {};

TEST_P(IllegalValueTest, StopsWithTheOptionName) {
  Settings settings;
  EXPECT_EQ(parse({GetParam().argument, "-f=never.png"}, settings), ERROR_ILLEGAL_ARGUMENT);
  EXPECT_EQ(error_line(), GetParam().line);
  EXPECT_EQ(settings.outputFile, "qrImage.png") << "arguments after the illegal one are not examined";
}

INSTANTIATE_TEST_SUITE_P(
    Values, IllegalValueTest,
    ::testing::Values(IllegalCase{"-v=foo", "ERROR_ILLEGAL_ARGUMENT: Illegal value for:  -v"},
                      IllegalCase{"-v", "ERROR_ILLEGAL_ARGUMENT: Illegal value for:  -v"},
                      IllegalCase{"-r=middle", "ERROR_ILLEGAL_ARGUMENT: Illegal value for:  -r"},
                      IllegalCase{"-i=text", "ERROR_ILLEGAL_ARGUMENT: Illegal value for:  -i"},
                      IllegalCase{"-I=xml ", "ERROR_ILLEGAL_ARGUMENT: Illegal value for:  -i"},
                      IllegalCase{"-t=gif", "ERROR_ILLEGAL_ARGUMENT: Illegal value for:  -t"},
                      IllegalCase{"-t", "ERROR_ILLEGAL_ARGUMENT: Illegal value for:  -t"}));

TEST(OutputFormat, TheOptionOrElseTheExtension) {
  struct Case {
    std::vector<std::string_view> arguments;
    ImageFormat format;
  };
  const Case cases[] = {
      {{}, ImageFormat::png},
      {{"-f=a.svg"}, ImageFormat::svg},
      {{"-f=A.SVG"}, ImageFormat::svg},
      {{"-f=dir/x.Pdf"}, ImageFormat::pdf},
      {{"-f=.pdf"}, ImageFormat::pdf},
      {{"-f=svg"}, ImageFormat::png},
      {{"-f=a.svg.png"}, ImageFormat::png},
      {{"-f=dir.svg/x"}, ImageFormat::png},
      {{"-f="}, ImageFormat::png},
      {{"-t=svg"}, ImageFormat::svg},
      {{"-T=PDF", "-f=a.svg"}, ImageFormat::pdf},
      {{"-t=png", "-f=a.pdf"}, ImageFormat::png},
      {{"-t=pdf", "-t=Svg"}, ImageFormat::svg},
  };
  for (const Case& c : cases) {
    Settings settings;
    ASSERT_EQ(parse(c.arguments, settings), ERROR_OK);
    EXPECT_EQ(output_format(settings), c.format) << (c.arguments.empty() ? "" : c.arguments[0]);
  }
  Settings settings;
  ASSERT_EQ(parse({"-f=a.svg"}, settings), ERROR_OK);
  EXPECT_FALSE(settings.format) << "the extension is read when writing, not stored as -t";
}

// Feeds bytes through a real FILE stream, the way standard input arrives.
std::string read_through_stream(const std::string& bytes) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(std::tmpfile(), std::fclose);
  std::fwrite(bytes.data(), 1, bytes.size(), stream.get());
  std::fflush(stream.get());
  ::lseek(::fileno(stream.get()), 0, SEEK_SET);
  std::string text = "unchanged";
  EXPECT_EQ(read_input(::fileno(stream.get()), bytes.size(), &text), InputEnd::complete);
  return text;
}

TEST(ReadStandardInput, ReadsEverything) {
  const std::string longLine(5000, 'x');
  EXPECT_EQ(read_through_stream(""), "");
  EXPECT_EQ(read_through_stream("<Pay>\n  <InvoiceID>1</InvoiceID>\n</Pay>\n"),
            "<Pay>\n  <InvoiceID>1</InvoiceID>\n</Pay>\n");
  EXPECT_EQ(read_through_stream(longLine + "\nend"), longLine + "\nend");
}

TEST(ReadStandardInput, EndOfTransmissionEndsTheInput) {
  EXPECT_EQ(read_through_stream("ABC\x04"
                                "DEF"),
            "ABC");
  EXPECT_EQ(read_through_stream("A\x04"
                                "B\x04"
                                "C"),
            "A\x04"
            "B");
  EXPECT_EQ(read_through_stream("line one\nline\x04two\nline three\n"), "line one\nline");
}

TEST(UsageText, NamesEveryOptionWithItsDefault) {
  const std::string usage = usage_text(Settings{});
  EXPECT_EQ(usage.rfind("Tolvex QR code encoder tool. Version: 1.0.10\n", 0), 0u);
  EXPECT_NE(usage.find("\n-f=<filename> (default=qrImage.png)\n"), std::string::npos);
  EXPECT_NE(usage.find("\n-i=[xml, base32hex] (default=xml)\n"), std::string::npos);
  EXPECT_NE(usage.find("\n-l=<path> (default=./logo/)\n"), std::string::npos);
  EXPECT_NE(usage.find("\n-r=[bottom, top, left, right] (default=bottom)\n\tSpecifies tolvex logo rotation."),
            std::string::npos);
  EXPECT_NE(usage.find("\n-v=[dark, medium, light, gray] (default=dark)\n"), std::string::npos);
  EXPECT_NE(usage.find("('/' or '\\'). \n"), std::string::npos);
  EXPECT_NE(usage.find("\n-s=<integer> (default=0)\n"), std::string::npos);
  EXPECT_NE(usage.find("\n-t=[png, svg, pdf] (default=png)\n"), std::string::npos);
}

}  // namespace
}  // namespace tolvex
