// The command line of the tolvex command: one subcommand a job, parsed with CLI11 into the job's
// options, without running anything (so that the parser can be tested and fuzzed alone).
#pragma once

#include <cstdint>
#include <functional>
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
  // Print.
  std::optional<Length> physicalSize;    // --size with a unit: 40mm, 1.5in, 113pt
  std::int32_t moduleSize = 0;           // --module-size, 1 to 100
  std::int32_t margin = kQuietZoneModules;  // --margin, 4 to 100 modules
  std::int32_t dpi = 0;                  // --dpi, 1 to 10000
  std::string level = "L";               // --level: L, M, Q, H
  bool boostLevel = false;               // --boost-level
  std::optional<std::string> paper;      // --paper: a4, a5, a6, letter
  std::optional<PagePoint> at;           // --at X,Y in millimetres from the top-left corner
  std::optional<std::string> position;   // --position: top-left ... bottom-right
  std::optional<Length> pageMargin;      // --page-margin
};

// The page position of a --position value.
[[nodiscard]] PagePosition position_named(std::string_view name);

// A length on paper as written on the command line: a decimal number and mm, in or pt.
[[nodiscard]] std::optional<Length> length_named(std::string_view text);

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
  bool strict = false;  // --strict: warnings of the check refuse the document
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
  std::int32_t timeoutSeconds = 10;  // --timeout: the longest one file's reading may take
};

struct BatchJob {
  std::vector<std::string> paths;
  std::string output;                // -o DIR
  std::optional<std::int32_t> threads;
  bool recursive = false;
  bool mirror = false;
  bool skipExisting = false;
  std::optional<std::string> report;  // --report FILE: a JSON line a document
  bool strict = false;                // --strict: warnings of the check refuse the document
  PictureChoices picture;
};

struct CheckJob {
  std::vector<std::string> files;  // none: standard input
  bool json = false;                // --json: one object a file
  bool strict = false;              // --strict: warnings count as errors
  bool quiet = false;               // -q: no summary lines, no warnings
};


struct StampJob {
  std::string pdf;                   // the PDF to stamp
  std::optional<std::string> file;   // the document; absent or "-": standard input
  std::string output;                // -o
  std::optional<std::int32_t> page;  // --page; absent: the last
  PictureChoices picture;            // --at, --position and --page-margin on the page itself
};

struct ServeJob {
  std::string listen = "127.0.0.1:8080";  // --listen HOST:PORT; port 0: one the system chooses
  std::optional<std::int32_t> threads;     // --threads: documents worked on at once (default: the cores)
  std::optional<std::string> tokens;       // --tokens FILE: bearer tokens, one a line
  std::optional<std::string> logoDir;      // --logo-dir, searched as the other subcommands search
  bool quiet = false;                      // --quiet: no log line a request
};

using Job = std::variant<EncodeJob, MakeJob, DecodeJob, ReadJob, BatchJob, CheckJob, StampJob, ServeJob>;

// What a command line asks for: a job, a text to print and exit 0 with (help, version), or a
// usage error in one line (exit 2).
struct CommandLine {
  std::optional<Job> job;
  std::string output;
  std::string usageError;
};

// Parses the arguments after the program name.
[[nodiscard]] CommandLine parse_command_line(std::span<const std::string> arguments);

// The main of the tolvex command and of the programs that run its subcommands: parses the
// arguments after argv[0], prints a usage error (exit 2) or the help or version (exit 0), or
// hands the job to run and returns its exit status.
int command_main(int argc, char** argv, const std::function<int(const Job&)>& run);

// Runs a subcommand in the program of that name (tolvex-read, ...) in place of this process,
// with the same arguments: signals and the exit status stay the caller's. The program is looked
// for beside this executable, then in the installed libexec/tolvex relative to it, then where it
// was to be installed. Returns only when it cannot be started: kExitFailed after ERROR_IO
// "Cannot run the program. " with its path and the system's reason.
int run_program(const char* name, char** argv);

// Of the candidates, the one closest to what was typed, when one is close enough to be meant.
[[nodiscard]] std::optional<std::string> closest(std::string_view typed, std::span<const std::string> candidates);

// "tolvex 1.0.10"
[[nodiscard]] std::string command_version();

}  // namespace tolvex::command
