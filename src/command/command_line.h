// The command line of the tolvex command: one subcommand a job, parsed with CLI11 into the job's
// options, without running anything (so that the parser can be tested and fuzzed alone).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "tolvex/picture_options.hpp"

namespace tolvex::command {

// The options of every subcommand that draws pictures. Values are checked while parsing.
struct PictureChoices {
  std::int32_t size = 0;                 // --size, 1 to 8000; 0: one pixel a module
  bool noLogo = false;                   // --no-logo
  std::optional<std::string> logoDir;    // --logo-dir
  std::string placement = "bottom";      // --placement
  std::string colour = "dark";           // --colour, --color
  bool noFrame = false;                  // --no-frame
  std::optional<std::string> format;     // --format: png, svg, pdf
  std::optional<std::string> from;       // --from: xml, json, text
  bool quiet = false;                    // -q
};

// The picture the choices ask for, in the format given, with the logo from logoDirectory.
[[nodiscard]] PictureOptions picture_options(const PictureChoices& choices, ImageFormat format,
                                             const std::string& logoDirectory);

struct EncodeJob {
  std::optional<std::string> file;  // absent or "-": standard input
  std::optional<std::string> from;  // xml, json
};

struct MakeJob {
  std::optional<std::string> file;
  std::string output;  // -o; "-" for standard output
  PictureChoices picture;
};

struct DecodeJob {
  std::optional<std::string> text;  // absent: standard input
  bool xml = false;
  bool json = false;
};

struct ReadJob {
  std::vector<std::string> files;
  bool json = false;
  bool csv = false;
  bool text = false;
  bool first = false;
  bool quiet = false;
};

struct BatchJob {
  std::vector<std::string> paths;
  std::string output;                // -o DIR
  std::optional<std::int32_t> threads;
  bool recursive = false;
  bool mirror = false;
  bool skipExisting = false;
  std::optional<std::string> report;  // --report FILE: a JSON line a document
  PictureChoices picture;
};

using Job = std::variant<EncodeJob, MakeJob, DecodeJob, ReadJob, BatchJob>;

// What a command line asks for: a job, a text to print and exit 0 with (help, version), or a
// usage error in one line (exit 2).
struct CommandLine {
  std::optional<Job> job;
  std::string output;
  std::string usageError;
};

// Parses the arguments after the program name.
[[nodiscard]] CommandLine parse_command_line(std::span<const std::string> arguments);

// Of the candidates, the one closest to what was typed, when one is close enough to be meant.
[[nodiscard]] std::optional<std::string> closest(std::string_view typed, std::span<const std::string> candidates);

// "tolvex 1.0.10"
[[nodiscard]] std::string command_version();

}  // namespace tolvex::command
