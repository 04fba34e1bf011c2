// Our own codes read back from pictures and PDF pages into the exact texts and documents.
#include "tolvex/scan.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "scan/pdf_pages.h"
#include "scan/pictures.h"
#include "scan/qr_read.h"
#include "scan/variants.h"
#include "support/decoders.h"
#include "support/process.h"
#include "tolvex/decode.hpp"

namespace tolvex {
namespace {

using test::Bytes;
using test::Placement;

std::string xml_of(const std::string& text) {
  std::string xml;
  EXPECT_EQ(decode_to_xml(text.data(), text.size(), &xml, nullptr), ERROR_OK) << error_line();
  return xml;
}

std::vector<ScannedCode> scanned(const Bytes& bytes) {
  std::vector<ScannedCode> codes;
  EXPECT_EQ(scan_memory(bytes.data(), bytes.size(), &codes), ERROR_OK) << error_line();
  return codes;
}

// The one code of the file holds the text and decodes to the XML that decoding the text gives.
void expect_document(const Bytes& bytes, const std::string& text, std::int32_t page = 1) {
  const std::vector<ScannedCode> codes = scanned(bytes);
  ASSERT_EQ(codes.size(), 1u);
  EXPECT_EQ(codes[0].text, text);
  EXPECT_TRUE(codes[0].tolvex);
  EXPECT_EQ(codes[0].code, ERROR_OK) << codes[0].error;
  EXPECT_EQ(codes[0].xml, xml_of(text));
  EXPECT_EQ(codes[0].page, page);
}

// A picture style of the tests: plain, or a logo composition with or without a frame.
struct Style {
  const char* name;
  bool logo;
  bool frame;
};
constexpr Style kStyles[] = {
    {"plain", false, false}, {"logo", true, true}, {"logo without frame", true, false}};

SurfacePtr picture_of(const std::string& text, const Style& style, int index) {
  return style.logo ? test::logo_code(text, index % 4, (index / 4) % 4, style.frame)
                    : test::plain_code(text, 4);
}

TEST(Scan, EveryFamilyFromPngJpegAndPdfPages) {
  constexpr std::size_t kPages = 9;
  std::vector<SurfacePtr> pictures;
  std::vector<std::vector<Placement>> pages(kPages);
  std::vector<std::vector<std::string>> expected(kPages);
  for (const std::string& example : test::example_names()) {
    const std::string text = test::example_text(example);
    for (const Style& style : kStyles) {
      SCOPED_TRACE(example + " " + style.name);
      const int index = static_cast<int>(pictures.size());
      pictures.push_back(picture_of(text, style, index));
      expect_document(test::png_of(pictures.back().get()), text);
      expect_document(test::jpeg_of(pictures.back().get(), 75), text);
      // Three codes of different documents across a page: 40 mm for a plain code, 50 mm for a
      // logo picture, the sizes an invoice prints.
      const std::size_t page = index % kPages;
      pages[page].push_back(
          Placement{pictures.back().get(), 12.0 + 65 * (index / kPages), 90, style.logo ? 50.0 : 40.0});
      expected[page].push_back(text);
    }
  }
  const std::vector<ScannedCode> codes = scanned(test::pdf_of(pages));
  std::vector<std::vector<std::string>> found(kPages);
  for (const ScannedCode& code : codes) {
    ASSERT_GE(code.page, 1);
    ASSERT_LE(code.page, static_cast<std::int32_t>(kPages));
    EXPECT_EQ(code.xml, xml_of(code.text));
    found[code.page - 1].push_back(code.text);
  }
  for (std::size_t page = 0; page < kPages; ++page) {
    std::sort(expected[page].begin(), expected[page].end());
    std::sort(found[page].begin(), found[page].end());
    EXPECT_EQ(found[page], expected[page]) << "page " << page + 1;
  }
}

TEST(Scan, OnePixelAModuleAsThePlainToolWritesIt) {
  const std::string text = test::example_text("invoice.xml");
  expect_document(test::png_of(test::plain_code(text, 1).get()), text);
}

TEST(Scan, ManyCodesOnAPageInReadingOrderAndPagesInOrder) {
  const std::string pay = test::example_text("pay-single.xml");
  const std::string invoice = test::example_text("invoice.xml");
  const std::string items = test::example_text("invoice-items.xml");
  const std::string url = "https://example.com/pay?inv=2026010087";
  const auto payCode = test::plain_code(pay, 4);
  const auto invoiceCode = test::plain_code(invoice, 4);
  const auto itemsCode = test::logo_code(items, 0, 0, true);
  const auto urlCode = test::plain_code(url, 4);
  const Bytes pdf =
      test::pdf_of({{Placement{payCode.get(), 20, 100, 35}, Placement{urlCode.get(), 120, 100, 30}},
                    {},
                    {Placement{invoiceCode.get(), 20, 120, 40}, Placement{itemsCode.get(), 20, 200, 50}}});
  const std::vector<ScannedCode> codes = scanned(pdf);
  ASSERT_EQ(codes.size(), 4u);
  // Page 1 holds a payment and a URL, page 2 nothing, page 3 the invoice above its lines.
  EXPECT_EQ(codes[0].page, 1);
  EXPECT_EQ(codes[1].page, 1);
  const bool payFirst = codes[0].text == pay;
  const ScannedCode& payment = codes[payFirst ? 0 : 1];
  const ScannedCode& link = codes[payFirst ? 1 : 0];
  EXPECT_EQ(payment.xml, xml_of(pay));
  EXPECT_EQ(link.text, url);
  EXPECT_FALSE(link.tolvex);
  EXPECT_EQ(link.code, ERROR_BAD_FORMAT);
  EXPECT_EQ(link.error, "ERROR_BAD_FORMAT: Not a tolvex code.  QR code holds a URL: " + url);
  EXPECT_EQ(codes[2].page, 3);
  EXPECT_EQ(codes[2].text, invoice);
  EXPECT_EQ(codes[3].page, 3);
  EXPECT_EQ(codes[3].text, items);

  std::size_t first = 99;
  EXPECT_EQ(scan_first_document(codes, "batch.pdf", &first), ERROR_OK);
  EXPECT_EQ(first, payFirst ? 0u : 1u);
}

// A page is looked at at 150 dpi, and again at full resolution only when nothing was found there.
TEST(Scan, PdfPagesAtTheLowResolutionFirstAndTheHighOnlyWhenNothingIsFound) {
  const auto code = test::plain_code(test::example_text("pay-single.xml"), 4);
  const Bytes pdf = test::pdf_of({{Placement{code.get(), 20, 100, 40}}, {}});
  std::vector<std::pair<int, int>> looked;  // page, picture width
  const ErrorCode status = pdf_find_on_pages(pdf.data(), pdf.size(), [&looked](int page, const GrayImage& picture, bool& found) {
    looked.emplace_back(page, picture.width);
    found = page == 1;
    return ERROR_OK;
  });
  ASSERT_EQ(status, ERROR_OK);
  // A4 is 595.28 points wide: 1241 pixels at 150 dpi, 2481 at 300.
  const std::vector<std::pair<int, int>> expected = {{1, 1241}, {2, 1241}, {2, 2481}};
  EXPECT_EQ(looked, expected);
}

// A code too small to read at 150 dpi is read at full resolution.
TEST(Scan, ACodeTooSmallForTheLowResolutionReadsAtTheHigh) {
  const std::string pay = test::example_text("pay-single.xml");
  const auto code = test::plain_code(pay, 4);
  const Bytes pdf = test::pdf_of({{Placement{code.get(), 20, 100, 11}}});
  std::vector<std::pair<int, std::size_t>> read;  // picture width, texts read from it
  ASSERT_EQ(pdf_find_on_pages(pdf.data(), pdf.size(), [&read](int, const GrayImage& picture, bool& found) {
              const std::size_t texts = qr_read_texts(picture, [](const std::string&) { return true; }).size();
              read.emplace_back(picture.width, texts);
              found = texts > 0;
              return ERROR_OK;
            }),
            ERROR_OK);
  const std::vector<std::pair<int, std::size_t>> expected = {{1241, 0}, {2481, 1}};
  EXPECT_EQ(read, expected);
  const std::vector<ScannedCode> codes = scanned(pdf);
  ASSERT_EQ(codes.size(), 1u);
  EXPECT_EQ(codes[0].text, pay);
}

// A page's images are read before it is rendered; only a tolvex code among them spares the
// rendering, which then finds what is drawn as vectors too.
TEST(Scan, PdfPageImagesFirstAndTheRenderingWhenTheyHoldNoDocument) {
  const std::string pay = test::example_text("pay-single.xml");
  const std::string invoice = test::example_text("invoice.xml");
  const std::string url = "https://example.com/pay?inv=2026010087";
  const auto payCode = test::plain_code(pay, 4);
  const auto payModules = test::plain_code(pay, 1);
  const auto invoiceCode = test::plain_code(invoice, 2);
  const auto urlCode = test::plain_code(url, 4);
  struct Case {
    const char* name;
    std::vector<Placement> placements;
    std::vector<std::string> texts;  // what the scan reads, in this order when ordered
    bool ordered;
    bool inImages;  // a code reads from the page's images, which spares the rendering
  };
  const std::vector<Case> cases = {
      {"an embedded code", {Placement{payCode.get(), 20, 100, 40}}, {pay}, true, true},
      // One pixel a module, as some programs embed it and let the viewer enlarge it.
      {"an embedded code of one pixel a module",
       {Placement{payModules.get(), 20, 100, 40}},
       {pay},
       true,
       true},
      // Drawn lower first: the reading order is the page's, not the drawing's.
      {"two embedded codes drawn bottom first",
       {Placement{invoiceCode.get(), 20, 200, 45}, Placement{payCode.get(), 120, 60, 40}},
       {pay, invoice},
       true,
       true},
      {"a drawn code", {Placement{payModules.get(), 20, 100, 40, true}}, {pay}, true, false},
      // The link is no document: the scan renders the page and finds the drawn code as well.
      {"an embedded link beside a drawn code",
       {Placement{urlCode.get(), 20, 100, 30}, Placement{payModules.get(), 120, 100, 40, true}},
       {url, pay},
       false,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes pdf = test::pdf_of({c.placements});
    int renderings = 0;
    ASSERT_EQ(pdf_find_on_pages(
                  pdf.data(), pdf.size(),
                  [&renderings](int, const GrayImage&, bool& found) {
                    ++renderings;
                    found = true;
                    return ERROR_OK;
                  },
                  [](int, const std::vector<GrayImage>& images, bool& found) {
                    found = std::ranges::any_of(images, [](const GrayImage& image) {
                      return !qr_read_texts(
                                  image, [](const std::string&) { return true; }, kQrCleanAttempts)
                                  .empty();
                    });
                    return ERROR_OK;
                  }),
              ERROR_OK);
    EXPECT_EQ(renderings, c.inImages ? 0 : 1);
    std::vector<std::string> texts;
    for (const ScannedCode& code : scanned(pdf)) texts.push_back(code.text);
    std::vector<std::string> expected = c.texts;
    if (!c.ordered) {
      // Codes side by side come in the order the reader finds them.
      std::ranges::sort(texts);
      std::ranges::sort(expected);
    }
    EXPECT_EQ(texts, expected);
  }
}

// The images looked at before a page is rendered stay within their bounds: at most 16 a page,
// each a part of at most a quarter of the page, at 150 dpi.
TEST(Scan, PdfPageImagesStayWithinTheirBounds) {
  const auto code = test::plain_code("BOUNDS", 2);
  const auto images_handed = [](const Bytes& pdf) {
    std::vector<std::vector<std::pair<int, int>>> pages;  // the sizes of each page's images
    EXPECT_EQ(pdf_find_on_pages(
                  pdf.data(), pdf.size(), [](int, const GrayImage&, bool&) { return ERROR_OK; },
                  [&pages](int, const std::vector<GrayImage>& images, bool&) {
                    pages.emplace_back();
                    for (const GrayImage& image : images)
                      pages.back().emplace_back(image.width, image.height);
                    return ERROR_OK;
                  }),
              ERROR_OK);
    return pages;
  };
  std::vector<Placement> sixteen;
  std::vector<Placement> seventeen;
  for (int i = 0; i < 17; ++i) {
    const Placement placement{code.get(), 10.0 + (i % 4) * 45, 10.0 + (i / 4) * 55, 20};
    if (i < 16) sixteen.push_back(placement);
    seventeen.push_back(placement);
  }
  const auto pages = images_handed(test::pdf_of({sixteen, seventeen}));
  ASSERT_EQ(pages.size(), 1u) << "the page of 17 images is only rendered";
  ASSERT_EQ(pages[0].size(), 16u);
  // 20 mm and 3 mm on each side at 150 dpi, 153 pixels, and the few points poppler rounds an
  // image's area out by.
  for (const auto& [width, height] : pages[0]) {
    EXPECT_NEAR(width, 155, 4);
    EXPECT_NEAR(height, 155, 4);
  }
  // Half the page's width and more: read from the page's rendering, not as an image.
  EXPECT_TRUE(images_handed(test::pdf_of({{Placement{code.get(), 10, 10, 150}}})).empty());
}

// Each way of holding no document has its own error and line.
TEST(Scan, NoCodeAForeignCodeAndADamagedCodeAreToldApart) {
  struct Case {
    const char* name;
    std::string content;  // the text of the one code on the page; empty for none
    ErrorCode code;
    std::string line;
  };
  std::string damaged = test::example_text("pay-single.xml");
  // A letter of the compressed payload changed: still a container, but the checksum differs.
  damaged[damaged.size() - 6] = damaged[damaged.size() - 6] == 'A' ? 'B' : 'A';
  const Case cases[] = {
      {"no code", "", ERROR_UNKNOWN_DOCUMENT, "ERROR_UNKNOWN_DOCUMENT: No QR code found.  page.pdf"},
      {"URL", "HTTP://EXAMPLE.COM/A", ERROR_BAD_FORMAT,
       "ERROR_BAD_FORMAT: Not a tolvex code.  page.pdf: QR code holds a URL: HTTP://EXAMPLE.COM/A"},
      {"long text", "WIFI:S:office;T:WPA;P:correct horse battery staple;;", ERROR_BAD_FORMAT,
       "ERROR_BAD_FORMAT: Not a tolvex code.  page.pdf: QR code holds text: WIFI:S:office;T:WPA;P:correct "
       "horse "
       "batt..."},
      {"damaged tolvex text", damaged, ERROR_CHECKSUM, "ERROR_CHECKSUM: Checksum mismatch.  "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Placement> placements;
    SurfacePtr code;
    if (!c.content.empty()) {
      code = test::plain_code(c.content, 4);
      placements.push_back({code.get(), 60, 120, 40});
    }
    const std::vector<ScannedCode> codes = scanned(test::pdf_of({placements}));
    ASSERT_EQ(codes.size(), c.content.empty() ? 0u : 1u);
    std::size_t index = 99;
    EXPECT_EQ(scan_first_document(codes, "page.pdf", &index), c.code);
    EXPECT_EQ(error_line(), c.line);
    EXPECT_EQ(index, 99u);
  }
}

TEST(Scan, ACodeDamagedBeyondCorrectionIsNoCode) {
  const std::string text = test::example_text("invoice.xml");
  const SurfacePtr picture = test::plain_code(text, 4);
  // Paint over the middle third: more than level L's 7 % of codewords can recover.
  const int side = cairo_image_surface_get_width(picture.get());
  const ContextPtr context(cairo_create(picture.get()));
  cairo_set_source_rgb(context.get(), 1, 1, 1);
  cairo_rectangle(context.get(), side / 3.0, side / 3.0, side / 3.0, side / 3.0);
  cairo_fill(context.get());
  EXPECT_TRUE(scanned(test::png_of(picture.get())).empty());
}

TEST(Scan, DescribesWhatAForeignCodeHolds) {
  EXPECT_EQ(scan_describe_text(""), "QR code is empty");
  EXPECT_EQ(scan_describe_text("https://x.example/"), "QR code holds a URL: https://x.example/");
  EXPECT_EQ(scan_describe_text("line one\nline\ttwo"), "QR code holds text: line one line two");
  // Forty characters, counted as characters rather than bytes: "č" is two bytes.
  const std::string czech = std::string(39, 'a') + "\xC4\x8D" + "rest";
  EXPECT_EQ(scan_describe_text(czech), "QR code holds text: " + std::string(39, 'a') + "\xC4\x8D...");
}

// Degraded pictures: the reader reads nearly all, and more than zbarimg on the same pictures.
// The full sweep over a few hundred variants with both command-line readers is
// scan_variant_sweep; this is its smaller table of 81.
TEST(Scan, DegradedPicturesReadBetterThanZbarimg) {
  const std::vector<test::Variant> variants = test::generated_variants(3, 2026);
  const test::TempDir directory;
  int ours = 0;
  std::vector<std::string> files;
  for (std::size_t i = 0; i < variants.size(); ++i) {
    const test::Variant& variant = variants[i];
    files.push_back(directory.file("variant" + std::to_string(i) + ".png"));
    test::write_gray_png(variant.picture, files.back());
    std::vector<ScannedCode> codes;
    ASSERT_EQ(scan_file(files.back().c_str(), &codes), ERROR_OK) << error_line();
    const bool read = codes.size() == 1 && codes[0].text == variant.text && codes[0].code == ERROR_OK;
    EXPECT_TRUE(read) << variant.name;
    ours += read;
  }
  const std::vector<std::optional<std::string>> zbar = test::zbar_decode_texts(files);
  int theirs = 0;
  for (std::size_t i = 0; i < variants.size(); ++i) theirs += zbar[i] == variants[i].text;
  const double n = static_cast<double>(variants.size());
  RecordProperty("tolvex_rate", std::to_string(ours / n));
  RecordProperty("zbarimg_rate", std::to_string(theirs / n));
  EXPECT_GE(ours / n, 0.99);
  EXPECT_GT(ours, theirs);
}

}  // namespace
}  // namespace tolvex
