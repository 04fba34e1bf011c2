// Logo pictures for print: the SVG written by our own writer with the twin placed in it, the PDF
// with the twin as a form prepared once per logo, and the PNG embedded where there is no twin;
// the margin as the quiet zone inside the code's square, and module sizes refused.
#include <glib.h>
#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <string>

#include "image/logo_cache.h"
#include "image/logo_layout.h"
#include "image/render.h"
#include "image/vector_logo.h"
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

const std::string kLogoDir = TOLVEX_SOURCE_DIR "/logo/";
const std::string kText =
    "2100A8J0QSMTHPKQ8F0C4VIAPO8DLUJ3UNNK2N6CR5CMPVE0FNJ6HS5RKG8OM96M9PBCA4BTAQP4B1OB7NT8DPGVQ7KSTM2P9"
    "UQF6M8P24M3N2UQ5LKRE3M1M3V07LL1K0EHBK5C2UPF16DBQ4F1D28VL8G4B7K1N4TJ2RF8J4G7IGOA0A2OHVLTH03JN6R";

// A number as the compact writers write it: exact to 1/10000.
std::string number_text(double value) {
  std::array<char, 32> buffer{};
  const double rounded = std::round(value * 10000.0) / 10000.0;
  return std::string(buffer.data(), std::to_chars(buffer.data(), buffer.data() + buffer.size(), rounded,
                                                  std::chars_format::general, 10).ptr);
}

std::string rendered(const PictureOptions& options, const std::string& text = kText) {
  const Result<std::vector<std::uint8_t>> bytes = render(text, options);
  EXPECT_TRUE(bytes) << (bytes ? "" : bytes.error().line);
  return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

PictureOptions print(ImageFormat format, LogoOptions logo) {
  return {.format = format, .logo = logo, .compactVector = true, .title = "Invoice 7", .description = "Invoice 7\nDue"};
}

std::set<std::string> matches(const std::string& text, const std::string& pattern) {
  std::set<std::string> found;
  const std::regex expression(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), expression); it != std::sregex_iterator(); ++it) {
    found.insert((*it)[1]);
  }
  return found;
}

// The base64 data of every PNG embedded at the logo's place. Found without std::regex, whose
// matcher recurses once a character and overflows the stack on a picture's worth of base64.
std::set<std::string> embedded_pngs(const std::string& svg) {
  static const std::string kHead = "<image x=\"0\" y=\"0\" width=\"620\" height=\"760\" href=\"data:image/png;base64,";
  std::set<std::string> found;
  for (std::size_t at = svg.find(kHead); at != std::string::npos; at = svg.find(kHead, at + 1)) {
    const std::size_t start = at + kHead.size();
    const std::size_t end = svg.find("\"/>", start);
    if (end != std::string::npos) found.insert(svg.substr(start, end - start));
  }
  return found;
}

// Renders the file at 150 dpi as a viewer or printer would and reads the code back.
std::optional<std::string> read_back(const std::string& file, ImageFormat format, const TempDir& directory) {
  const std::string png = directory.file("back.png");
  const std::string command = format == ImageFormat::svg
                                  ? "rsvg-convert -d 150 -p 150 -o " + shell_quote(png) + " " + shell_quote(file)
                                  : "pdftoppm -png -r 150 -singlefile " + shell_quote(file) + " " +
                                        shell_quote(directory.file("back"));
  EXPECT_EQ(run_command(command).status, 0) << command;
  return test::zbar_decode(png);
}

TEST(LogoSvg, IsOurOwnWithTheTwinPlacedAndPrefixedAndReadsBack) {
  TempDir directory;
  for (const LogoRotation rotation : {LogoRotation::bottom, LogoRotation::left}) {
    for (const bool frame : {true, false}) {
      const PictureOptions options = print(ImageFormat::svg, {.directory = kLogoDir, .rotation = rotation, .frame = frame});
      const std::string svg = rendered(options);
      // No raster, one placed twin, the code as one path in module units scaled into its box.
      EXPECT_EQ(svg.find("<image"), std::string::npos);
      EXPECT_NE(svg.find("<title>Invoice 7</title><desc>Invoice 7\nDue</desc>"), std::string::npos);
      EXPECT_EQ(matches(svg, "<svg x=\"([^\"]*)\"").size(), 1u);
      EXPECT_EQ(matches(svg, "<path transform=\"matrix\\(([^)]*)\\)\" stroke=\"#000\" d=\"M").size(), 1u);
      // Every id carries the twin's prefix and every reference finds its id.
      const std::set<std::string> ids = matches(svg, " id=\"([^\"]*)\"");
      ASSERT_FALSE(ids.empty());
      for (const std::string& id : ids) EXPECT_TRUE(std::regex_match(id, std::regex("l[0-9a-f]{8}-.+"))) << id;
      for (const std::string& target : matches(svg, "href=\"#([^\"]*)\"")) EXPECT_TRUE(ids.count(target)) << target;
      const std::string file = directory.file("logo.svg");
      write_file(file, svg);
      EXPECT_EQ(read_back(file, ImageFormat::svg, directory), kText) << static_cast<int>(rotation) << frame;
    }
  }
}

TEST(LogoSvg, IsTheSameBytesWhateverRanBeforeAndAtAPhysicalSize) {
  PictureOptions options = print(ImageFormat::svg, {.directory = kLogoDir});
  logo_cache_set_budget(1 << 20);
  const std::string cached = rendered(options);
  logo_cache_free();
  // cairo's SVG surface counts ids over the process; ours must not notice it ran.
  ASSERT_TRUE(render(kText, {.format = ImageFormat::svg, .logo = LogoOptions{.directory = kLogoDir}}));
  EXPECT_EQ(rendered(options), cached);
  options.physicalSize = Length{62, LengthUnit::millimetre};
  const std::string sized = rendered(options);
  EXPECT_NE(sized.find("width=\"62mm\" height=\"76mm\" viewBox=\"0 0 620 760\""), std::string::npos);
}

TEST(LogoSvg, DifferentTwinsGetDifferentPrefixes) {
  const std::string dark = rendered(print(ImageFormat::svg, {.directory = kLogoDir}));
  const std::string light =
      rendered(print(ImageFormat::svg, {.directory = kLogoDir, .variation = LogoVariation::light}));
  const auto prefix = [](const std::string& svg) { return *matches(svg, " id=\"(l[0-9a-f]{8})-").begin(); };
  EXPECT_NE(prefix(dark), prefix(light));
}

// A logo directory holding this one logo's PNG, and the twin given (none when empty).
std::string own_logo(const TempDir& directory, const std::string& twin) {
  const std::string own = directory.file("own/");
  std::filesystem::remove_all(own);
  std::filesystem::create_directories(own);
  std::filesystem::copy_file(kLogoDir + "invoice-bottom-dark.png", own + "invoice-bottom-dark.png");
  if (!twin.empty()) write_file(own + "invoice-bottom-dark.svg", twin);
  return own;
}

TEST(LogoSvg, EmbedsThePngWhereTheTwinIsMissingOrUnfit) {
  TempDir directory;
  const std::string png = read_file(kLogoDir + "invoice-bottom-dark.png");
  const std::string box = "<rect width=\"620\" height=\"760\" fill=\"#123\"/>";
  struct Case {
    const char* name;
    std::string twin;
    bool used;
  };
  const Case cases[] = {
      {"none", "", false},
      {"not XML", "<svg", false},
      {"not SVG", "<html xmlns=\"http://www.w3.org/1999/xhtml\"/>", false},
      {"a DTD", "<!DOCTYPE svg [<!ENTITY e \"x\">]><svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 620 760\">" + box + "</svg>", false},
      {"a script", "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 620 760\"><script>alert(1)</script>" + box + "</svg>", false},
      {"a handler", "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 620 760\" onload=\"alert(1)\">" + box + "</svg>", false},
      {"a style sheet", "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 620 760\"><style>#a{}</style>" + box + "</svg>", false},
      {"a size in mm only", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10mm\" height=\"12mm\">" + box + "</svg>", false},
      {"a viewBox", "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 620 760\">" + box + "</svg>", true},
      {"a size in pixels", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"620px\" height=\"760\">" + box + "</svg>", true},
      // A twin beyond the bound is not read at all.
      {"beyond the bound", "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 620 760\">" + box + "<!--" +
                               std::string(kLargestLogoTwin, ' ') + "--></svg>", false},
  };
  for (const Case& c : cases) {
    const std::string own = own_logo(directory, c.twin);
    const std::string svg = rendered(print(ImageFormat::svg, {.directory = own}));
    const std::set<std::string> data = embedded_pngs(svg);
    if (c.used) {
      EXPECT_TRUE(data.empty()) << c.name;
      EXPECT_NE(svg.find("viewBox=\"0 0 620"), svg.rfind("viewBox=\"0 0 620")) << c.name;
    } else {
      ASSERT_EQ(data.size(), 1u) << c.name;
      gsize size = 0;
      guchar* decoded = g_base64_decode(data.begin()->c_str(), &size);
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(decoded), size), png) << c.name;
      g_free(decoded);
      EXPECT_EQ(svg.find("alert"), std::string::npos) << c.name;
    }
    const std::string file = directory.file("own.svg");
    write_file(file, svg);
    EXPECT_EQ(read_back(file, ImageFormat::svg, directory), kText) << c.name;
  }
}

TEST(LogoPdf, IsOurCompactWriterWithTheLogoAsOneFormAndReadsBack) {
  TempDir directory;
  for (const std::uint8_t family : {0, 2}) {
    const std::string text = std::string(1, "04"[family / 2]) + kText.substr(1);
    PictureOptions options = print(ImageFormat::pdf, {.directory = kLogoDir, .rotation = LogoRotation::right});
    options.physicalSize = Length{50, LengthUnit::millimetre};
    const std::string pdf = rendered(options, text);
    EXPECT_EQ(rendered(options, text), pdf);
    EXPECT_EQ(matches(pdf, "(/Subtype/Form)").size(), 1u);
    EXPECT_EQ(pdf.find("cairo"), std::string::npos);
    EXPECT_LT(pdf.size(), 8000u);
    const std::string file = directory.file("logo.pdf");
    write_file(file, pdf);
    EXPECT_EQ(run_command("qpdf --check " + shell_quote(file)).status, 0);
    const test::ProcessResult images = run_command("pdfimages -list " + shell_quote(file));
    EXPECT_EQ(std::count(images.out.begin(), images.out.end(), '\n'), 2) << images.out;
    const test::ProcessResult info = run_command("pdfinfo " + shell_quote(file));
    EXPECT_TRUE(std::regex_search(info.out, std::regex("Title: +Invoice 7\n"))) << info.out;
    EXPECT_TRUE(std::regex_search(info.out, std::regex("Tagged: +yes\n"))) << info.out;
    EXPECT_EQ(read_back(file, ImageFormat::pdf, directory), text);
  }
}

TEST(LogoPdf, ATwinThatNeedsMoreThanAFormGoesThroughCairoStillAsVectors) {
  TempDir directory;
  // A gradient needs a pattern object beside the content: not one self-contained form.
  const std::string own = own_logo(
      directory,
      "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 620 760\"><defs><linearGradient id=\"g\">"
      "<stop offset=\"0\" stop-color=\"#123\"/><stop offset=\"1\" stop-color=\"#456\"/></linearGradient></defs>"
      "<rect width=\"620\" height=\"760\" fill=\"url(#g)\"/><rect x=\"9\" y=\"9\" width=\"602\" height=\"602\" fill=\"#fff\"/></svg>");
  const std::string& text = kText;
  const std::string svg = rendered(print(ImageFormat::svg, {.directory = own}), text);
  const std::string prefix = *matches(svg, " id=\"(l[0-9a-f]{8}-)g\"").begin();
  EXPECT_NE(svg.find("fill=\"url(#" + prefix + "g)\""), std::string::npos);
  const std::string pdf = rendered(print(ImageFormat::pdf, {.directory = own}), text);
  EXPECT_NE(pdf.find("cairo"), std::string::npos);
  const std::string file = directory.file("gradient.pdf");
  write_file(file, pdf);
  const test::ProcessResult images = run_command("pdfimages -list " + shell_quote(file));
  EXPECT_EQ(std::count(images.out.begin(), images.out.end(), '\n'), 2) << images.out;
  EXPECT_EQ(read_back(file, ImageFormat::pdf, directory), text);
}

// The share of pixels of two pictures of one size that differ by more than a quarter in a channel.
double differing_share(const std::string& pngA, const std::string& pngB) {
  const SurfacePtr a(cairo_image_surface_create_from_png(pngA.c_str()));
  const SurfacePtr b(cairo_image_surface_create_from_png(pngB.c_str()));
  const int width = cairo_image_surface_get_width(a.get());
  const int height = cairo_image_surface_get_height(a.get());
  if (width != cairo_image_surface_get_width(b.get()) || height != cairo_image_surface_get_height(b.get())) return 1.0;
  long differing = 0;
  for (int y = 0; y < height; ++y) {
    const auto* rowA = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(a.get()) +
                                                               y * cairo_image_surface_get_stride(a.get()));
    const auto* rowB = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(b.get()) +
                                                               y * cairo_image_surface_get_stride(b.get()));
    for (int x = 0; x < width; ++x) {
      for (int shift = 0; shift < 24; shift += 8) {
        if (std::abs(static_cast<int>((rowA[x] >> shift) & 0xFF) - static_cast<int>((rowB[x] >> shift) & 0xFF)) > 64) {
          ++differing;
          break;
        }
      }
    }
  }
  return static_cast<double>(differing) / (static_cast<double>(width) * height);
}

TEST(LogoVectors, LookAsThePngCompositionDoesInEveryPlacement) {
  TempDir directory;
  for (const LogoRotation rotation : {LogoRotation::bottom, LogoRotation::top, LogoRotation::left, LogoRotation::right}) {
    for (const bool frame : {true, false}) {
      PictureOptions options = print(ImageFormat::png, {.directory = kLogoDir, .rotation = rotation, .frame = frame});
      const std::string png = directory.file("composed.png");
      ASSERT_TRUE(write_picture(kText, png, options));
      for (const ImageFormat format : {ImageFormat::svg, ImageFormat::pdf}) {
        options.format = format;
        const std::string file = directory.file(format == ImageFormat::svg ? "v.svg" : "v.pdf");
        ASSERT_TRUE(write_picture(kText, file, options));
        // One pixel a point, as the PNG has it.
        const std::string command = format == ImageFormat::svg
                                        ? "rsvg-convert -o " + shell_quote(directory.file("v.png")) + " " + shell_quote(file)
                                        : "pdftoppm -png -r 72 -singlefile " + shell_quote(file) + " " +
                                              shell_quote(directory.file("v"));
        ASSERT_EQ(run_command(command).status, 0) << command;
        // Edges antialiased one way or the other; a logo upside down or out of place differs in far more.
        EXPECT_LT(differing_share(png, directory.file("v.png")), 0.03)
            << static_cast<int>(rotation) << frame << static_cast<int>(format);
      }
    }
  }
}

TEST(LogoCacheVector, PreparesEachLogoOnceWhileTheCacheKeepsIt) {
  const std::string path = kLogoDir + "pay-bottom-dark.png";
  logo_cache_free();
  // Off: each call prepares its own.
  EXPECT_NE(logo_cache_vector(path, 620, 760), logo_cache_vector(path, 620, 760));
  logo_cache_set_budget(1 << 20);
  ASSERT_TRUE(render(kText.substr(0, 0) + "0" + kText.substr(1), print(ImageFormat::png, {.directory = kLogoDir})));
  const std::shared_ptr<const VectorLogo> first = logo_cache_vector(path, 620, 760);
  ASSERT_TRUE(first);
  EXPECT_TRUE(first->pdfForm);
  EXPECT_EQ(logo_cache_vector(path, 620, 760), first);
  const std::int32_t budget = logo_cache_state().budget;
  EXPECT_EQ(budget, (1 << 20) - static_cast<std::int32_t>(std::filesystem::file_size(path)) -
                        static_cast<std::int32_t>(first->svgOpen.size() + first->svgRest.size()));
  // A budget that holds the PNG alone keeps the PNG and prepares the vectors every time.
  logo_cache_set_budget(static_cast<std::int32_t>(std::filesystem::file_size(path)) + 100);
  ASSERT_TRUE(render("0" + kText.substr(1), print(ImageFormat::png, {.directory = kLogoDir})));
  EXPECT_EQ(logo_cache_state().entries, 1u);
  EXPECT_NE(logo_cache_vector(path, 620, 760), logo_cache_vector(path, 620, 760));
  // Files that cannot be read give nothing.
  EXPECT_FALSE(logo_cache_vector(kLogoDir + "missing.png", 620, 760));
  logo_cache_free();
}

}  // namespace
}  // namespace tolvex

namespace tolvex {
namespace {

// The first dark pixel at or right of x in row y of a PNG file, or -1.
int first_dark(const std::string& pngFile, int x, int y) {
  const SurfacePtr surface(cairo_image_surface_create_from_png(pngFile.c_str()));
  EXPECT_EQ(cairo_surface_status(surface.get()), CAIRO_STATUS_SUCCESS);
  const auto* row = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface.get()) +
                                                            y * cairo_image_surface_get_stride(surface.get()));
  for (; x < cairo_image_surface_get_width(surface.get()); ++x) {
    if ((row[x] & 0xFF) < 128) return x;
  }
  return -1;
}

TEST(LogoMargin, IsTheQuietZoneInsideTheCodesSquareInEveryFormat) {
  TempDir directory;
  const int width = qr_encode(kText)->width();
  const LogoLayout layout = logo_layout(LogoRotation::bottom, true, 620, 760);
  for (const int margin : {4, 9}) {
    PictureOptions options{.logo = LogoOptions{.directory = kLogoDir}, .margin = margin};
    const std::string png = directory.file("margin.png");
    ASSERT_TRUE(write_picture(kText, png, options));
    const double module = layout.boxSide / (width + 2 * margin);
    // The row through the middle of the top-left finder pattern: its left edge after the margin.
    const int row = static_cast<int>(layout.boxY + (margin + 3.5) * module);
    EXPECT_NEAR(first_dark(png, static_cast<int>(layout.boxX) + 2, row), layout.boxX + margin * module, 1.0) << margin;
    EXPECT_EQ(test::zbar_decode(png), kText);
    // The vector pictures scale the same modules into the same square.
    options.format = ImageFormat::svg;
    options.compactVector = true;
    EXPECT_NE(rendered(options).find("<path transform=\"matrix(" + number_text(layout.boxSide / (width + 2 * margin))),
              std::string::npos);
  }
}

TEST(LogoMargin, ModuleSizeIsRefusedWithALogoRatherThanIgnored) {
  for (const ImageFormat format : {ImageFormat::png, ImageFormat::svg, ImageFormat::pdf}) {
    const Result<std::vector<std::uint8_t>> refused =
        render(kText, {.format = format, .logo = LogoOptions{.directory = kLogoDir}, .moduleSize = 6});
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().code, Errc::illegal_argument);
    EXPECT_EQ(refused.error().message, "Module size applies to the code without logo; the logo picture has the logo's size. ");
  }
  EXPECT_TRUE(render(kText, {.moduleSize = 6}));
}

}  // namespace
}  // namespace tolvex
