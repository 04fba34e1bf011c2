// The print options of a picture: whole pixels a module, margins, resolution, levels and their
// boost, the compact SVG and PDF, physical sizes and places on paper, and the options refused.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "image/cairo_ptr.h"
#include "image/render.h"
#include "image/vector_print.h"
#include "support/decoders.h"
#include "support/process.h"
#include "tolvex/picture.hpp"

namespace tolvex {
namespace {

using test::read_file;
using test::run_command;
using test::shell_quote;
using test::TempDir;
using test::write_file;

// As long as the invoice example's text, so that sizes are those of real codes.
const std::string kText =
    "0100A8J0QSMTHPKQ8F0C4VIAPO8DLUJ3UNNK2N6CR5CMPVE0FNJ6HS5RKG8OM96M9PBCA4BTAQP4B1OB7NT8DPGVQ7KSTM2P9"
    "UQF6M8P24M3N2UQ5LKRE3M1M3V07LL1K0EHBK5C2UPF16DBQ4F1D28VL8G4B7K1N4TJ2RF8J4G7IGOA0A2OHVLTH03JN6R";

std::string bytes_of(const Result<std::vector<std::uint8_t>>& result) {
  EXPECT_TRUE(result) << (result ? "" : result.error().line);
  return result ? std::string(result->begin(), result->end()) : std::string();
}

// The dark pixels of a PNG as rows of booleans.
std::vector<std::vector<bool>> dark_pixels(const std::string& png, const TempDir& directory) {
  const std::string file = directory.file("pixels.png");
  write_file(file, png);
  const SurfacePtr surface(cairo_image_surface_create_from_png(file.c_str()));
  EXPECT_EQ(cairo_surface_status(surface.get()), CAIRO_STATUS_SUCCESS);
  cairo_surface_flush(surface.get());
  const int width = cairo_image_surface_get_width(surface.get());
  const int height = cairo_image_surface_get_height(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  const unsigned char* data = cairo_image_surface_get_data(surface.get());
  std::vector<std::vector<bool>> rows(static_cast<std::size_t>(height), std::vector<bool>(static_cast<std::size_t>(width)));
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
    for (int x = 0; x < width; ++x) rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = (row[x] & 0xFF) < 128;
  }
  return rows;
}

// The pHYs chunk's pixels a metre (x, y), or nullopt when the PNG has none.
std::optional<std::pair<std::uint32_t, std::uint32_t>> png_resolution(const std::string& png) {
  const auto word = [&](std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(png[at])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(png[at + 1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(png[at + 2])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(png[at + 3]));
  };
  for (std::size_t at = 8; at + 8 <= png.size();) {
    const std::uint32_t length = word(at);
    if (png.compare(at + 4, 4, "pHYs") == 0 && png[at + 16] == 1) return std::pair{word(at + 8), word(at + 12)};
    at += 12 + length;
  }
  return std::nullopt;
}

TEST(ModuleSize, GivesRunsOfWholeMultiplesAndTheMarginAsked) {
  TempDir directory;
  const QrSymbol symbol = *qr_encode(kText);
  for (const int moduleSize : {1, 3, 6}) {
    for (const int margin : {4, 7}) {
      const std::string png = bytes_of(render(kText, {.moduleSize = moduleSize, .margin = margin}));
      const auto rows = dark_pixels(png, directory);
      const int side = (symbol.width() + 2 * margin) * moduleSize;
      ASSERT_EQ(static_cast<int>(rows.size()), side) << moduleSize << " " << margin;
      for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
          const int mx = x / moduleSize - margin;
          const int my = y / moduleSize - margin;
          const bool dark = mx >= 0 && my >= 0 && mx < symbol.width() && my < symbol.width() && symbol.is_dark(mx, my);
          ASSERT_EQ(rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)], dark)
              << "pixel " << x << "," << y << " at " << moduleSize << " pixels a module, margin " << margin;
        }
      }
    }
  }
}

TEST(Resolution, IsRecordedAsPixelsAMetre) {
  struct Case {
    PictureOptions options;
    std::optional<std::uint32_t> perMetre;
    int side;  // 0: not checked
  };
  const int modules = qr_encode(kText)->width() + 8;
  const Case cases[] = {
      {{}, std::nullopt, modules},
      {{.dpi = 300}, 11811, modules},
      {{.dpi = 72}, 2835, modules},
      // 40 mm at 300 dpi: 472.4 pixels.
      {{.dpi = 300, .physicalSize = Length{40, LengthUnit::millimetre}}, 11811, 472},
      // 1 inch without a resolution: one pixel a point, printed at that size.
      {{.physicalSize = Length{1, LengthUnit::inch}}, 2835, 72},
  };
  TempDir directory;
  for (const Case& c : cases) {
    const std::string png = bytes_of(render(kText, c.options));
    const auto resolution = png_resolution(png);
    ASSERT_EQ(resolution.has_value(), c.perMetre.has_value());
    if (c.perMetre) {
      EXPECT_EQ(resolution->first, *c.perMetre);
      EXPECT_EQ(resolution->second, *c.perMetre);
    }
    EXPECT_EQ(static_cast<int>(dark_pixels(png, directory).size()), c.side);
  }
}

TEST(Level, IsTheOneAskedForAndBoostKeepsTheVersion) {
  const ErrorCorrection levels[] = {ErrorCorrection::low, ErrorCorrection::medium, ErrorCorrection::quartile,
                                    ErrorCorrection::high};
  for (const std::string& text : {std::string("A1B"), kText, kText.substr(0, 61), kText + kText}) {
    for (const ErrorCorrection level : levels) {
      const auto plain = qr_encode_at(text, level, false);
      ASSERT_TRUE(plain);
      EXPECT_EQ(plain->modules(), qr_encode(text, static_cast<QrErrorCorrection>(level))->modules());
      const auto boosted = qr_encode_at(text, level, true);
      ASSERT_TRUE(boosted);
      EXPECT_EQ(boosted->width(), plain->width()) << text.size();
      // The boosted symbol is that of some level at least as high, and the next level above
      // it no longer fits this version.
      const int version = (plain->width() - 17) / 4;
      int found = -1;
      for (int candidate = static_cast<int>(level); candidate < 4; ++candidate) {
        const auto at = qr_encode(text, static_cast<QrErrorCorrection>(candidate), version);
        if (at && at->modules() == boosted->modules()) found = candidate;
      }
      ASSERT_GE(found, static_cast<int>(level)) << text.size();
      if (found < 3) {
        EXPECT_FALSE(qr_encode(text, static_cast<QrErrorCorrection>(found + 1), version));
      }
    }
  }
  // A short text fits version 1 at every level: the boost reaches H.
  EXPECT_EQ(qr_encode_at("A1B", ErrorCorrection::low, true)->modules(),
            qr_encode("A1B", QrErrorCorrection::H)->modules());
}

TEST(Level, ReadsBackAtEveryLevel) {
  TempDir directory;
  const ErrorCorrection levels[] = {ErrorCorrection::medium, ErrorCorrection::quartile, ErrorCorrection::high};
  for (const ErrorCorrection level : levels) {
    for (const bool boost : {false, true}) {
      const std::string file = directory.file("level.png");
      ASSERT_TRUE(write_picture(kText, file, {.moduleSize = 3, .level = level, .boostLevel = boost}));
      EXPECT_EQ(test::zbar_decode(file), kText) << static_cast<int>(level) << boost;
    }
  }
}

// The modules an SVG path of horizontal runs paints, read back from its d attribute.
std::vector<std::vector<bool>> svg_modules(const std::string& svg, int side) {
  std::vector<std::vector<bool>> grid(static_cast<std::size_t>(side), std::vector<bool>(static_cast<std::size_t>(side)));
  std::smatch match;
  EXPECT_TRUE(std::regex_search(svg, match, std::regex("<path stroke=\"#000\" d=\"([^\"]*)\"/>")));
  const std::string d = match[1];
  double x = 0, y = 0;
  const std::regex command("([Mmh])(-?[0-9.]+)(?: (-?[0-9.]+))?");
  for (auto it = std::sregex_iterator(d.begin(), d.end(), command); it != std::sregex_iterator(); ++it) {
    const std::string op = (*it)[1];
    const double a = std::stod((*it)[2]);
    if (op == "M") {
      x = a, y = std::stod((*it)[3]);
    } else if (op == "m") {
      x += a, y += std::stod((*it)[3]);
    } else {
      for (int i = 0; i < static_cast<int>(a); ++i) {
        grid[static_cast<std::size_t>(std::floor(y))][static_cast<std::size_t>(x) + static_cast<std::size_t>(i)] = true;
      }
      x += a;
    }
  }
  return grid;
}

TEST(CompactSvg, PaintsExactlyTheModulesInOnePathWithoutIds) {
  const QrSymbol symbol = *qr_encode(kText);
  for (const int margin : {4, 6}) {
    const std::string svg = bytes_of(render(kText, {.format = ImageFormat::svg, .margin = margin, .compactVector = true}));
    const int side = symbol.width() + 2 * margin;
    EXPECT_NE(svg.find("viewBox=\"0 0 " + std::to_string(side) + " " + std::to_string(side) + "\""), std::string::npos);
    EXPECT_EQ(svg.find("id="), std::string::npos);
    EXPECT_EQ(svg.find("<path", svg.find("<path") + 1), std::string::npos);
    const auto grid = svg_modules(svg, side);
    for (int y = 0; y < side; ++y) {
      for (int x = 0; x < side; ++x) {
        const int mx = x - margin, my = y - margin;
        const bool dark = mx >= 0 && my >= 0 && mx < symbol.width() && my < symbol.width() && symbol.is_dark(mx, my);
        ASSERT_EQ(grid[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)], dark) << x << "," << y;
      }
    }
  }
}

TEST(CompactSvg, IsTheSameEveryTimeAndCarriesItsTexts) {
  const PictureOptions options{.format = ImageFormat::svg,
                               .physicalSize = Length{40, LengthUnit::millimetre},
                               .compactVector = true,
                               .title = "Invoice <2026> & co",
                               .description = "Amount: 12.50 EUR"};
  const std::string first = bytes_of(render(kText, options));
  // cairo's writer counts ids over the process: a picture in between moves them.
  ASSERT_TRUE(render(kText, {.format = ImageFormat::svg}));
  EXPECT_EQ(bytes_of(render(kText, options)), first);
  EXPECT_NE(first.find("width=\"40mm\" height=\"40mm\""), std::string::npos);
  EXPECT_NE(first.find("<title>Invoice &lt;2026&gt; &amp; co</title><desc>Amount: 12.50 EUR</desc>"),
            std::string::npos);
  // Absent texts leave no empty elements behind.
  const std::string bare = bytes_of(render(kText, {.format = ImageFormat::svg, .compactVector = true}));
  EXPECT_EQ(bare.find("<title"), std::string::npos);
  EXPECT_EQ(bare.find("<desc"), std::string::npos);
}

TEST(CompactVector, ReadsBackRenderedAsAViewerOrPrinterWould) {
  TempDir directory;
  for (const ImageFormat format : {ImageFormat::svg, ImageFormat::pdf}) {
    const std::string file = directory.file(format == ImageFormat::svg ? "code.svg" : "code.pdf");
    ASSERT_TRUE(write_picture(kText, file,
                              {.format = format, .physicalSize = Length{40, LengthUnit::millimetre},
                               .compactVector = true, .title = "Invoice"}));
    const std::string png = directory.file("back.png");
    const std::string command = format == ImageFormat::svg
                                    ? "rsvg-convert -d 150 -p 150 -o " + shell_quote(png) + " " + shell_quote(file)
                                    : "pdftoppm -png -r 150 -singlefile " + shell_quote(file) + " " +
                                          shell_quote(directory.file("back"));
    ASSERT_EQ(run_command(command).status, 0) << command;
    EXPECT_EQ(test::zbar_decode(png), kText) << command;
  }
}

// The value of one line of pdfinfo's report.
std::string pdfinfo_field(const std::string& report, const std::string& name) {
  std::smatch match;
  if (!std::regex_search(report, match, std::regex("(^|\n)" + name + ": *([^\n]*)"))) return "(none)";
  return match[2];
}

TEST(CompactPdf, IsSmallValidTaggedAndOfThePhysicalSize) {
  TempDir directory;
  const std::string file = directory.file("code.pdf");
  ASSERT_TRUE(write_picture(kText, file,
                            {.format = ImageFormat::pdf, .physicalSize = Length{40, LengthUnit::millimetre},
                             .compactVector = true, .title = "Invoice 17", .description = "Amount: 12.50 EUR"}));
  const std::string pdf = read_file(file);
  EXPECT_LT(pdf.size(), 3000u);
  EXPECT_EQ(run_command("qpdf --check " + shell_quote(file)).status, 0);
  const test::ProcessResult info = run_command("pdfinfo " + shell_quote(file));
  EXPECT_EQ(pdfinfo_field(info.out, "Page size"), "113.386 x 113.386 pts");
  EXPECT_EQ(pdfinfo_field(info.out, "Title"), "Invoice 17");
  EXPECT_EQ(pdfinfo_field(info.out, "Subject"), "Amount: 12.50 EUR");
  EXPECT_EQ(pdfinfo_field(info.out, "Tagged"), "yes");
  // The figure's alternate text is the description, inside the compressed object stream.
  const std::string plain = directory.file("plain.pdf");
  ASSERT_EQ(run_command("qpdf --qdf --object-streams=disable " + shell_quote(file) + " " + shell_quote(plain)).status, 0);
  const std::string expanded = read_file(plain);
  EXPECT_NE(expanded.find("/S /Figure"), std::string::npos);
  EXPECT_NE(expanded.find("/Alt (Amount: 12.50 EUR)"), std::string::npos);
}

TEST(PdfText, IsLatinWhereItCanElseUtf16AndEscaped) {
  struct Case {
    std::string utf8;
    std::string pdf;
  };
  const Case cases[] = {
      {"", "()"},
      {"Invoice 17", "(Invoice 17)"},
      {"a (b) \\ c\r\n", "(a \\(b\\) \\\\ c\\r\n)"},
      {"Strojírny", "(Stroj\xEDrny)"},
      {"€", std::string("(\xFE\xFF\x20\xAC)")},
      {"\xF0\x9F\x98\x80", std::string("(\xFE\xFF\xD8\x3D\xDE\x00)", 8)},
      {"a\xFF", std::string("(\xFE\xFF\x00\x61\xFF\xFD)", 8)},
      {"(\xE2\x82", std::string("(\xFE\xFF\x00\\(\xFF\xFD\xFF\xFD)", 11)},
  };
  for (const Case& c : cases) EXPECT_EQ(pdf_text_string(c.utf8), c.pdf) << c.utf8;
}

TEST(Paper, PlacesThePictureWhereAsked) {
  constexpr double kMm = 72.0 / 25.4;
  Picture picture;
  picture.width = picture.height = 100;
  picture.print.physicalSize = Length{40, LengthUnit::millimetre};
  struct Case {
    PaperPlacement placement;
    std::optional<std::pair<double, double>> cornerMm;  // nullopt: does not fit
  };
  const Length margin{10, LengthUnit::millimetre};
  const Case cases[] = {
      {{.paper = Paper::a4, .at = PagePoint{{150, LengthUnit::millimetre}, {240, LengthUnit::millimetre}}}, {{150, 240}}},
      {{.paper = Paper::a4, .at = PagePoint{{1, LengthUnit::inch}, {72, LengthUnit::point}}}, {{25.4, 25.4}}},
      {{.paper = Paper::a4, .position = PagePosition::top_left, .pageMargin = margin}, {{10, 10}}},
      {{.paper = Paper::a4, .position = PagePosition::bottom_right, .pageMargin = margin}, {{160, 247}}},
      {{.paper = Paper::a5, .position = PagePosition::centre, .pageMargin = margin}, {{54, 85}}},
      {{.paper = Paper::a6, .position = PagePosition::right, .pageMargin = margin}, {{55, 54}}},
      {{.paper = Paper::letter, .position = PagePosition::bottom, .pageMargin = margin}, {{(215.9 - 40) / 2, 279.4 - 50}}},
      {{.paper = Paper::a4}, {{10, 10}}},
      {{.paper = Paper::a4, .at = PagePoint{{171, LengthUnit::millimetre}, {10, LengthUnit::millimetre}}}, std::nullopt},
      {{.paper = Paper::a6, .at = PagePoint{{-1, LengthUnit::millimetre}, {10, LengthUnit::millimetre}}}, std::nullopt},
      {{.paper = Paper::a6, .position = PagePosition::bottom, .pageMargin = {110, LengthUnit::millimetre}}, std::nullopt},
  };
  for (const Case& c : cases) {
    picture.print.paper = c.placement;
    const auto geometry = page_geometry(picture);
    ASSERT_EQ(geometry.has_value(), c.cornerMm.has_value()) << static_cast<int>(c.placement.paper);
    if (!geometry) continue;
    EXPECT_NEAR(geometry->x / kMm, c.cornerMm->first, 1e-6);
    EXPECT_NEAR(geometry->y / kMm, c.cornerMm->second, 1e-6);
    EXPECT_NEAR(geometry->width / kMm, 40, 1e-9);
  }
}

// The darkest pixels' bounding box of a page rendered at the resolution, in millimetres.
struct Box {
  double left, top, right, bottom;
};
Box dark_box_mm(const std::string& png, int dpi, const TempDir& directory) {
  const auto rows = dark_pixels(read_file(png), directory);
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  for (int y = 0; y < static_cast<int>(rows.size()); ++y) {
    for (int x = 0; x < static_cast<int>(rows[0].size()); ++x) {
      if (!rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]) continue;
      left = std::min(left, x), right = std::max(right, x + 1), top = std::min(top, y), bottom = std::max(bottom, y + 1);
    }
  }
  const double mm = 25.4 / dpi;
  return {left * mm, top * mm, right * mm, bottom * mm};
}

TEST(Paper, PutsTheCodeThereOnTheRenderedPageInEitherWriter) {
  TempDir directory;
  const QrSymbol symbol = *qr_encode(kText);
  const double moduleMm = 40.0 / (symbol.width() + 8);
  for (const bool compact : {true, false}) {
    const std::string file = directory.file("page.pdf");
    PictureOptions options{.format = ImageFormat::pdf,
                           .physicalSize = Length{40, LengthUnit::millimetre},
                           .paper = PaperPlacement{.paper = Paper::a4,
                                                   .at = PagePoint{{150, LengthUnit::millimetre}, {240, LengthUnit::millimetre}}},
                           .compactVector = compact};
    ASSERT_TRUE(write_picture(kText, file, options));
    EXPECT_EQ(pdfinfo_field(run_command("pdfinfo " + shell_quote(file)).out, "Page size"), "595.276 x 841.89 pts (A4)");
    ASSERT_EQ(run_command("pdftoppm -png -r 300 -singlefile " + shell_quote(file) + " " + shell_quote(directory.file("page")))
                  .status,
              0);
    // The dark modules begin one quiet zone inside the picture's corner.
    const Box box = dark_box_mm(directory.file("page.png"), 300, directory);
    EXPECT_NEAR(box.left, 150 + 4 * moduleMm, 0.5) << compact;
    EXPECT_NEAR(box.top, 240 + 4 * moduleMm, 0.5) << compact;
    EXPECT_NEAR(box.right, 190 - 4 * moduleMm, 0.5) << compact;
    EXPECT_NEAR(box.bottom, 280 - 4 * moduleMm, 0.5) << compact;
  }
}

TEST(PrintOptions, AreRefusedOutsideTheirRanges) {
  struct Case {
    const char* name;
    PictureOptions options;
    const char* message;
  };
  const Length forty{40, LengthUnit::millimetre};
  const Case cases[] = {
      {"negative module size", {.moduleSize = -1}, "Module size is outside"},
      {"module size 101", {.moduleSize = 101}, "Module size is outside"},
      {"margin 3", {.margin = 3}, "Margin is outside"},
      {"margin 101", {.margin = 101}, "Margin is outside"},
      {"negative dpi", {.dpi = -1}, "Resolution is outside"},
      {"level 4", {.level = static_cast<ErrorCorrection>(4)}, "Error correction level"},
      {"size and module size", {.size = 300, .moduleSize = 4}, "Give one of size"},
      {"module size and physical size", {.moduleSize = 4, .physicalSize = forty}, "Give one of size"},
      {"zero physical size", {.physicalSize = Length{0, LengthUnit::millimetre}}, "Physical size is outside"},
      {"NaN physical size", {.physicalSize = Length{std::nan(""), LengthUnit::inch}}, "Physical size is outside"},
      {"201 inches", {.physicalSize = Length{201, LengthUnit::inch}}, "Physical size is outside"},
      {"paper for SVG", {.format = ImageFormat::svg, .paper = PaperPlacement{}}, "Paper placement is only"},
      {"place and position",
       {.format = ImageFormat::pdf,
        .paper = PaperPlacement{.at = PagePoint{}, .position = PagePosition::centre}},
       "Give a place or a position"},
      {"off the page",
       {.format = ImageFormat::pdf,
        .physicalSize = forty,
        .paper = PaperPlacement{.at = PagePoint{{200, LengthUnit::millimetre}, {0, LengthUnit::millimetre}}}},
       "Picture does not fit"},
      {"too many pixels", {.moduleSize = 100, .margin = 50}, "Image size is too large"},
  };
  for (const Case& c : cases) {
    const auto result = render(kText, c.options);
    ASSERT_FALSE(result) << c.name;
    EXPECT_EQ(result.error().code, Errc::illegal_argument) << c.name;
    EXPECT_NE(result.error().line.find(c.message), std::string::npos) << c.name << ": " << result.error().line;
  }
}

}  // namespace
}  // namespace tolvex

namespace tolvex {
namespace {

// A text whose header names the family, as the logo composition reads it.
std::string family_text(std::uint8_t family) {
  return std::string(1, "024"[family]) + kText.substr(1);
}

// How many raster images pdfimages finds in the PDF.
int raster_images(const std::string& pdf) {
  const test::ProcessResult listed = run_command("pdfimages -list " + shell_quote(pdf));
  EXPECT_EQ(listed.status, 0);
  int lines = 0;
  for (const char c : listed.out) lines += c == '\n';
  return lines - 2;  // the heading and its rule
}

TEST(VectorLogos, TheTwinsKeepFrameAndLabelVectorsAndTheCodeReadsBack) {
  const std::string logoDir = TOLVEX_SOURCE_DIR "/logo/";
  TempDir directory;
  for (const std::uint8_t family : {0, 1, 2}) {
    const std::string text = family_text(family);
    for (const bool frame : {true, false}) {
      PictureOptions options{.format = ImageFormat::pdf,
                             .logo = LogoOptions{.directory = logoDir, .rotation = LogoRotation::right, .frame = frame},
                             .compactVector = true};
      const std::string file = directory.file("logo.pdf");
      ASSERT_TRUE(write_picture(text, file, options));
      EXPECT_EQ(raster_images(file), 0) << static_cast<int>(family) << frame;
      ASSERT_EQ(run_command("pdftoppm -png -r 150 -singlefile " + shell_quote(file) + " " + shell_quote(directory.file("back")))
                    .status,
                0);
      EXPECT_EQ(test::zbar_decode(directory.file("back.png")), text);
      // Without print, the PNG is embedded as it always was.
      options.compactVector = false;
      ASSERT_TRUE(write_picture(text, file, options));
      EXPECT_EQ(raster_images(file), 1);
      // PNG pictures always compose the PNG, pixels unchanged.
      options.format = ImageFormat::png;
      const auto plain = render(text, options);
      options.compactVector = true;
      EXPECT_EQ(render(text, options).value(), plain.value());
    }
  }
}

TEST(VectorLogos, ADirectoryOfPngsAloneEmbedsThePng) {
  const std::string logoDir = TOLVEX_SOURCE_DIR "/logo/";
  TempDir directory;
  const std::string own = directory.file("own/");
  std::filesystem::create_directories(own);
  std::filesystem::copy_file(logoDir + "invoice-bottom-dark.png", own + "invoice-bottom-dark.png");
  const std::string file = directory.file("own.pdf");
  ASSERT_TRUE(write_picture(family_text(1), file,
                            {.format = ImageFormat::pdf, .logo = LogoOptions{.directory = own}, .compactVector = true}));
  EXPECT_EQ(raster_images(file), 1);
  // A twin librsvg cannot read is passed over for the PNG.
  write_file(own + "invoice-bottom-dark.svg", "<svg");
  ASSERT_TRUE(write_picture(family_text(1), file,
                            {.format = ImageFormat::pdf, .logo = LogoOptions{.directory = own}, .compactVector = true}));
  EXPECT_EQ(raster_images(file), 1);
}

TEST(VectorLogos, TheCommittedTwinsAreWhatDrawLogosDraws) {
  TempDir directory;
  ASSERT_EQ(run_command(shell_quote(TOLVEX_DRAW_LOGOS) + " " + shell_quote(directory.path() + "/")).status, 0);
  int twins = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TOLVEX_SOURCE_DIR "/logo")) {
    if (entry.path().extension() != ".png") continue;
    std::filesystem::path twin = entry.path();
    twin.replace_extension(".svg");
    const std::string drawn = directory.file(twin.filename().string());
    EXPECT_EQ(read_file(twin.string()), read_file(drawn)) << twin;
    EXPECT_EQ(read_file(entry.path().string()), read_file(directory.file(entry.path().filename().string()))) << entry.path();
    ++twins;
  }
  EXPECT_EQ(twins, 96);
}

}  // namespace
}  // namespace tolvex
