// SVG and PDF pictures: rendered back by rsvg-convert and pdftoppm, both decoders read the exact
// text for every family, with and without logo; the SVG is well-formed XML of the picture's
// size and the PDF one page of it; memory and file hold the same bytes; failures as for PNG.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <future>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tolvex/picture.hpp"
#include "support/family_of.h"
#include "image/logo_compose.h"
#include "image/picture_output.h"
#include "image/render.h"
#include "support/decoders.h"
#include "support/process.h"
#include "tolvex/encode.hpp"

namespace tolvex {
namespace {

using test::read_file;
using test::run_command;
using test::shell_quote;
using test::without_cairo_ids;

const std::string kSourceDir = TOLVEX_SOURCE_DIR;
const std::string kLogoDir = kSourceDir + "/logo/";

std::string encoded(const std::string& example) {
  const std::string xml = read_file(kSourceDir + "/examples/" + example);
  std::string text;
  EXPECT_EQ(encode_xml(xml.data(), xml.size(), &text), ERROR_OK) << example;
  return text;
}

// The picture rendered back to PNG as a viewer or a printer would: SVG pixels and PDF points
// both one pixel each.
std::string render_back(const std::string& file, ImageFormat format, const test::TempDir& directory) {
  const std::string png = directory.file("back.png");
  const std::string command = format == ImageFormat::svg
                                  ? "rsvg-convert -o " + shell_quote(png) + " " + shell_quote(file)
                                  : "pdftoppm -png -r 72 -singlefile " + shell_quote(file) + " " +
                                        shell_quote(directory.file("back"));
  EXPECT_EQ(run_command(command).status, 0) << command;
  return png;
}

struct Size {
  int width;
  int height;
};

// The SVG's root as libxml2 reads it, with its width and height.
std::optional<Size> svg_size(const std::string& svg) {
  xmlDoc* document =
      xmlReadMemory(svg.data(), static_cast<int>(svg.size()), "picture.svg", nullptr, XML_PARSE_NONET);
  if (document == nullptr) return std::nullopt;
  std::optional<Size> size;
  const xmlNode* root = xmlDocGetRootElement(document);
  if (root != nullptr && xmlStrcmp(root->name, reinterpret_cast<const xmlChar*>("svg")) == 0) {
    xmlChar* width = xmlGetProp(root, reinterpret_cast<const xmlChar*>("width"));
    xmlChar* height = xmlGetProp(root, reinterpret_cast<const xmlChar*>("height"));
    if (width != nullptr && height != nullptr) {
      int w = 0;
      int h = 0;
      if (std::sscanf(reinterpret_cast<const char*>(width), "%dpx", &w) == 1 &&
          std::sscanf(reinterpret_cast<const char*>(height), "%dpx", &h) == 1)
        size = Size{w, h};
    }
    xmlFree(width);
    xmlFree(height);
  }
  xmlFreeDoc(document);
  return size;
}

// Pages and page size as pdfinfo reports them.
std::string pdf_pages(const std::string& file) {
  const test::ProcessResult info = run_command("pdfinfo " + shell_quote(file));
  std::string pages;
  std::string size;
  for (std::size_t start = 0; start < info.out.size();) {
    const std::size_t end = info.out.find('\n', start);
    const std::string line = info.out.substr(start, end - start);
    if (line.rfind("Pages:", 0) == 0) pages = line.substr(line.find_last_of(' ') + 1);
    if (line.rfind("Page size:", 0) == 0) size = line.substr(line.find_first_not_of(' ', 10));
    start = end == std::string::npos ? info.out.size() : end + 1;
  }
  return pages + " page, " + size;
}

struct Case {
  const char* example;
  bool logo;
  LogoRotation rotation;
  bool frame;
  int size;
};

const Case kCases[] = {
    {"pay-single.xml", true, LogoRotation::bottom, true, 0},
    {"pay-standing-order.xml", true, LogoRotation::right, false, 0},
    {"invoice.xml", true, LogoRotation::left, true, 0},
    {"invoice-items.xml", true, LogoRotation::top, false, 0},
    {"pay-single.xml", false, LogoRotation::bottom, true, 300},
    {"invoice.xml", false, LogoRotation::bottom, true, 411},
    {"invoice-items.xml", false, LogoRotation::bottom, true, 260},
};

Picture picture_of(const Case& c, const std::string& text) {
  Picture picture;
  EXPECT_EQ(c.logo ? qr_logo_picture(text.c_str(), test::family_of(text.c_str()), c.rotation, LogoVariation::dark, c.frame, kLogoDir.c_str(),
                                     &picture)
                   : qr_picture(text.c_str(), c.size, &picture),
            ERROR_OK);
  return picture;
}

ErrorCode write_case(const Case& c, const std::string& text, ImageFormat format, const std::string& file) {
  return c.logo ? qr_logo_write_file(text.c_str(), c.rotation, LogoVariation::dark, c.frame, kLogoDir.c_str(),
                                     format, file.c_str())
                : qr_write_file(text.c_str(), c.size, format, file.c_str());
}

ErrorCode write_case_memory(const Case& c, const std::string& text, ImageFormat format,
                            std::vector<std::uint8_t>* bytes) {
  return c.logo ? qr_logo_write_memory(text.c_str(), c.rotation, LogoVariation::dark, c.frame,
                                       kLogoDir.c_str(), format, bytes)
                : qr_write_memory(text.c_str(), c.size, format, bytes);
}

TEST(VectorOutput, RenderedBackEveryFamilyDecodes) {
  for (const Case& c : kCases) {
    const std::string text = encoded(c.example);
    for (const ImageFormat format : {ImageFormat::svg, ImageFormat::pdf}) {
      const std::string what = std::string(c.example) + (c.logo ? " logo" : " plain") +
                               (format == ImageFormat::svg ? " svg" : " pdf");
      const test::TempDir directory;
      const std::string file = directory.file(format == ImageFormat::svg ? "qr.svg" : "qr.pdf");
      ASSERT_EQ(write_case(c, text, format, file), ERROR_OK) << what;
      const std::string content = read_file(file);
      const Picture picture = picture_of(c, text);
      if (format == ImageFormat::svg) {
        const std::optional<Size> size = svg_size(content);
        ASSERT_TRUE(size) << what << ": not a well-formed SVG";
        EXPECT_EQ(size->width, picture.width) << what;
        EXPECT_EQ(size->height, picture.height) << what;
      } else {
        EXPECT_EQ(content.rfind("%PDF-", 0), 0u) << what;
        EXPECT_EQ(pdf_pages(file), "1 page, " + std::to_string(picture.width) + " x " +
                                       std::to_string(picture.height) + " pts")
            << what;
      }
      std::vector<std::uint8_t> bytes;
      ASSERT_EQ(write_case_memory(c, text, format, &bytes), ERROR_OK) << what;
      EXPECT_TRUE(without_cairo_ids(std::string(bytes.begin(), bytes.end())) == without_cairo_ids(content))
          << what << ": memory and file differ";

      const std::string png = render_back(file, format, directory);
      std::future<std::optional<std::string>> zbar = std::async(std::launch::async, test::zbar_decode, png);
      EXPECT_EQ(test::zxing_decode(png), text) << what << ", ZXingReader";
      EXPECT_EQ(zbar.get(), text) << what << ", zbarimg";
    }
  }
}

TEST(VectorOutput, LogoIsEmbeddedAsItsRaster) {
  const std::string text = encoded("pay-single.xml");
  std::vector<std::uint8_t> svg;
  ASSERT_EQ(qr_logo_write_memory(text.c_str(), LogoRotation::bottom, LogoVariation::dark, true,
                                 kLogoDir.c_str(), ImageFormat::svg, &svg),
            ERROR_OK);
  const std::string content(svg.begin(), svg.end());
  EXPECT_NE(content.find("<image"), std::string::npos);
  EXPECT_NE(content.find("data:image/png;base64,"), std::string::npos);
  // The modules are one path, not one shape each.
  std::size_t paths = 0;
  for (std::size_t at = content.find("<path"); at != std::string::npos; at = content.find("<path", at + 1))
    ++paths;
  EXPECT_EQ(paths, 1u);
}

// Sizes refused for a PNG are refused in every format, with the same messages; the largest side
// makes a file no larger than a small picture's by much: a vector picture costs by its modules.
TEST(VectorOutput, SizesAndTheirFailures) {
  const test::TempDir directory;
  for (const ImageFormat format : {ImageFormat::svg, ImageFormat::pdf}) {
    const std::string file = directory.file("qr");
    std::vector<std::uint8_t> bytes = {7};
    EXPECT_EQ(qr_write_file("A1B", -5, format, file.c_str()), ERROR_IO);
    EXPECT_EQ(error_line(), "ERROR_IO: Cannot write image to output file.  ");
    EXPECT_EQ(qr_write_memory("A1B", -5, format, &bytes), ERROR_IO);
    EXPECT_EQ(error_line(), "ERROR_IO: Cannot write image.  ");
    for (const std::int32_t size : {kLargestImageSize + 1, 32768, 100000}) {
      EXPECT_EQ(qr_write_file("A1B", size, format, file.c_str()), ERROR_ILLEGAL_ARGUMENT) << size;
      EXPECT_EQ(qr_write_memory("A1B", size, format, &bytes), ERROR_ILLEGAL_ARGUMENT) << size;
      EXPECT_EQ(error_line(),
                "ERROR_ILLEGAL_ARGUMENT: Image size is too large: the largest is 8000 pixels.  ");
    }
    EXPECT_EQ(bytes, std::vector<std::uint8_t>{7});
    EXPECT_EQ(qr_write_file("A1B", 0, format, directory.file("missing/qr").c_str()), ERROR_IO);
    EXPECT_EQ(qr_write_file("A1B", 0, static_cast<ImageFormat>(3), file.c_str()), ERROR_IO);
    EXPECT_EQ(qr_write_file("", 0, format, file.c_str()), ERROR_QR);
    EXPECT_EQ(qr_write_memory("A1B", 0, format, nullptr), ERROR_NULL_POINTER);
    EXPECT_EQ(last_error().message, format == ImageFormat::svg ? "SVG buffer pointer cannot be NULL. "
                                                               : "PDF buffer pointer cannot be NULL. ");
    EXPECT_FALSE(std::filesystem::exists(file));

    std::vector<std::uint8_t> small;
    std::vector<std::uint8_t> largest;
    ASSERT_EQ(qr_write_memory("A1B", 300, format, &small), ERROR_OK);
    ASSERT_EQ(qr_write_memory("A1B", kLargestImageSize, format, &largest), ERROR_OK);
    EXPECT_LT(largest.size(), small.size() * 2);
  }
}

TEST(VectorOutput, SameOutputEveryTime) {
  std::vector<std::uint8_t> first;
  std::vector<std::uint8_t> second;
  for (const ImageFormat format : {ImageFormat::svg, ImageFormat::pdf}) {
    ASSERT_EQ(qr_write_memory("TOLVEX", 200, format, &first), ERROR_OK);
    ASSERT_EQ(qr_write_memory("TOLVEX", 200, format, &second), ERROR_OK);
    EXPECT_TRUE(without_cairo_ids(std::string(first.begin(), first.end())) ==
                without_cairo_ids(std::string(second.begin(), second.end())));
    if (format == ImageFormat::pdf) {
      EXPECT_TRUE(first == second);
    }
  }
}

}  // namespace
}  // namespace tolvex
