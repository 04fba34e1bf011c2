// tolvexbatch: many documents in, one picture each out, drawn on several threads. The pictures
// are those tolvexqr writes for the same documents and options.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "cli/options.h"

namespace tolvex {

// The most documents -j draws at a time.
inline constexpr unsigned kMaxBatchThreads = 256;
// Larger input files are refused: every thread holds one document whole.
inline constexpr std::uintmax_t kMaxBatchInputBytes = 16u << 20;
// The logo cache of each thread, in bytes of PNG files: a batch uses at most one logo picture a
// family, since placement, colour and frame are the same for every document.
inline constexpr std::int32_t kBatchLogoCacheBytes = 4 << 20;

struct BatchSettings {
  Settings picture;                    // the options shared with tolvexqr; its output file is unused
  std::optional<InputKind> inputKind;  // -i; absent: each file's extension decides
  std::string outputDirectory;         // -o
  std::optional<unsigned> threads;     // -j; absent: one a core
  bool recursive = false;              // -R, --recursive
  std::vector<std::string> paths;      // files, directories, and "-" for a list on standard input
  // What the tolvex command adds; tolvexbatch leaves them off.
  bool mirror = false;        // a directory's files keep their folders below the output directory
  bool skipExisting = false;  // a picture already there is kept, and the document skipped
  bool jsonFiles = false;     // .json files are documents too, read as JSON
  bool decodeTexts = false;   // an encoded text is drawn only when it decodes (trimmed of white space)
};

// Reads the arguments after the program name. The options of the picture and -i are those of
// tolvexqr (parse_options); -o=DIR is required, -j=N takes 1 to kMaxBatchThreads, -R (just so,
// since -r=, in any case, is the rotation) or --recursive recurses; "--" ends the
// options, "-" alone and any argument not beginning with "-" are paths, and at least one is
// required. -h, --help and --version are left to requested(). An unknown option (also -f, which
// has no meaning here) is ERROR_ILLEGAL_ARGUMENT "Unknown option: "; settings is written only
// on success.
[[nodiscard]] ErrorCode parse_batch_options(std::span<const std::string_view> arguments,
                                            BatchSettings* settings);

[[nodiscard]] std::string batch_usage_text();

struct BatchDocument {
  std::string path;  // as named, or the directory's path joined with the file's name
  InputKind kind = InputKind::xml;
  std::string picture;                 // DIR/<stem>.<png|svg|pdf>
  std::optional<std::string> refusal;  // the error line of a path that gives no document to draw
};

// The paths of a list, one a line: a final "\r" and empty lines are dropped.
[[nodiscard]] std::vector<std::string> read_path_list(std::FILE* list);

// The documents the paths name, in their order. A directory gives its .xml and .txt files (any
// letter case; .json too with jsonFiles) sorted by name, and with -R those of its subdirectories in the same walk;
// symbolic links to directories are not followed. A file named on its own is taken whatever
// its name with -i; without -i one that ends in neither .xml nor .txt is refused, as is a
// directory that cannot be listed. "-" reads the paths from list (read_path_list).
[[nodiscard]] std::vector<BatchDocument> gather_documents(const BatchSettings& settings, std::FILE* list);

// One error line for each document whose picture another document before it would write too
// (also a file named twice); empty when every picture has a name of its own.
[[nodiscard]] std::vector<std::string> picture_name_clashes(std::span<const BatchDocument> documents);

struct BatchCounts {
  std::size_t written = 0;
  std::size_t failed = 0;
  std::size_t notStarted = 0;  // left when stop was set, or dropped while their input was read
  std::size_t skipped = 0;     // pictures already there (skipExisting)
};

// What became of one document, told in input order as draw_documents reports: its error line,
// or none when its picture was written (or, skipped, was there already).
struct BatchOutcome {
  const BatchDocument& document;
  const std::optional<std::string>& failure;
  bool skipped;
};
using BatchObserver = std::function<void(const BatchOutcome&)>;

// Draws the documents on settings.threads workers (not more than there are documents), each
// with its own logo cache, into the existing output directory. Each failure writes to err the
// document's path, ": " and the error line tolvexqr gives for it, in the order of the documents,
// as soon as every document before it is done. With progress, a progress bar on err is redrawn
// as documents finish and cleared at the end. Once stop is set no further document is started;
// those being drawn are finished, so that no file is left half-written.
[[nodiscard]] BatchCounts draw_documents(const BatchSettings& settings,
                                         std::span<const BatchDocument> documents,
                                         const std::atomic<bool>& stop, std::FILE* err, bool progress,
                                         const BatchObserver& observer = {});

// "Written 8 of 10 pictures to DIR; 2 failed." (", 3 already there" when pictures were skipped),
// or after an interruption
// "Interrupted: written 3 of 10 pictures to DIR; 0 failed, 7 not started.".
[[nodiscard]] std::string batch_summary(const BatchCounts& counts, std::string_view directory,
                                        bool interrupted);

// 130 after an interruption, 1 when a document failed, else 0.
[[nodiscard]] int batch_exit_status(const BatchCounts& counts, bool interrupted);

// Ctrl-C and SIGTERM let the documents being drawn finish and start no more; a second one ends
// the process at once, as the default would. Returns the flag the signals set, for
// draw_documents.
[[nodiscard]] const std::atomic<bool>& stop_on_signals();

}  // namespace tolvex
