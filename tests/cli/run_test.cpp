// Whole runs of tolvexqr: documents in, pictures out and read back by two decoders; failures
// as the shell sees them, with nothing written.
#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <future>
#include <optional>
#include <string>
#include <vector>

#include "codec/base32hex.h"
#include "image/cairo_ptr.h"
#include "qr/qr_encode.h"
#include "support/decoders.h"
#include "support/process.h"
#include "tolvex/encode.hpp"

namespace tolvex {
namespace {

using test::read_file;
using test::run_with_input;
using test::shell_quote;
using test::TempDir;

const std::string kCli = shell_quote(TOLVEX_CLI_PATH);
const std::string kSourceDir = TOLVEX_SOURCE_DIR;
const std::string kLogoDir = kSourceDir + "/logo/";

std::string example(const std::string& name) { return read_file(kSourceDir + "/examples/" + name); }

// The text the document encodes to, computed in this process.
std::string encoded(const std::string& name) {
  const std::string xml = example(name);
  std::string text;
  EXPECT_EQ(encode_xml(xml.data(), xml.size(), &text), ERROR_OK) << name;
  return text;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// Runs tolvexqr in directory with the arguments and input on standard input.
test::ProcessResult run_in(const std::string& directory, const std::string& arguments,
                           const std::string& input) {
  return run_with_input("cd " + shell_quote(directory) + " && " + kCli + " " + arguments, input);
}

std::string success_line(const std::string& file) {
  return "Successfully written image to file: " + file + "\n";
}

class Picture {
 public:
  explicit Picture(const std::string& path) : surface_(cairo_image_surface_create_from_png(path.c_str())) {
    cairo_surface_flush(surface_.get());
  }

  bool loaded() const { return cairo_surface_status(surface_.get()) == CAIRO_STATUS_SUCCESS; }
  int width() const { return cairo_image_surface_get_width(surface_.get()); }
  int height() const { return cairo_image_surface_get_height(surface_.get()); }

  // ARGB, opaque for pictures without alpha.
  std::uint32_t at(int x, int y) const {
    const unsigned char* row =
        cairo_image_surface_get_data(surface_.get()) +
        static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface_.get());
    std::uint32_t value;
    std::memcpy(&value, row + static_cast<std::ptrdiff_t>(x) * 4, sizeof value);
    return cairo_image_surface_get_format(surface_.get()) == CAIRO_FORMAT_ARGB32 ? value : value | 0xFF000000;
  }

 private:
  SurfacePtr surface_;
};

constexpr std::uint32_t kBlack = 0xFF000000;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;

// Checks that every pixel of the result is the logo picture's, painted at (logoX, logoY), or a
// black module, and that only white and black stand outside the picture. Returns how many
// pixels are black.
int expect_composed(const Picture& result, const std::string& logoName, int logoX, int logoY) {
  const Picture logo(kLogoDir + logoName);
  EXPECT_TRUE(logo.loaded()) << logoName;
  int black = 0;
  int wrong = 0;
  for (int y = 0; y < result.height(); ++y) {
    for (int x = 0; x < result.width(); ++x) {
      const std::uint32_t value = result.at(x, y);
      if (value == kBlack) {
        ++black;
        continue;
      }
      const bool inLogo = x >= logoX && x < logoX + logo.width() && y >= logoY && y < logoY + logo.height();
      wrong += value != (inLogo ? logo.at(x - logoX, y - logoY) : kWhite);
    }
  }
  EXPECT_EQ(wrong, 0) << logoName;
  return black;
}

// Both decoders, side by side: most of their time is starting up.
void expect_decodes_to(const std::string& path, const std::string& text) {
  std::future<std::optional<std::string>> zbar = std::async(std::launch::async, test::zbar_decode, path);
  EXPECT_EQ(test::zxing_decode(path), text) << "ZXingReader";
  EXPECT_EQ(zbar.get(), text) << "zbarimg";
}

int symbol_width(const std::string& text) {
  const std::optional<QrSymbol> symbol = qr_encode(text);
  return symbol ? symbol->width() : -1;
}

TEST(Run, EveryExampleWithTheDefaultLogo) {
  struct Case {
    const char* example;
    const char* logo;
  };
  const Case cases[] = {
      {"pay-single.xml", "pay-bottom-dark.png"},
      {"pay-standing-order.xml", "pay-bottom-dark.png"},
      {"pay-direct-debit.xml", "pay-bottom-dark.png"},
      {"invoice.xml", "invoice-bottom-dark.png"},
      {"invoice-advance.xml", "invoice-bottom-dark.png"},
      {"invoice-proforma.xml", "invoice-bottom-dark.png"},
      {"invoice-credit-note.xml", "invoice-bottom-dark.png"},
      {"invoice-debit-note.xml", "invoice-bottom-dark.png"},
      {"invoice-items.xml", "items-bottom-dark.png"},
  };
  // Every example document is in the table.
  std::ptrdiff_t documents = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kSourceDir + "/examples")) {
    documents += entry.path().extension() == ".xml";
  }
  ASSERT_EQ(documents, std::ssize(cases));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.example);
    const TempDir out;
    const std::string fromXml = out.file("xml.png");
    const auto result = run_in(kSourceDir, "-f=" + shell_quote(fromXml), example(c.example));
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, success_line(fromXml));
    ASSERT_EQ(result.status, 0);

    const Picture picture(fromXml);
    ASSERT_TRUE(picture.loaded());
    const Picture logo(kLogoDir + c.logo);
    EXPECT_EQ(picture.width(), logo.width());
    EXPECT_EQ(picture.height(), logo.height());
    EXPECT_GT(expect_composed(picture, c.logo, 0, 0), 0);
    const std::string text = encoded(c.example);
    expect_decodes_to(fromXml, text);

    // The encoded text itself makes the same picture.
    const std::string fromText = out.file("text.png");
    const auto again = run_in(kSourceDir, "-i=base32hex -f=" + shell_quote(fromText), text);
    EXPECT_EQ(again.err, "");
    EXPECT_EQ(again.out, success_line(fromText));
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(read_file(fromText), read_file(fromXml));
  }
}

TEST(Run, DefaultOutputFileReplacesAnOldOne) {
  const TempDir work;
  test::write_file(work.file("qrImage.png"), "an older file");
  const auto result = run_in(work.path(), "-l=" + shell_quote(kLogoDir), example("pay-single.xml"));
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, success_line("qrImage.png"));
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(Picture(work.file("qrImage.png")).loaded());
  EXPECT_EQ(
      std::distance(std::filesystem::directory_iterator(work.path()), std::filesystem::directory_iterator()),
      1);
}

TEST(Run, PlacementsColoursAndFrames) {
  enum Placement { bottom, top, left, right };
  struct Case {
    const char* example;
    const char* options;
    const char* logo;
    Placement placement;
    bool frame;
  };
  // The invoice families keep their top placement in the "left" pictures and the other way round.
  const Case cases[] = {
      {"pay-direct-debit.xml", "-r=top -v=medium", "pay-top-medium.png", top, true},
      {"invoice-credit-note.xml", "-r=left -v=light", "invoice-top-light.png", left, true},
      {"invoice-items.xml", "-r=top -v=gray", "items-left-gray.png", top, true},
      {"invoice-advance.xml", "-v=MEDIUM -R=Right", "invoice-right-medium.png", right, true},
      {"pay-standing-order.xml", "-r=right -v=gray --no_frame", "pay-right-gray-no_frame.png", right, false},
      {"invoice-proforma.xml", "-v=light --no_frame", "invoice-bottom-light-no_frame.png", bottom, false},
      {"invoice-debit-note.xml", "-r=top -v=dark --no_frame", "invoice-left-dark-no_frame.png", top, false},
      {"invoice-items.xml", "-r=left -v=medium --no_frame", "items-top-medium-no_frame.png", left, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.example) + " " + c.options);
    const TempDir out;
    const std::string text = encoded(c.example);
    const auto result =
        run_in(out.path(),
               std::string("-i=base32hex -f=out.png -l=") + shell_quote(kLogoDir) + " " + c.options, text);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, success_line("out.png"));
    ASSERT_EQ(result.status, 0);

    const Picture picture(out.file("out.png"));
    ASSERT_TRUE(picture.loaded());
    const Picture logo(kLogoDir + c.logo);
    const int w = logo.width();
    const int h = logo.height();
    int logoX = 0;
    int logoY = 0;
    if (c.frame) {
      EXPECT_EQ(picture.width(), w);
      EXPECT_EQ(picture.height(), h);
    } else if (c.placement == bottom || c.placement == top) {
      EXPECT_EQ(picture.width(), w);
      EXPECT_EQ(picture.height(), w + h);
      if (c.placement == bottom) logoY = w;
    } else {
      EXPECT_EQ(picture.width(), w + h);
      EXPECT_EQ(picture.height(), h);
      if (c.placement == right) logoX = h;
    }
    EXPECT_GT(expect_composed(picture, c.logo, logoX, logoY), 0);
    expect_decodes_to(out.file("out.png"), text);
  }
}

TEST(Run, PlainPictures) {
  const TempDir out;
  const std::string text = encoded("invoice.xml");
  const int width = symbol_width(text);
  ASSERT_GT(width, 0);

  struct Case {
    const char* options;
    int side;
    bool zbar;  // zbarimg does not find codes of one pixel a module
  };
  const Case cases[] = {{"--no_logo -s=0", width + 8, false}, {"--NO_LOGO -s=400", 400, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    const auto result = run_in(out.path(), std::string("-f=plain.png ") + c.options, example("invoice.xml"));
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, success_line("plain.png"));
    ASSERT_EQ(result.status, 0);
    const Picture picture(out.file("plain.png"));
    EXPECT_EQ(picture.width(), c.side);
    EXPECT_EQ(picture.height(), c.side);
    if (c.zbar) {
      expect_decodes_to(out.file("plain.png"), text);
    } else {
      EXPECT_EQ(test::zxing_decode(out.file("plain.png")), text);
    }
  }
}

// -t chooses the format, and without it the name's extension does; the file begins as its
// format does and, rendered back for SVG and PDF, holds the code.
TEST(Run, FormatsByOptionAndExtension) {
  const TempDir out;
  const std::string text = encoded("pay-single.xml");
  struct Case {
    const char* options;
    const char* file;
    const char* start;
  };
  const Case cases[] = {
      {"-s=300 --no_logo", "plain.svg", "<?xml"},    {"", "logo.SVG", "<?xml"},
      {"--no_logo -s=300", "plain.Pdf", "%PDF-"},    {"-t=pdf", "logo.png", "%PDF-"},
      {"-T=SVG --no_logo -s=300", "x.pdf", "<?xml"}, {"-t=png", "logo.svg", "\x89PNG"},
      {"--no_logo", "plain.svgz", "\x89PNG"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.options) + " " + c.file);
    const auto result = run_in(out.path(), "-l=" + shell_quote(kLogoDir) + " -f=" + c.file + " " + c.options,
                               example("pay-single.xml"));
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, success_line(c.file));
    ASSERT_EQ(result.status, 0);
    const std::string content = read_file(out.file(c.file));
    const std::string start = c.start;
    EXPECT_EQ(content.rfind(start, 0), 0u);
    if (start == "<?xml") {
      ASSERT_EQ(test::run_command("rsvg-convert -o " + shell_quote(out.file("back.png")) + " " +
                                  shell_quote(out.file(c.file)))
                    .status,
                0);
      expect_decodes_to(out.file("back.png"), text);
    } else if (start == "%PDF-") {
      ASSERT_EQ(test::run_command("pdftoppm -png -r 72 -singlefile " + shell_quote(out.file(c.file)) + " " +
                                  shell_quote(out.file("back")))
                    .status,
                0);
      expect_decodes_to(out.file("back.png"), text);
    }
  }
  const auto illegal = run_in(out.path(), "-t=gif -f=never.png", example("pay-single.xml"));
  EXPECT_EQ(illegal.status, 255);
  EXPECT_EQ(illegal.err, "ERROR_ILLEGAL_ARGUMENT: Illegal value for:  -t\n");
  EXPECT_FALSE(std::filesystem::exists(out.file("never.png")));
}

TEST(Run, SizeDoesNotChangeALogoPicture) {
  const TempDir out;
  const std::string logo = "-l=" + shell_quote(kLogoDir);
  const std::string xml = example("pay-single.xml");
  ASSERT_EQ(run_in(out.path(), logo + " -f=default.png", xml).status, 0);
  ASSERT_EQ(run_in(out.path(), logo + " -f=sized.png -s=400", xml).status, 0);
  EXPECT_EQ(read_file(out.file("sized.png")), read_file(out.file("default.png")));
}

TEST(Run, LineEndOfBase32HexInputStaysInThePlainCode) {
  const TempDir out;
  const std::string text = encoded("pay-single.xml") + "\n";
  const auto result = run_in(out.path(), "-i=base32hex --no_logo -s=300", text);
  EXPECT_EQ(result.out, success_line("qrImage.png"));
  ASSERT_EQ(result.status, 0);
  expect_decodes_to(out.file("qrImage.png"), text);
}

std::string text_of_bytes(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  EXPECT_EQ(base32hex_encode(bytes.data(), bytes.size(), &text), ERROR_OK);
  return text;
}

TEST(Run, FailuresWriteOneLineAndNoFile) {
  const std::string pay = example("pay-single.xml");
  const std::string text = encoded("pay-single.xml");
  std::string badCharacter = text;
  badCharacter[text.size() / 2] = 'W';
  const TempDir notPictures;
  // Shorter than the PNG signature: cairo reports a read error of its own, not libpng's.
  test::write_file(notPictures.file("pay-bottom-dark.png"), "text");

  struct Case {
    const char* name;
    std::string options;
    std::string input;
    int status;
    std::vector<std::string> errors;  // one of these
  };
  const Case cases[] = {
      {"invalid currency",
       "",
       replaced(pay, ">CZK<", ">CZ1<"),
       4,
       {"ERROR_INVALID_VALUE: CurrencyCode is invalid currency code. \n"}},
      {"date out of range",
       "",
       replaced(pay, "2026-03-16", "2026-13-16"),
       9,
       {"ERROR_XML: PaymentDueDate is invalid date format. Day or month is out of range. \n"}},
      {"empty input", "", "", 9, {"ERROR_XML: Getting root element error \n"}},
      {"unknown root", "", "<Payment/>", 254, {"ERROR_NULL_POINTER: Document cannot be null.  \n"}},
      {"missing logo directory", "-l=missing/", pay, 10, {"ERROR_MISSING_LOGO: Cannot find logo file.  \n"}},
      {"logo directory without separator",
       "-l=" + shell_quote(kSourceDir + "/logo"),
       pay,
       10,
       {"ERROR_MISSING_LOGO: Cannot find logo file.  \n"}},
      {"logo that is no picture",
       "-l=" + shell_quote(notPictures.path() + "/"),
       pay,
       10,
       {"ERROR_MISSING_LOGO: Cannot read logo file.  \n", "ERROR_MISSING_LOGO: Cannot create logo.  \n"}},
      {"text too short", "-i=base32hex", "ABC", 8, {"ERROR_UNKNOWN_DOCUMENT: Header not found.  \n"}},
      {"character outside the alphabet",
       "-i=base32hex",
       badCharacter,
       1,
       {"ERROR_BASE32HEX: Invalid base32hex string.  \n"}},
      {"line end after the text",
       "-i=base32hex",
       text + "\n",
       1,
       {"ERROR_BASE32HEX: Invalid base32hex string.  \n"}},
      {"family without pictures",
       "-i=base32hex",
       text_of_bytes({0x30, 0x00, 0x12, 0x34, 0x56, 0x78, 0x9A}),
       10,
       {"ERROR_MISSING_LOGO: Creating QR code images with logo is currently supported only for PAY, INVOICE "
        "or "
        "INVOICE ITEMS tolvex. \n"}},
      {"output directory missing",
       "-f=missing/out.png",
       pay,
       253,
       {"ERROR_IO: Cannot write image to output file.  \n"}},
      {"plain picture, output directory missing",
       "--no_logo -f=missing/out.png",
       pay,
       253,
       {"ERROR_IO: Cannot write image to output file.  \n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TempDir work;
    const auto result = run_in(work.path(), "-l=" + shell_quote(kLogoDir) + " " + c.options, c.input);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(std::find(c.errors.begin(), c.errors.end(), result.err), c.errors.end()) << result.err;
    EXPECT_TRUE(std::filesystem::is_empty(work.path()));
  }
}

TEST(Run, MalformedXmlReportsTheParserFirst) {
  const TempDir work;
  const auto result = run_in(work.path(), "-l=" + shell_quote(kLogoDir), "<Pay><InvoiceID>1</Pay>");
  EXPECT_EQ(result.status, 9);
  EXPECT_EQ(result.out, "");
  // The parser's own diagnostics follow on further lines.
  EXPECT_EQ(result.err.substr(0, result.err.find('\n') + 1), "ERROR_XML: Getting root element error\n");
  EXPECT_GT(result.err.size(), std::string("ERROR_XML: Getting root element error\n").size());
  EXPECT_EQ(result.err.back(), '\n');
  EXPECT_TRUE(std::filesystem::is_empty(work.path()));
}

TEST(Run, FailedRunLeavesAnExistingFileAsItWas) {
  const std::string pay = example("pay-single.xml");
  struct Case {
    const char* name;
    std::string options;
    std::string input;
  };
  const Case cases[] = {
      {"invalid document", "", replaced(pay, ">CZK<", ">czk<")},
      {"missing logo", "-l=missing/", pay},
      {"unreadable text", "-i=base32hex --no_logo", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TempDir work;
    test::write_file(work.file("qrImage.png"), "an older file");
    const auto result = run_in(work.path(), "-l=" + shell_quote(kLogoDir) + " " + c.options, c.input);
    EXPECT_NE(result.status, 0);
    EXPECT_EQ(read_file(work.file("qrImage.png")), "an older file");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work.path()),
                            std::filesystem::directory_iterator()),
              1);
  }
}

}  // namespace
}  // namespace tolvex
