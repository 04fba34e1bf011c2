#include "support/decoders.h"

#include "support/process.h"

namespace tolvex::test {
namespace {

std::optional<std::string> output_of(const std::string& command) {
  ProcessResult result = run_command(command);
  if (result.status != 0) return std::nullopt;
  return std::move(result.out);
}

}  // namespace

std::optional<std::string> zbar_decode(const std::string& pngPath) {
  return output_of("zbarimg --raw -q -Sbinary " + shell_quote(pngPath));
}

std::optional<std::string> zxing_decode(const std::string& pngPath) {
  return output_of("ZXingReader -bytes " + shell_quote(pngPath));
}

std::optional<std::string> zbar_decode_text(const std::string& pngPath) {
  std::optional<std::string> text = output_of("zbarimg --raw -q " + shell_quote(pngPath));
  // zbarimg ends every symbol's text with a line feed of its own.
  if (text && !text->empty() && text->back() == '\n') text->pop_back();
  return text;
}

std::optional<std::string> zxing_decode_text(const std::string& pngPath) {
  const std::optional<std::string> output = output_of("ZXingReader " + shell_quote(pngPath));
  if (!output) return std::nullopt;
  // The text stands quoted, unescaped, on the line that starts with "Text:".
  const std::size_t line = output->find("Text:");
  if (line == std::string::npos) return std::nullopt;
  const std::size_t open = output->find('"', line);
  const std::size_t close = output->rfind('"', output->find('\n', line));
  if (open == std::string::npos || close == std::string::npos || close <= open) return std::nullopt;
  return output->substr(open + 1, close - open - 1);
}

}  // namespace tolvex::test
