#include "cli/decode_options.h"

#include <algorithm>

#include "base/messages.h"

namespace tolvex {
namespace {

// Options are plain ASCII, matched without regard to letter case as tolvexqr matches its own.
bool is_option(std::string_view argument, std::string_view option) {
  const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::ranges::equal(argument, option, {}, lower);
}

}  // namespace

ErrorCode parse_decode_options(std::span<const std::string_view> arguments, DecodeSettings* result) {
  if (result == nullptr) return report(messages::kSettingsCannotBeNull);
  DecodeSettings settings;
  bool options = true;
  for (const std::string_view argument : arguments) {
    if (options && argument == "--") {
      options = false;
    } else if (!options || argument.empty() || argument[0] != '-') {
      settings.files.emplace_back(argument);
    } else if (is_option(argument, "-a")) {
      settings.all = true;
    } else if (is_option(argument, "--text")) {
      settings.texts = true;
    } else if (is_option(argument, "-h") || is_option(argument, "--help")) {
      settings.help = true;
    } else {
      return report(messages::kUnknownOption, argument);
    }
  }
  *result = std::move(settings);
  return ERROR_OK;
}

std::string decode_usage_text() {
  std::string text;
  text += "Tolvex QR code decoder tool. Version: 1.0.10\n";
  text += "\nUsage: tolvexdecode [options] [file...]\n";
  text +=
      "\nWithout file names, reads an encoded text from standard input and writes the XML of its "
      "document to standard output. \n";
  text +=
      "\nWith file names, reads the QR codes of each PNG, JPEG or PDF file (every page of a PDF) and "
      "writes the XML of the first tolvex code of each file, one document per line, in the order of "
      "the files. \n";
  text +=
      "\nIf an error occurs, a single line is written to standard error output for each file "
      "concerned, and the exit status is the error code of the first; the other files are still read. "
      "A file without a QR code gives ERROR_UNKNOWN_DOCUMENT, a file whose codes are no tolvex codes "
      "ERROR_BAD_FORMAT. \n";
  text += "\n-a\n";
  text += "\tWrites every tolvex code of each file, one per line, in the order of files, pages and codes. \n";
  text += "\n--text\n";
  text += "\tWrites the encoded texts of the codes instead of their XML, one per line. \n";
  text += "\n-h, --help\n";
  text += "\tWrites this text. \n";
  return text;
}

}  // namespace tolvex
