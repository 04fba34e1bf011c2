#include "cli/run.h"

#include <cstdio>

#include "cli/describe.h"
#include "tolvex/encode.hpp"
#include "tolvex/json.hpp"
#include "tolvex/picture.hpp"

namespace tolvex {
namespace {

// The text goes into the code as a C string always went: up to its first zero byte.
ErrorCode draw_text(const Settings& settings, std::string_view text) {
  text = text.substr(0, text.find('\0'));
  PictureOptions options = picture_options(settings);
  // A PNG carries no texts: its documents are not decoded for them.
  if (settings.forPrint && options.format != ImageFormat::png) {
    options.compactVector = true;
    describe(text, options);
  }
  const Result<void> written = write_picture(text, settings.outputFile, options);
  return written ? ERROR_OK : static_cast<ErrorCode>(written.error().code);
}

}  // namespace

ErrorCode write_document_picture(const Settings& settings, const std::string& input) {
  if (settings.inputKind == InputKind::base32hex) return draw_text(settings, input);
  const Result<std::string> text = settings.inputKind == InputKind::json ? encode_json(input) : encode_xml(input);
  if (!text) return static_cast<ErrorCode>(text.error().code);
  return draw_text(settings, *text);
}

ErrorCode run(const Settings& settings, const std::string& input) {
  if (const ErrorCode code = write_document_picture(settings, input)) {
    std::fprintf(stderr, "%s\n", error_line().c_str());
    return code;
  }
  std::printf("Successfully written image to file: %s\n", settings.outputFile.c_str());
  return ERROR_OK;
}

}  // namespace tolvex
