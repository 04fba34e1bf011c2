// tolvexdecode: one base32hex text on standard input, the document it carries as XML out.
// It shows what a printed code really holds, computed amounts included.
#include <cstdio>
#include <string>

#include "base/error.h"
#include "cli/options.h"
#include "pipeline/decode.h"

int main() {
  using namespace tolvex;
  std::string text = read_standard_input(stdin);
  // A text pasted or echoed into the tool usually ends with a line break that is not part of it.
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();

  std::string xml;
  if (const ErrorCode code = decode_to_xml(text.data(), text.size(), &xml, nullptr)) {
    std::fprintf(stderr, "%s\n", error_line().c_str());
    return code;
  }
  std::fwrite(xml.data(), 1, xml.size(), stdout);
  std::fputc('\n', stdout);
  return 0;
}
