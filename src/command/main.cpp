// tolvex: one command line for every job, with subcommands (encode, make, decode, read, batch,
// check, stamp, serve). read, serve and stamp run in programs of their own, so that the other
// subcommands start without loading the readers, the HTTP server or qpdf.
#include <type_traits>
#include <variant>

#include "command/command_line.h"
#include "command/subcommands.h"

int main(int argc, char** argv) {
  using namespace tolvex::command;
  return command_main(argc, argv, [argv](const Job& line) {
    return std::visit(
        [argv](const auto& job) {
          using T = std::decay_t<decltype(job)>;
          if constexpr (std::is_same_v<T, EncodeJob>) return run_encode(job);
          if constexpr (std::is_same_v<T, MakeJob>) return run_make(job);
          if constexpr (std::is_same_v<T, DecodeJob>) return run_decode(job);
          if constexpr (std::is_same_v<T, ReadJob>) return run_program("tolvex-read", argv);
          if constexpr (std::is_same_v<T, BatchJob>) return run_batch(job);
          if constexpr (std::is_same_v<T, CheckJob>) return run_check(job);
          if constexpr (std::is_same_v<T, StampJob>) return run_program("tolvex-stamp", argv);
          if constexpr (std::is_same_v<T, ServeJob>) return run_program("tolvex-serve", argv);
        },
        line);
  });
}
