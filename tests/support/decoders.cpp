#include "support/decoders.h"

#include <cctype>
#include <sstream>

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

// ZXingReader exits with 0 whether or not it finds a code; only when it finds one does its
// report have a line "Bytes:" with the content as hexadecimal byte values.
std::optional<std::string> zxing_decode(const std::string& pngPath) {
  const std::optional<std::string> output = output_of("ZXingReader " + shell_quote(pngPath));
  if (!output) return std::nullopt;
  std::istringstream lines(*output);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("Bytes:", 0) != 0) continue;
    std::istringstream hex(line.substr(6));
    std::string bytes;
    for (unsigned value = 0; hex >> std::hex >> value;) bytes += static_cast<char>(value);
    return bytes;
  }
  return std::nullopt;
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

// zbarimg's XML report has one <source href='...'> element per file, holding each symbol's data
// as CDATA; a file without a symbol has an empty element.
std::vector<std::optional<std::string>> zbar_decode_texts(const std::vector<std::string>& pngPaths) {
  std::string command = "zbarimg --xml -q";
  for (const std::string& path : pngPaths) command += " " + shell_quote(path);
  const std::string report = run_command(command).out;
  std::vector<std::optional<std::string>> texts(pngPaths.size());
  for (std::size_t i = 0; i < pngPaths.size(); ++i) {
    const std::size_t source = report.find("<source href='" + pngPaths[i] + "'");
    if (source == std::string::npos) continue;
    const std::size_t end = report.find("</source>", source);
    const std::size_t data = report.find("<data><![CDATA[", source);
    if (data == std::string::npos || data > end) continue;
    const std::size_t start = data + 15;
    texts[i] = report.substr(start, report.find("]]></data>", start) - start);
  }
  return texts;
}

std::string without_cairo_ids(std::string_view content) {
  std::string out;
  for (std::size_t i = 0; i < content.size();) {
    bool numbered = false;
    for (const std::string_view name : {"surface", "image"}) {
      if (content.compare(i, name.size(), name) == 0 && i + name.size() < content.size() &&
          std::isdigit(static_cast<unsigned char>(content[i + name.size()]))) {
        out.append(name).append("N");
        i += name.size();
        while (i < content.size() && std::isdigit(static_cast<unsigned char>(content[i]))) ++i;
        numbered = true;
        break;
      }
    }
    if (!numbered) out += content[i++];
  }
  return out;
}

}  // namespace tolvex::test
