// scan_fuzz_seeds DIRECTORY: writes the seeds of the picture and PDF harnesses (our own pictures
// and documents) into DIRECTORY/picture and DIRECTORY/pdf.
#include <cstdio>
#include <filesystem>
#include <string>

#include "scan/pictures.h"
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
  std::filesystem::create_directories(root + "/pdf");
  const std::string pay = test::example_text("pay-single.xml");
  const auto payCode = test::plain_code(pay, 1);
  const auto urlCode = test::plain_code("HTTPS://EXAMPLE.COM/", 2);
  const auto itemsCode = test::plain_code(test::example_text("invoice-items.xml"), 2);
  save(root + "/picture/pay-one-pixel-a-module.png", test::png_of(payCode.get()));
  save(root + "/picture/url.png", test::png_of(urlCode.get()));
  save(root + "/picture/items.jpg", test::jpeg_of(itemsCode.get(), 40));
  save(root + "/pdf/invoice-page.pdf", test::pdf_of({{test::Placement{payCode.get(), 130, 200, 40}}}));
  save(root + "/pdf/two-blank-pages.pdf", test::blank_pdf(2, 595, 842));
  return 0;
}
