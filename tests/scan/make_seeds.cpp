// scan_fuzz_seeds DIRECTORY: writes the seeds of the picture, PDF, TIFF, WebP, HEIC and BMP
// harnesses (our own pictures and documents) into DIRECTORY/<harness>.
#include <cstdio>
#include <filesystem>
#include <string>

#include "scan/pictures.h"
#include "scan/samples.h"
#include "support/process.h"

using namespace tolvex;

namespace {

void save(const std::string& path, const test::Bytes& bytes) {
  test::write_file(path, std::string(bytes.begin(), bytes.end()));
  std::printf("%s: %zu bytes\n", path.c_str(), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s fuzz/corpus\n", argv[0]);
    return 2;
  }
  const std::string root = argv[1];
  std::filesystem::create_directories(root + "/picture");
  for (const char* harness : {"pdf", "tiff", "webp", "heic", "bmp"}) std::filesystem::create_directories(root + "/" + harness);
  const std::string pay = test::example_text("pay-single.xml");
  const auto payCode = test::plain_code(pay, 1);
  const auto urlCode = test::plain_code("HTTPS://EXAMPLE.COM/", 2);
  const auto itemsCode = test::plain_code(test::example_text("invoice-items.xml"), 2);
  save(root + "/picture/pay-one-pixel-a-module.png", test::png_of(payCode.get()));
  save(root + "/picture/url.png", test::png_of(urlCode.get()));
  save(root + "/picture/items.jpg", test::jpeg_of(itemsCode.get(), 40));
  save(root + "/pdf/invoice-page.pdf", test::pdf_of({{test::Placement{payCode.get(), 130, 200, 40}}}));
  save(root + "/pdf/two-blank-pages.pdf", test::blank_pdf(2, 595, 842));
  save(root + "/pdf/link-beside-drawn-code.pdf",
       test::pdf_of({{test::Placement{urlCode.get(), 20, 100, 30},
                      test::Placement{payCode.get(), 120, 100, 40, true}}}));
  const GrayImage url = test::gray_of(urlCode.get());
  const GrayImage white = test::white_like(url);
  save(root + "/tiff/url-page-2-g4.tif", test::tiff_of({white, url}, test::TiffPage::bilevel_g4));
  save(root + "/tiff/url-lzw.tif", test::tiff_of({url}, test::TiffPage::rgb_lzw));
  save(root + "/tiff/url-palette.tif", test::tiff_of({url}, test::TiffPage::palette_zip));
  save(root + "/webp/url-lossy.webp", test::webp_of(url, false));
  save(root + "/webp/url-lossless.webp", test::webp_of(url, true));
  if (const auto heic = test::heic_of(url)) save(root + "/heic/url.heic", *heic);
  save(root + "/bmp/url-1-bit.bmp", test::bmp_of(url, test::BmpKind::bits1, false));
  save(root + "/bmp/url-rle8.bmp", test::bmp_of(url, test::BmpKind::rle8, true));
  save(root + "/bmp/url-rle4.bmp", test::bmp_of(url, test::BmpKind::rle4, false));
  save(root + "/bmp/url-16-bit.bmp", test::bmp_of(url, test::BmpKind::bits16, false));
  save(root + "/bmp/url-os2.bmp", test::bmp_of(url, test::BmpKind::os2_bits24, false));
  return 0;
}
