// Writes the print picture of the document on standard input through the C interface, for
// scripts/bench-print-sizes.sh to set its size beside other encoders': print_sample FORMAT FILE
// [TEXTFILE] with FORMAT svg or pdf, or svg-bare and pdf-bare without the summary's title and
// description; TEXTFILE receives the encoded text, so that the others
// encode exactly the same text.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>

#include "tolvex/tolvex.h"

static void print_error() {
  char* line = tolvex_error_line();
  std::cerr << (line != nullptr ? line : "") << "\n";
  tolvex_free(line);
}

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: print_sample svg|pdf|svg-bare|pdf-bare FILE [TEXTFILE] < document.xml\n";
    return 2;
  }
  const std::string xml{std::istreambuf_iterator<char>(std::cin), {}};
  char* text = nullptr;
  if (tolvex_encode_xml(xml.data(), xml.size(), &text, nullptr) != TOLVEX_OK) {
    print_error();
    return 1;
  }
  tolvex_print_options options;
  tolvex_print_options_init(&options);
  options.format = std::strncmp(argv[1], "pdf", 3) == 0 ? TOLVEX_FORMAT_PDF : TOLVEX_FORMAT_SVG;
  options.describe = std::strstr(argv[1], "-bare") == nullptr ? 1 : 0;
  const int status = tolvex_print_write_file(text, &options, argv[2]);
  if (status != TOLVEX_OK) print_error();
  if (argc > 3) {
    if (std::FILE* out = std::fopen(argv[3], "wb")) {
      std::fputs(text, out);
      std::fclose(out);
    }
  }
  tolvex_free(text);
  return status == TOLVEX_OK ? 0 : 1;
}
