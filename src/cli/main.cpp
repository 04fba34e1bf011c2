// tolvexqr: one document on standard input, one QR code PNG out.
#include <unistd.h>

#include <cstdio>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "base/messages.h"
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
  switch (requested(arguments)) {
    case Request::help:
      std::fputs(usage_text(settings).c_str(), stdout);
      return 0;
    case Request::version:
      std::printf("%s\n", version_line().c_str());
      return 0;
    case Request::run:
      break;
  }
  if (const ErrorCode code = parse_options(arguments, &settings)) {
    std::fprintf(stderr, "%s\n", error_line().c_str());
    return code;
  }
  // Someone who starts the tool at a terminal without piping a document in learns why it waits.
  if (::isatty(STDIN_FILENO) != 0) std::fputs("reading the document from standard input...\n", stderr);
  try {
    std::string input;
    if (const ErrorCode code = read_standard_input(&input)) {
      std::fprintf(stderr, "%s\n", error_line().c_str());
      return code;
    }
    return run(settings, input);
  } catch (const std::bad_alloc&) {
    // Running out of memory is said as every library entry says it, not left to abort.
    const ErrorCode code = report(messages::kNotEnoughMemory);
    std::fprintf(stderr, "%s\n", error_line().c_str());
    return code;
  }
}
