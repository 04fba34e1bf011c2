#include "cli/decode_files.h"

#include <string_view>

#include "base/messages.h"
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
  const auto fail = [&status, err](const Error& error) {
    std::fprintf(err, "%s\n", error.line.c_str());
    if (status == ERROR_OK) status = static_cast<ErrorCode>(error.code);
  };
  for (const std::string& file : settings.files) {
    const Result<std::vector<ScannedCode>> codes = scan_file(file);
    if (!codes && codes.error().message == messages::kUnknownPictureFileFormat.text) {
      // The tool's line for a file of no known format is kept as it always was, without the file.
      report(messages::kUnknownScanFileFormat);
      fail(recorded_error());
      continue;
    }
    if (!codes) {
      fail(codes.error());
      continue;
    }
    const Result<std::size_t> first = first_document(*codes, file);
    if (!first) {
      fail(first.error());
      continue;
    }
    if (!settings.all) {
      write_document(settings, (*codes)[*first], out);
      continue;
    }
    for (const ScannedCode& code : *codes) {
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
