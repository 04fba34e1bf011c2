// tolvexdecode: the document a printed code carries, as XML. With no file names, one base32hex
// text on standard input (what a scanner read); with file names, the QR codes of PNG and JPEG
// pictures and of every page of PDF documents.
#include <cstdio>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "base/messages.h"
#include "cli/decode_files.h"
#include "cli/options.h"
#include "tolvex/decode.hpp"
#include "tolvex/xml.hpp"

namespace {

int decode_standard_input() {
  using namespace tolvex;
  std::string text;
  if (const ErrorCode code = read_standard_input(&text)) {
    std::fprintf(stderr, "%s\n", error_line().c_str());
    return code;
  }
  // A text pasted or echoed into the tool usually ends with a line break that is not part of it.
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();

  const Result<DocumentPtr<>> document = decode(text);
  const Result<std::string> xml = document ? to_xml(**document) : Result<std::string>(document.error());
  if (!xml) {
    std::fprintf(stderr, "%s\n", xml.error().line.c_str());
    return static_cast<int>(xml.error().code);
  }
  std::fwrite(xml->data(), 1, xml->size(), stdout);
  std::fputc('\n', stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tolvex;
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  DecodeSettings settings;
  if (const ErrorCode code = parse_decode_options(arguments, &settings)) {
    std::fprintf(stderr, "%s\n", error_line().c_str());
    return code;
  }
  if (settings.help) {
    std::fputs(decode_usage_text().c_str(), stdout);
    return 0;
  }
  try {
    if (settings.files.empty()) return decode_standard_input();
    return decode_files(settings, stdout, stderr);
  } catch (const std::bad_alloc&) {
    const ErrorCode code = report(messages::kNotEnoughMemory);
    std::fprintf(stderr, "%s\n", error_line().c_str());
    return code;
  }
}
