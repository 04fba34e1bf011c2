// The subcommands of the tolvex command that run in programs of their own: tolvex-read,
// tolvex-serve and tolvex-stamp, each loading the large libraries of its job (the readers, the
// HTTP server, qpdf), which the command starts in its place (run_program).
#pragma once

#include <cstdio>
#include <variant>

#include "command/command_line.h"
#include "command/common.h"

namespace tolvex::command {

int run_read(const ReadJob& job);
int run_serve(const ServeJob& job);
int run_stamp(const StampJob& job);

// The main of such a program: its command line is the tolvex command's, from the subcommand's
// name on; a line for another subcommand is a usage error.
template <typename JobType>
int program_main(int argc, char** argv, int (*run)(const JobType&)) {
  return command_main(argc, argv, [run, argv](const Job& job) {
    if (const JobType* mine = std::get_if<JobType>(&job)) return run(*mine);
    std::fprintf(stderr, "%s: runs one subcommand of tolvex only\n", argv[0]);
    return kExitUsage;
  });
}

}  // namespace tolvex::command
