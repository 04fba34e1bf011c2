#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/messages.h"
#include "command/command_line.h"
#include "command/common.h"

namespace tolvex::command {

int command_main(int argc, char** argv, const std::function<int(const Job&)>& run) {
  try {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const CommandLine line = parse_command_line(arguments);
    if (!line.usageError.empty()) {
      std::fprintf(stderr, "%s\n", line.usageError.c_str());
      return kExitUsage;
    }
    if (!line.job) {
      std::fputs(line.output.c_str(), stdout);
      return kExitOk;
    }
    return run(*line.job);
  } catch (const std::bad_alloc&) {
    report(messages::kNotEnoughMemory);
    std::fprintf(stderr, "%s\n", error_line().c_str());
    return kExitFailed;
  }
}

int run_program(const char* name, char** argv) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path binaries = fs::read_symlink("/proc/self/exe", error).parent_path();
  std::vector<fs::path> places;
  if (!error) {
    places.push_back(binaries / name);
    places.push_back(binaries / TOLVEX_PROGRAMS_FROM_BINARIES / name);
  }
  places.push_back(fs::path(TOLVEX_PROGRAMS_INSTALLED) / name);
  const fs::path* chosen = &places.back();
  for (const fs::path& place : places) {
    if (::access(place.c_str(), X_OK) == 0) {
      chosen = &place;
      break;
    }
  }
  // Whatever this process buffered is written before another program takes it over.
  std::fflush(nullptr);
  ::execv(chosen->c_str(), argv);
  report(messages::kCannotRunProgram, file_and_reason(chosen->string(), errno));
  std::fprintf(stderr, "%s\n", error_line().c_str());
  return kExitFailed;
}

}  // namespace tolvex::command
