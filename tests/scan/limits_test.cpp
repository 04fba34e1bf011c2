// Hostile files fail early with their own error instead of taking the machine's memory.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "scan/pdf_images.h"
#include "scan/pdf_pages.h"
#include "scan/picture_load.h"
#include "scan/hostile_files.h"
#include "scan/pictures.h"
#include "support/process.h"
#include "tolvex/scan.hpp"

namespace tolvex {
namespace {

using test::Bytes;
using test::Hostile;
using test::hostile_files;

TEST(ScanLimits, HostileFilesFailWithTheirOwnError) {
  for (const Hostile& file : hostile_files()) {
    SCOPED_TRACE(file.name);
    std::vector<ScannedCode> codes(1);
    EXPECT_EQ(scan_memory(file.bytes.data(), file.bytes.size(), &codes), file.code);
    EXPECT_EQ(error_line(), test::memory_line(file));
    EXPECT_EQ(codes.size(), 1u) << "the output is written only on success";
  }
}

TEST(ScanLimits, AFileAboveTheSizeLimitIsNotRead) {
  const test::TempDir directory;
  const std::string path = directory.file("large.pdf");
  test::write_file(path, "%PDF-1.4\n");
  std::filesystem::resize_file(path, (128u << 20) + 1);
  std::vector<ScannedCode> codes;
  EXPECT_EQ(scan_file(path.c_str(), &codes), ERROR_ILLEGAL_ARGUMENT);
  EXPECT_EQ(error_line(), "ERROR_ILLEGAL_ARGUMENT: Input file too large.  " + path);
  EXPECT_EQ(scan_file(directory.file("missing.png").c_str(), &codes), ERROR_IO);
  EXPECT_EQ(error_line(), "ERROR_IO: Cannot read input file.  " + directory.file("missing.png"));
}

TEST(ScanLimits, PagesRenderAt300DpiOrWhatFitsDownTo150) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* page;
    double width, height, dpi;
  };
  const Case cases[] = {
      {"A4", 595.28, 841.89, 300},
      {"A2 fits at 300 dpi", 1190.55, 1683.78, 300},
      {"A1 at what fits", 1683.78, 2383.94, 8000 * 72 / 2383.94},
      {"A0 at what fits", 2383.94, 3370.39, 8000 * 72 / 3370.39},
      {"just at 150 dpi", 3840, 100, 150},
      {"beyond 150 dpi", 3841, 100, 0},
      {"no size", 0, 842, 0},
      {"negative", -595, 842, 0},
      {"not a number", nan, 842, 0},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(pdf_page_dpi(c.width, c.height), c.dpi) << c.page;
}

TEST(ScanLimits, ImageSizesAreReadFromTheirDictionaries) {
  const std::string document = "%PDF-1.5\n7 0 obj 30000 endobj\n17 0 obj\n 1200\nendobj\n";
  struct Case {
    const char* dictionary;
    std::int64_t width, height;
  };
  const Case cases[] = {
      {"<< /Subtype /Image /Width 640 /Height 480 >>", 640, 480},
      {"<</Subtype/Image/Height 20/Width 10/Filter/FlateDecode>>", 10, 20},
      {"<< /Type /XObject /Subtype\n/Image /Width 7 0 R /Height 17 0 R >>", 30000, 1200},
      {"<< /Subtype /Image /Width 9 0 R /Height 5 >>", -1, 5},
      {"<< /Subtype /Image /Height 5 >>", -1, 5},
      {"<< /Subtype /Image /Width /Oops /Height 5 >>", -1, 5},
      {"<< /Subtype /Image /Widths [1 2] /Width 3 /Height 4 >>", 3, 4},
      {"<< /Subtype /Form /Width 640 /Height 480 >>", 0, 0},
      {"<< /Subtype /ImageMask /Width 640 /Height 480 >>", 0, 0},
      {"<< /Length 5 >>", 0, 0},
  };
  for (const Case& c : cases) {
    int references = 2;
    const PdfImageSize size = pdf_image_size(document, c.dictionary, &references);
    EXPECT_EQ(size.width, c.width) << c.dictionary;
    EXPECT_EQ(size.height, c.height) << c.dictionary;
  }
  // Once the references to follow are spent, a reference is a value not given.
  int references = 1;
  const PdfImageSize size = pdf_image_size(document, "<< /Subtype /Image /Width 7 0 R /Height 17 0 R >>", &references);
  EXPECT_EQ(size.width, 30000);
  EXPECT_EQ(size.height, -1);
  EXPECT_EQ(references, 0);
}

TEST(ScanLimits, ImagesBeyondThePictureLimitsRefuseTheDocument) {
  const auto checked = [](const std::string& pdf) {
    return pdf_check_image_sizes(reinterpret_cast<const std::uint8_t*>(pdf.data()), pdf.size());
  };
  const std::string image = "<< /Type /XObject /Subtype /Image /DecodeParms << /Columns 8 >> ";
  EXPECT_EQ(checked("%PDF-1.5\n5 0 obj " + image + "/Width 8000 /Height 8000 >>\nstream\nxx\nendstream"),
            ERROR_OK);
  EXPECT_EQ(checked("%PDF-1.5\n5 0 obj " + image + "/Width 8000 /Height 8001 >>\r\nstream\nxx\nendstream"),
            ERROR_ILLEGAL_ARGUMENT);
  EXPECT_EQ(error_line(), "ERROR_ILLEGAL_ARGUMENT: PDF image too large.  ");
  EXPECT_EQ(checked("%PDF-1.5\n5 0 obj " + image + "/Width 70000 /Height 1 >> stream\nxx\nendstream"),
            ERROR_ILLEGAL_ARGUMENT);
  // A second image past a first that is fine; a dictionary that is no stream's is not drawn.
  EXPECT_EQ(checked("%PDF-1.5\n" + image + "/Width 8 /Height 8 >>\nstream\nx\nendstream\n" + image +
                    "/Width 90000 /Height 90000 >>\nstream\nx\nendstream"),
            ERROR_ILLEGAL_ARGUMENT);
  EXPECT_EQ(checked("%PDF-1.5\n" + image + "/Width 90000 /Height 90000 >> endobj"), ERROR_OK);
  EXPECT_EQ(checked("stream >> stream << stream"), ERROR_OK);
  // A dictionary is not looked for past the stream keyword before it.
  EXPECT_EQ(checked("%PDF-1.5\n<< /Subtype /Image /Width 90000 /Height 90000 stream >>\nstream\nx"), ERROR_OK);
}

// Only a document with an image object has pages whose pictures are read before rendering.
TEST(ScanLimits, ImageObjectsAreFoundByTheirDictionaries) {
  const auto code = test::plain_code("HAS IMAGES", 2);
  const auto has = [](const Bytes& pdf) { return pdf_has_image_objects(pdf.data(), pdf.size()); };
  EXPECT_TRUE(has(test::pdf_of({{}, {test::Placement{code.get(), 20, 20, 30}}})));
  EXPECT_FALSE(has(test::pdf_of({{test::Placement{code.get(), 20, 20, 30, true}}})));
  EXPECT_FALSE(has(test::pdf_of({{}})));
  EXPECT_FALSE(has(test::blank_pdf(2, 595, 842)));
  const auto text = [](const std::string& pdf) {
    return pdf_has_image_objects(reinterpret_cast<const std::uint8_t*>(pdf.data()), pdf.size());
  };
  EXPECT_TRUE(text("%PDF-1.5\n<< /Subtype /Image /Width 8 /Height 8 >>\nstream\nx\nendstream"));
  // A dictionary that is no stream's, and a form, draw no picture.
  EXPECT_FALSE(text("%PDF-1.5\n<< /Subtype /Image /Width 8 /Height 8 >> endobj"));
  EXPECT_FALSE(text("%PDF-1.5\n<< /Subtype /Form /BBox [0 0 8 8] >>\nstream\nx\nendstream"));
}

TEST(ScanLimits, JpegScansAreCountedBeforeDecoding) {
  const Bytes baseline = test::jpeg_of(test::plain_code("SCANS", 2).get(), 75);
  EXPECT_EQ(jpeg_scan_count(baseline.data(), baseline.size(), 64), 1u);
  const Bytes& many = test::jpeg_of_many_scans();
  EXPECT_EQ(jpeg_scan_count(many.data(), many.size(), 64), 65u) << "counted one past the bound";
  EXPECT_EQ(jpeg_scan_count(many.data(), many.size(), 10000), 5000u);
  // Cut short inside a scan's data, and after a byte that is no marker.
  EXPECT_EQ(jpeg_scan_count(baseline.data(), baseline.size() - 100, 64), 1u);
  const Bytes damaged = {0xFF, 0xD8, 0x00, 0xFF, 0xDA, 0x00, 0x02};
  EXPECT_EQ(jpeg_scan_count(damaged.data(), damaged.size(), 64), 0u);
  // A scan header alone, with fill bytes before its marker.
  const Bytes filled = {0xFF, 0xD8, 0xFF, 0xFF, 0xFF, 0xDA, 0x00, 0x02, 0x12, 0xFF, 0x00, 0xFF, 0xD9};
  EXPECT_EQ(jpeg_scan_count(filled.data(), filled.size(), 64), 1u);
}

}  // namespace
}  // namespace tolvex
