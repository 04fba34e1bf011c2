// The tolvex command: what its subcommands share. Reading one input within the bound, telling
// XML, JSON and encoded texts apart, finding the logo pictures, writing the output (a file, or
// standard output for "-"), and the exit statuses.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "cli/options.h"
#include "tolvex/picture_options.hpp"
#include "tolvex/result.hpp"

namespace tolvex::command {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // a document or a file failed
inline constexpr int kExitUsage = 2;   // the command line is wrong
inline constexpr int kExitInterrupted = 130;

// What an input holds.
enum class Form { xml, json, text };

// "xml", "json" or "text" as the --from values; nullopt for anything else.
[[nodiscard]] std::optional<Form> form_named(std::string_view name);

// The input without white space at either end.
[[nodiscard]] std::string_view trimmed(std::string_view input);

// True for a text of base32hex letters only (0-9, A-V, and "=" padding), white space around it
// allowed; an empty input is none.
[[nodiscard]] bool is_encoded_text(std::string_view input);

// The form of an input by its first character other than white space: "{" or "[" JSON, "<" XML;
// an encoded text is told by its letters, and anything else is taken for XML, whose reader
// then says what is wrong with it.
[[nodiscard]] Form detect_form(std::string_view input);

// A document's bytes from the file, or from standard input when file is absent or "-", read
// within the 16 MiB bound. A file that cannot be read is ERROR_IO "Cannot read" with the file's
// name and the system's reason; one past the bound ERROR_ILLEGAL_ARGUMENT "Input file too large."
// with its name.
[[nodiscard]] Result<std::string> read_document_input(const std::optional<std::string>& file);

// The encoded text of a document in any form. A text is decoded first, so that one nobody can
// read back is refused with decoding's error; it is then handed on as given (trimmed).
struct EncodedDocument {
  std::string text;
  unsigned family = 0;  // as the text's header names it
};
[[nodiscard]] Result<EncodedDocument> encoded_document(std::string_view input, Form form);

// Where the logo pictures are looked for, in this order: the option, the environment variable
// TOLVEX_LOGO_DIR, the installed logo directory beside the executable, ./logo/. The result ends
// in "/".
struct LogoSearch {
  std::optional<std::string> option;       // --logo-dir
  std::optional<std::string> environment;  // TOLVEX_LOGO_DIR
  std::optional<std::filesystem::path> executable;
};
[[nodiscard]] std::string find_logo_directory(const LogoSearch& search);

// The search as this process sees it: its environment and its executable.
[[nodiscard]] LogoSearch logo_search(const std::optional<std::string>& option);

// <executable's directory>/<the installed logo directory relative to the installed binaries>.
[[nodiscard]] std::filesystem::path installed_logo_directory(const std::filesystem::path& executable);

// A picture's Error made more telling: a missing or unreadable logo names the file looked for.
[[nodiscard]] Error with_logo_file(Error error, unsigned family, const LogoOptions& logo);

// Writes the bytes to standard output for "-", else as the file (complete or not at all). A file
// that cannot be written is ERROR_IO "Cannot write" with its name and the system's reason.
[[nodiscard]] Result<void> write_output(const std::string& output, std::span<const std::uint8_t> bytes);

// "name: the system's reason for the error number", or the name alone for 0.
[[nodiscard]] std::string file_and_reason(std::string_view name, int number);

// Prints the failure on standard error: "<file>: <error line>", or the line alone.
void print_failure(const Error& error, const std::optional<std::string>& file);

// The picture format named "png", "svg" or "pdf".
[[nodiscard]] std::optional<ImageFormat> format_named(std::string_view name);

// The picture format a file name's extension asks for (".png", ".svg", ".pdf", any letter case).
[[nodiscard]] std::optional<ImageFormat> format_of_name(std::string_view name);

}  // namespace tolvex::command
