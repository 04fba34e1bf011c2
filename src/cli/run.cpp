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

ErrorCode report_failure(ErrorCode code) {
  std::fprintf(stderr, "%s\n", error_line().c_str());
  return code;
}

}  // namespace

ErrorCode run(const Settings& settings, std::string input) {
  std::string text;
  if (settings.inputKind == InputKind::xml) {
    if (const ErrorCode code = encode_xml(input.data(), input.size(), &text)) return report_failure(code);
  } else {
    text = std::move(input);
  }
  if (const ErrorCode code = write_picture(settings, text)) return report_failure(code);
  std::printf("Successfully written image to file: %s\n", settings.outputFile.c_str());
  return ERROR_OK;
}

}  // namespace tolvex
