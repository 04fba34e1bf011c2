#include "cli/decode_files.h"

#include <string_view>

#include "tolvex/scan.hpp"

namespace tolvex {
namespace {

// A value may hold line feeds; written as a character reference they stay inside the line.
void write_line(std::FILE* out, std::string_view line) {
  for (const char c : line) {
    if (c == '\n') {
      std::fputs("&#10;", out);
    } else {
      std::fputc(c, out);
    }
  }
  std::fputc('\n', out);
}

void write_document(const DecodeSettings& settings, const ScannedCode& code, std::FILE* out) {
  write_line(out, settings.texts ? code.text : code.xml);
}

}  // namespace

ErrorCode decode_files(const DecodeSettings& settings, std::FILE* out, std::FILE* err) {
  ErrorCode status = ERROR_OK;
  const auto fail = [&status, err](ErrorCode code) {
    std::fprintf(err, "%s\n", error_line().c_str());
    if (status == ERROR_OK) status = code;
  };
  for (const std::string& file : settings.files) {
    std::vector<ScannedCode> codes;
    std::size_t first = 0;
    if (const ErrorCode code = scan_file(file.c_str(), &codes)) {
      fail(code);
      continue;
    }
    if (const ErrorCode code = scan_first_document(codes, file, &first)) {
      fail(code);
      continue;
    }
    if (!settings.all) {
      write_document(settings, codes[first], out);
      continue;
    }
    for (const ScannedCode& code : codes) {
      if (code.code == ERROR_OK) {
        write_document(settings, code, out);
      } else if (code.tolvex) {
        // A damaged tolvex code beside good ones is still a failure worth a line.
        std::fprintf(err, "%s\n", code.error.c_str());
        if (status == ERROR_OK) status = code.code;
      }
    }
  }
  return status;
}

}  // namespace tolvex
