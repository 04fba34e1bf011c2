// tolvex: one command line for every job, with subcommands (encode, make, decode, read, batch, check, stamp, serve).
#include <cstdio>
#include <new>
#include <string>
#include <variant>
#include <vector>

#include "base/error.h"
#include "base/messages.h"
#include "command/command_line.h"
#include "command/common.h"
#include "command/subcommands.h"

int main(int argc, char** argv) {
  using namespace tolvex::command;
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
    return std::visit(
        [](const auto& job) {
          using T = std::decay_t<decltype(job)>;
          if constexpr (std::is_same_v<T, EncodeJob>) return run_encode(job);
          if constexpr (std::is_same_v<T, MakeJob>) return run_make(job);
          if constexpr (std::is_same_v<T, DecodeJob>) return run_decode(job);
          if constexpr (std::is_same_v<T, ReadJob>) return run_read(job);
          if constexpr (std::is_same_v<T, BatchJob>) return run_batch(job);
          if constexpr (std::is_same_v<T, CheckJob>) return run_check(job);
          if constexpr (std::is_same_v<T, StampJob>) return run_stamp(job);
          if constexpr (std::is_same_v<T, ServeJob>) return run_serve(job);
        },
        *line.job);
  } catch (const std::bad_alloc&) {
    tolvex::report(tolvex::messages::kNotEnoughMemory);
    std::fprintf(stderr, "%s\n", tolvex::error_line().c_str());
    return kExitFailed;
  }
}
