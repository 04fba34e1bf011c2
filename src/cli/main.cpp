// tolvexqr: one document on standard input, one QR code PNG out.
#include <cstdio>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "cli/options.h"
#include "cli/run.h"

int main(int argc, char** argv) {
  using namespace tolvex;
  Settings settings;
  if (argc <= 1) {
    std::fputs(usage_text(settings).c_str(), stdout);
    return 0;
  }
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  if (const ErrorCode code = parse_options(arguments, &settings)) {
    std::fprintf(stderr, "%s\n", error_line().c_str());
    return code;
  }
  return run(settings, read_standard_input(stdin));
}
