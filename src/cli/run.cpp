#include "cli/run.h"

#include <cstdio>

#include "image/picture_output.h"
#include "tolvex/encode.hpp"

namespace tolvex {
namespace {

ErrorCode write_picture(const Settings& settings, const std::string& text) {
  if (settings.logo) {
    return qr_logo_write_file(text.c_str(), settings.rotation, settings.variation, settings.frame,
                              settings.logoDirectory.c_str(), output_format(settings),
                              settings.outputFile.c_str());
  }
  return qr_write_file(text.c_str(), settings.imageSize, output_format(settings),
                       settings.outputFile.c_str());
}

}  // namespace

ErrorCode write_document_picture(const Settings& settings, const std::string& input) {
  if (settings.inputKind != InputKind::xml) return write_picture(settings, input);
  std::string text;
  if (const ErrorCode code = encode_xml(input.data(), input.size(), &text)) return code;
  return write_picture(settings, text);
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
