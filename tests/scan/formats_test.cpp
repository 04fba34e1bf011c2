// The formats scanners and phones write (TIFF, WebP, HEIC, BMP, CMYK JPEG) read back to the
// codes they carry, and their damaged or encrypted files failing with lines naming file and page.
#include <gtest/gtest.h>
#include <libheif/heif.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "image/cairo_ptr.h"
#include "scan/gray_image.h"
#include "scan/picture_load.h"
#include "scan/pictures.h"
#include "scan/samples.h"
#include "support/process.h"
#include "tolvex/scan.hpp"

namespace tolvex {
namespace {

using test::Bytes;

const std::string& pay_text() {
  static const std::string text = test::example_text("pay-single.xml");
  return text;
}

const GrayImage& pay_picture() {
  static const GrayImage picture = test::gray_of(test::plain_code(pay_text(), 4).get());
  return picture;
}

// The codes of a file; the test fails with the error line when it cannot be read.
std::vector<ScannedCode> scanned(const Bytes& bytes) {
  const Result<std::vector<ScannedCode>> codes = scan(bytes);
  EXPECT_TRUE(codes.has_value()) << (codes ? "" : codes.error().line);
  return codes ? *codes : std::vector<ScannedCode>{};
}

void expect_pay_code(const Bytes& bytes, std::int32_t page = 1) {
  const std::vector<ScannedCode> codes = scanned(bytes);
  ASSERT_EQ(codes.size(), 1u);
  EXPECT_EQ(codes[0].text, pay_text());
  EXPECT_EQ(codes[0].code, ERROR_OK) << codes[0].error;
  EXPECT_EQ(codes[0].page, page);
}

// The largest difference between two pictures of the same size.
int largest_difference(const GrayImage& a, const GrayImage& b) {
  EXPECT_EQ(a.width, b.width);
  EXPECT_EQ(a.height, b.height);
  if (a.pixels.size() != b.pixels.size()) return 256;
  int largest = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) largest = std::max(largest, std::abs(a.pixels[i] - b.pixels[i]));
  return largest;
}

// A picture with every grey level, for the exact comparisons: a ramp beside the code.
GrayImage ramp() {
  GrayImage picture;
  picture.width = 67;  // odd: rows need padding in every BMP depth
  picture.height = 9;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) picture.pixels.push_back(static_cast<std::uint8_t>((x * 4 + y * 29) % 256));
  }
  return picture;
}

// A rendering's pixels to luminance over white, at every width around the vector lengths the
// conversion is compiled to, in both formats cairo renders to: each pixel as the formula gives
// it alone, and the fixed points (black, white, paper showing through).
TEST(Formats, RenderedPixelsBecomeLuminanceOverWhite) {
  for (const cairo_format_t format : {CAIRO_FORMAT_ARGB32, CAIRO_FORMAT_RGB24}) {
    const bool alpha = format == CAIRO_FORMAT_ARGB32;
    for (int width = 1; width <= 40; ++width) {
      const int height = 3;
      SurfacePtr surface(cairo_image_surface_create(format, width, height));
      ASSERT_EQ(cairo_surface_status(surface.get()), CAIRO_STATUS_SUCCESS);
      cairo_surface_flush(surface.get());
      unsigned char* data = cairo_image_surface_get_data(surface.get());
      const int stride = cairo_image_surface_get_stride(surface.get());
      std::vector<std::uint8_t> expected;
      for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
          const unsigned a = alpha ? (x * 37u + y * 101u) % 256u : 255u;
          // Premultiplied: no channel above alpha.
          const unsigned r = (x * 53u + y) % (a + 1), g = (x * 29u + 7u * y) % (a + 1),
                         b = (x * 11u) % (a + 1);
          row[x] = (a << 24) | (r << 16) | (g << 8) | b;
          expected.push_back(gray_luminance(r + 255 - a, g + 255 - a, b + 255 - a));
        }
      }
      cairo_surface_mark_dirty(surface.get());
      const GrayImage gray = gray_from_surface(surface.get());
      ASSERT_EQ(gray.width, width);
      ASSERT_EQ(gray.height, height);
      EXPECT_EQ(gray.pixels, expected) << (alpha ? "ARGB32" : "RGB24") << ", " << width << " wide";
    }
  }
  EXPECT_EQ(gray_luminance(0, 0, 0), 0);
  EXPECT_EQ(gray_luminance(255, 255, 255), 255);
  // Half-covered black over white is mid grey; nothing covered is the paper.
  SurfacePtr dot(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 2, 1));
  cairo_surface_flush(dot.get());
  auto* pixels = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(dot.get()));
  pixels[0] = 128u << 24;
  pixels[1] = 0;
  cairo_surface_mark_dirty(dot.get());
  EXPECT_EQ(gray_from_surface(dot.get()).pixels, (std::vector<std::uint8_t>{127, 255}));
}

TEST(Formats, SignaturesAreRecognised) {
  const Bytes tiff = test::tiff_of({ramp()}, test::TiffPage::gray);
  const Bytes webp = test::webp_of(ramp(), true);
  const Bytes bmp = test::bmp_of(ramp(), test::BmpKind::bits8, false);
  const Bytes heif = {0, 0, 0, 24, 'f', 't', 'y', 'p', 'a', 'v', 'i', 'f', 0, 0, 0, 0, 'm', 'i', 'f', '1',
                      'h', 'e', 'i', 'c'};
  const Bytes bigEndianTiff = {'M', 'M', 0, 42, 0, 0, 0, 8};
  const Bytes mp4 = {0, 0, 0, 20, 'f', 't', 'y', 'p', 'i', 's', 'o', 'm', 0, 0, 0, 0, 'm', 'p', '4', '1'};
  const Bytes riffWave = {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'};
  struct Case {
    const char* name;
    const Bytes& bytes;
    ScanFormat format;
  };
  const Case cases[] = {
      {"TIFF", tiff, ScanFormat::tiff},          {"big-endian TIFF", bigEndianTiff, ScanFormat::tiff},
      {"WebP", webp, ScanFormat::webp},          {"BMP", bmp, ScanFormat::bmp},
      {"HEIF by a compatible brand", heif, ScanFormat::heic}, {"MP4", mp4, ScanFormat::unknown},
      {"WAVE", riffWave, ScanFormat::unknown},
  };
  for (const Case& c : cases) EXPECT_EQ(scan_format(c.bytes.data(), c.bytes.size()), c.format) << c.name;
}

TEST(Formats, TiffPagesOfEveryStorageReadBack) {
  for (const test::TiffPage storage : {test::TiffPage::gray, test::TiffPage::rgb_lzw, test::TiffPage::bilevel_g4,
                                       test::TiffPage::palette_zip}) {
    SCOPED_TRACE(static_cast<int>(storage));
    // The code on the second of three pages: the page is reported as 2.
    const GrayImage white = test::white_like(pay_picture());
    expect_pay_code(test::tiff_of({white, pay_picture(), white}, storage), 2);
  }
}

TEST(Formats, TiffPixelsAreExactAndBilevelIsBlackAndWhite) {
  const GrayImage source = ramp();
  struct Case {
    test::TiffPage storage;
    std::function<std::uint8_t(std::uint8_t)> expected;
  };
  const Case cases[] = {
      {test::TiffPage::gray, [](std::uint8_t g) { return g; }},
      {test::TiffPage::rgb_lzw, [](std::uint8_t g) { return g; }},
      {test::TiffPage::palette_zip, [](std::uint8_t g) { return g; }},
      {test::TiffPage::bilevel_g4, [](std::uint8_t g) { return static_cast<std::uint8_t>(g < 128 ? 0 : 255); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.storage));
    const Bytes tiff = test::tiff_of({source, test::white_like(source)}, c.storage);
    std::vector<GrayImage> pages;
    ASSERT_EQ(tiff_visit_pages(tiff.data(), tiff.size(),
                               [&pages](int page, const GrayImage& picture) {
                                 EXPECT_EQ(page, static_cast<int>(pages.size()) + 1);
                                 pages.push_back(picture);
                                 return ERROR_OK;
                               }),
              ERROR_OK)
        << error_line();
    ASSERT_EQ(pages.size(), 2u);
    GrayImage expected = source;
    for (std::uint8_t& pixel : expected.pixels) pixel = c.expected(pixel);
    EXPECT_EQ(largest_difference(pages[0], expected), 0);
    EXPECT_EQ(largest_difference(pages[1], test::white_like(source)), 0);
  }
}

TEST(Formats, WebpLossyAndLosslessReadBack) {
  for (const bool lossless : {false, true}) {
    SCOPED_TRACE(lossless ? "lossless" : "lossy");
    const Bytes webp = test::webp_of(pay_picture(), lossless);
    expect_pay_code(webp);
    GrayImage read;
    ASSERT_EQ(load_webp(webp.data(), webp.size(), &read), ERROR_OK);
    // Black stays black and white white: the luma is brought to full range.
    EXPECT_LE(largest_difference(read, pay_picture()), lossless ? 2 : 40);
  }
}

TEST(Formats, HeicReadsBackOrIsRefusedWithItsOwnMessage) {
  const std::optional<Bytes> heic = test::heic_of(pay_picture());
  if (!heic) GTEST_SKIP() << "libheif has no HEVC encoder here to make the sample";
  if (heif_have_decoder_for_format(heif_compression_HEVC) == 0) {
    const Result<std::vector<ScannedCode>> codes = scan(*heic);
    ASSERT_FALSE(codes.has_value());
    EXPECT_EQ(codes.error().line,
              "ERROR_ILLEGAL_ARGUMENT: HEIC pictures cannot be decoded: libheif has no HEVC decoder.  ");
    return;
  }
  expect_pay_code(*heic);
}

TEST(Formats, BmpOfEveryDepthAndOrderReadsExactly) {
  using test::BmpKind;
  const GrayImage source = ramp();
  for (const BmpKind kind : {BmpKind::bits1, BmpKind::bits4, BmpKind::bits8, BmpKind::rle8, BmpKind::rle4,
                             BmpKind::bits16, BmpKind::bits24, BmpKind::bits32, BmpKind::os2_bits24}) {
    for (const bool topDown : {false, true}) {
      if (topDown && kind == BmpKind::os2_bits24) continue;  // the old header has no sign
      SCOPED_TRACE(std::to_string(static_cast<int>(kind)) + (topDown ? " top-down" : " bottom-up"));
      const Bytes bmp = test::bmp_of(source, kind, topDown);
      GrayImage read;
      ASSERT_EQ(load_bmp(bmp.data(), bmp.size(), &read), ERROR_OK) << error_line();
      GrayImage expected = source;
      for (std::uint8_t& pixel : expected.pixels) pixel = test::bmp_luminance(pixel, kind);
      EXPECT_EQ(largest_difference(read, expected), 0);
    }
  }
  expect_pay_code(test::bmp_of(pay_picture(), BmpKind::bits1, false));
  expect_pay_code(test::bmp_of(pay_picture(), BmpKind::rle8, true));
}

TEST(Formats, CmykJpegsReadAsPrinted) {
  for (const test::CmykJpeg kind : {test::CmykJpeg::adobe_inverted, test::CmykJpeg::plain, test::CmykJpeg::ycck}) {
    SCOPED_TRACE(static_cast<int>(kind));
    const Bytes jpeg = test::cmyk_jpeg_of(pay_picture(), kind);
    GrayImage read;
    ASSERT_EQ(load_jpeg(jpeg.data(), jpeg.size(), &read), ERROR_OK) << error_line();
    // Compared pixel by pixel, so that a picture read inverted fails (the reader would still
    // find an inverted code).
    EXPECT_LE(largest_difference(read, pay_picture()), 60);
    expect_pay_code(jpeg);
  }
}

// A file that fails, the line it fails with from memory, and the page its failure is on.
struct Damaged {
  const char* name;
  Bytes bytes;
  const char* line;
  int page;
};

Bytes cut(const Bytes& bytes, std::size_t keep) { return Bytes(bytes.begin(), bytes.begin() + keep); }

std::vector<Damaged> damaged_files() {
  const Bytes tiff = test::tiff_of({pay_picture()}, test::TiffPage::gray);
  const Bytes webp = test::webp_of(pay_picture(), false);
  const Bytes bmp = test::bmp_of(pay_picture(), test::BmpKind::bits24, false);
  std::vector<Damaged> files = {
      {"TIFF header alone", cut(tiff, 8), "ERROR_IO: Cannot read TIFF picture.  ", 0},
      {"WebP cut in half", cut(webp, webp.size() / 2), "ERROR_IO: Cannot read WebP picture.  ", 0},
      {"WebP header alone", cut(webp, 12), "ERROR_IO: Cannot read WebP picture.  ", 0},
      {"BMP cut in half", cut(bmp, bmp.size() / 2), "ERROR_IO: Cannot read BMP picture.  ", 0},
      {"BMP signature alone", Bytes{'B', 'M'}, "ERROR_IO: Cannot read BMP picture.  ", 0},
      {"HEIF box alone", Bytes{0, 0, 0, 16, 'f', 't', 'y', 'p', 'h', 'e', 'i', 'c', 0, 0, 0, 0},
       "ERROR_IO: Cannot read HEIC picture.  ", 0},
  };
  if (const std::optional<Bytes> heic = test::heic_of(pay_picture())) {
    files.push_back({"HEIC cut in half", cut(*heic, heic->size() / 2), "ERROR_IO: Cannot read HEIC picture.  ", 0});
  }
  return files;
}

TEST(Formats, DamagedFilesFailWithTheirFormatsMessage) {
  for (const Damaged& file : damaged_files()) {
    SCOPED_TRACE(file.name);
    const Result<std::vector<ScannedCode>> codes = scan(file.bytes);
    ASSERT_FALSE(codes.has_value());
    EXPECT_EQ(codes.error().line, std::string(file.line) + (file.page ? "page " + std::to_string(file.page) : ""));
  }
}

TEST(Formats, EveryFileErrorNamesTheFile) {
  const test::TempDir directory;
  for (const Damaged& file : damaged_files()) {
    SCOPED_TRACE(file.name);
    const std::string path = directory.file("damaged");
    test::write_file(path, std::string(file.bytes.begin(), file.bytes.end()));
    const Result<std::vector<ScannedCode>> codes = scan_file(std::filesystem::path(path));
    ASSERT_FALSE(codes.has_value());
    EXPECT_EQ(codes.error().line,
              std::string(file.line) + path + (file.page ? ", page " + std::to_string(file.page) : ""));
    EXPECT_EQ(codes.error().detail, path + (file.page ? ", page " + std::to_string(file.page) : ""));
  }
  const std::string text = directory.file("note.txt");
  test::write_file(text, "not a picture");
  const Result<std::vector<ScannedCode>> unknown = scan_file(std::filesystem::path(text));
  ASSERT_FALSE(unknown.has_value());
  EXPECT_EQ(unknown.error().line,
            "ERROR_ILLEGAL_ARGUMENT: Unknown file format, expected PNG, JPEG, PDF, TIFF, WebP, HEIC or BMP.  " + text);
}

TEST(Formats, AFailureOnAPageNamesThePage) {
  // A TIFF of three pages whose third claims 100000 pixels a side, a PDF whose second page is
  // five metres wide.
  const test::TempDir directory;
  const GrayImage white = test::white_like(ramp());
  Bytes tiff = test::tiff_of({white, white, white}, test::TiffPage::gray);
  // The last directory written is the third page's; its width tag is patched in place.
  bool patched = false;
  for (std::size_t i = tiff.size() - 12; i-- > 12 && !patched;) {
    // Tag 256 (ImageWidth), type SHORT or LONG, count 1, little-endian.
    if (tiff[i] == 0x00 && tiff[i + 1] == 0x01 && (tiff[i + 2] == 3 || tiff[i + 2] == 4) && tiff[i + 3] == 0 &&
        tiff[i + 4] == 1 && tiff[i + 5] == 0 && tiff[i + 6] == 0 && tiff[i + 7] == 0) {
      tiff[i + 2] = 4;
      tiff[i + 8] = 0xA0;
      tiff[i + 9] = 0x86;
      tiff[i + 10] = 0x01;
      tiff[i + 11] = 0x00;
      patched = true;
    }
  }
  ASSERT_TRUE(patched);
  const std::string tiffPath = directory.file("scan.tif");
  test::write_file(tiffPath, std::string(tiff.begin(), tiff.end()));
  const Result<std::vector<ScannedCode>> fromTiff = scan_file(std::filesystem::path(tiffPath));
  ASSERT_FALSE(fromTiff.has_value());
  EXPECT_EQ(fromTiff.error().line, "ERROR_ILLEGAL_ARGUMENT: Picture too large.  " + tiffPath + ", page 3");

  const Bytes blank = test::blank_pdf(2, 595, 842);
  std::string changed(blank.begin(), blank.end());
  // The second page's box made five metres wide, in as many characters (the offsets stay).
  const std::string box = "/MediaBox [0 0 595.00 842.00]";
  const std::size_t second = changed.find(box, changed.find(box) + 1);
  ASSERT_NE(second, std::string::npos);
  changed.replace(second, box.size(), "/MediaBox [0 0 14173. 842.00]");
  const std::string pdfPath = directory.file("invoice.pdf");
  test::write_file(pdfPath, changed);
  const Result<std::vector<ScannedCode>> fromPdf = scan_file(std::filesystem::path(pdfPath));
  ASSERT_FALSE(fromPdf.has_value());
  EXPECT_EQ(fromPdf.error().line, "ERROR_ILLEGAL_ARGUMENT: PDF page too large.  " + pdfPath + ", page 2");
}

TEST(Formats, AnEncryptedPdfHasItsOwnMessage) {
  const test::TempDir directory;
  const std::string plain = directory.file("plain.pdf");
  const std::string locked = directory.file("locked.pdf");
  const Bytes pdf = test::pdf_of({{}});
  test::write_file(plain, std::string(pdf.begin(), pdf.end()));
  const auto encrypt = [&plain](const std::string& password, const std::string& out) {
    return test::run_command("qpdf --encrypt " + test::shell_quote(password) + " owner 256 -- " +
                             test::shell_quote(plain) + " " + test::shell_quote(out));
  };
  const test::ProcessResult made = encrypt("secret", locked);
  ASSERT_EQ(made.status, 0) << made.err;
  const Result<std::vector<ScannedCode>> codes = scan_file(std::filesystem::path(locked));
  ASSERT_FALSE(codes.has_value());
  EXPECT_EQ(codes.error().line, "ERROR_IO: PDF document is encrypted.  " + locked);
  // Encryption with an empty password opens for anyone: it is read like any other PDF.
  const std::string open = directory.file("open.pdf");
  ASSERT_EQ(encrypt("", open).status, 0);
  EXPECT_TRUE(scan_file(std::filesystem::path(open)).has_value());
}

}  // namespace
}  // namespace tolvex
