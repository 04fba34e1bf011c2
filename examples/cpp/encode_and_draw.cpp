// Uses the installed tolvex library from C++: an XML document in, its encoded text, its QR code
// with logo as a PNG (and the plain code as SVG in memory and as a PDF file beside the PNG), the
// PNG read back, and one amount the library computed. Each job is one call giving a Result.
//
//   ./encode_and_draw invoice.xml code.png
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <tolvex/tolvex.hpp>

static int fail(const tolvex::Error& error) {
  std::cerr << error.line << '\n';
  return 1;
}

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: " << argv[0] << " document.xml output.png\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::string xml{std::istreambuf_iterator<char>(in), {}};
  const std::string output = argv[2];

  const tolvex::Result<std::string> text = tolvex::encode_xml(xml);
  if (!text) return fail(text.error());
  std::cout << *text << '\n';

  const tolvex::PictureOptions withLogo{.format = tolvex::ImageFormat::png,
                                        .logo = tolvex::LogoOptions{.directory = TOLVEX_LOGO_DIR,
                                                                    .rotation = tolvex::LogoRotation::bottom,
                                                                    .variation = tolvex::LogoVariation::dark,
                                                                    .frame = true}};
  const auto png = tolvex::render(*text, withLogo);
  if (!png) return fail(png.error());
  std::ofstream(output, std::ios::binary).write(reinterpret_cast<const char*>(png->data()), png->size());

  const auto svg = tolvex::render(*text, {.format = tolvex::ImageFormat::svg, .size = 400});
  if (!svg) return fail(svg.error());
  const auto written = tolvex::write_picture(*text, output + ".pdf", {.format = tolvex::ImageFormat::pdf});
  if (!written) return fail(written.error());

  const auto codes = tolvex::scan(*png);
  if (!codes) return fail(codes.error());
  const bool same = codes->size() == 1 && codes->front().text == *text;
  std::cout << "read back from " << output << ": " << (same ? "the same text" : "a different result") << '\n';

  const auto document = tolvex::decode(*text);
  if (!document) return fail(document.error());
  const auto xmlAgain = tolvex::to_xml(**document);
  if (!xmlAgain) return fail(xmlAgain.error());
  const auto amount = tolvex::document_field(**document, "MonetarySummary/PayableAmount");
  if (!amount) return fail(amount.error());
  std::cout << *xmlAgain << "\nPayableAmount: " << (amount->present ? amount->text : "(none)") << '\n';
  return same ? 0 : 1;
}
