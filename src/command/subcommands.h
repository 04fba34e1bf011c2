// The subcommands of the tolvex command, one file each: its options on the command line (add_*)
// and its run (run_*, returning the exit status). Those whose libraries are large (read, serve,
// stamp) run in programs of their own (command_programs), so that the others never load them.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "command/command_line.h"

namespace tolvex::command {

CLI::App* add_encode(CLI::App& app, EncodeJob& job);
CLI::App* add_make(CLI::App& app, MakeJob& job);
CLI::App* add_decode(CLI::App& app, DecodeJob& job);
CLI::App* add_read(CLI::App& app, ReadJob& job);
CLI::App* add_batch(CLI::App& app, BatchJob& job);
CLI::App* add_check(CLI::App& app, CheckJob& job);
CLI::App* add_stamp(CLI::App& app, StampJob& job);
CLI::App* add_serve(CLI::App& app, ServeJob& job);

// --size, --no-logo, --logo-dir, --placement, --colour, --no-frame, --format, --from, -q.
// With paper, --paper and the place on it need --paper; without, --at, --position and
// --page-margin place the picture on a page of the input.
void add_picture_options(CLI::App& sub, PictureChoices& choices, bool texts, bool paper = true);

// Checks a value against the allowed ones: "--placement: 'middle' is not one of bottom, top, left, right".
[[nodiscard]] CLI::Validator one_of(std::vector<std::string> values);

// Checks a whole number within bounds: "--jobs: '0' is not a whole number from 1 to 256".
[[nodiscard]] CLI::Validator whole_number_from(std::int32_t low, std::int32_t high);

int run_encode(const EncodeJob& job);
int run_make(const MakeJob& job);
int run_decode(const DecodeJob& job);
int run_read(const ReadJob& job);
int run_batch(const BatchJob& job);
int run_check(const CheckJob& job);

// Before make or batch draws a document: prints the check's findings of the input on err (the
// warnings unless quiet; under strict every finding) prefixed with the file, and tells whether
// the document may be drawn. Errors without strict are left to the drawing, which reports them.
[[nodiscard]] bool checked_before_drawing(std::string_view input, std::string_view file, bool strict, bool quiet,
                                          std::FILE* err);

// "HOST:PORT" of serve --listen, the host also as "[::1]"; nullopt for anything else.
struct ListenAddress {
  std::string host;
  int port = 0;
};
[[nodiscard]] std::optional<ListenAddress> listen_address(std::string_view text);

}  // namespace tolvex::command
