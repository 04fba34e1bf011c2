// Uses the installed tolvex library from C++: an XML document in, its encoded text, its QR code
// with logo as a PNG, the PNG read back, and one amount the library computed.
//
//   ./encode_and_draw invoice.xml code.png
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <tolvex/tolvex.hpp>
#include <vector>

static int fail() {
  std::cerr << tolvex::error_line() << '\n';
  return 1;
}

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: " << argv[0] << " document.xml output.png\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::string xml{std::istreambuf_iterator<char>(in), {}};

  std::string text;
  if (tolvex::encode_xml(xml.data(), xml.size(), &text)) return fail();
  std::cout << text << '\n';

  std::vector<std::uint8_t> png;
  if (tolvex::qr_logo_write_memory(text.c_str(), tolvex::LogoRotation::bottom, tolvex::LogoVariation::dark, true,
                                   TOLVEX_LOGO_DIR, tolvex::ImageFormat::png, &png))
    return fail();
  std::ofstream(argv[2], std::ios::binary).write(reinterpret_cast<const char*>(png.data()), png.size());

  std::vector<tolvex::ScannedCode> codes;
  if (tolvex::scan_memory(png.data(), png.size(), &codes)) return fail();
  const bool same = codes.size() == 1 && codes[0].text == text;
  std::cout << "read back from " << argv[2] << ": " << (same ? "the same text" : "a different result") << '\n';

  tolvex::DocumentPtr<> document;
  std::string decoded;
  tolvex::XmlFieldValue amount;
  if (tolvex::decode_document(text.data(), text.size(), &document) ||
      tolvex::xml_write_document(document.get(), &decoded, nullptr) ||
      tolvex::document_field(document.get(), "MonetarySummary/PayableAmount", &amount))
    return fail();
  std::cout << decoded << "\nPayableAmount: " << (amount.present ? amount.text : "(none)") << '\n';
  return same ? 0 : 1;
}
