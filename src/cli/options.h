// The command line of tolvexqr: options into the settings of one run, the usage text,
// and standard input read whole within its bound.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/error.h"
#include "tolvex/picture.hpp"

namespace tolvex {

// json is the tolvex command's alone: tolvexqr's -i names only the first two.
enum class InputKind : std::int32_t { xml = 0, base32hex = 1, json = 2 };

// The words of the picture options, in the order of their enumerations: -r, -v, -t.
inline constexpr std::array<std::string_view, 4> kLogoRotationWords = {"bottom", "top", "left", "right"};
inline constexpr std::array<std::string_view, 4> kLogoVariationWords = {"dark", "medium", "light", "gray"};
inline constexpr std::array<std::string_view, 3> kImageFormatWords = {"png", "svg", "pdf"};

struct Settings {
  std::string outputFile = "qrImage.png";
  InputKind inputKind = InputKind::xml;
  // -s as size, -l -r -v --no_frame into the logo, which --no_logo leaves out of the run
  // (picture_options) but keeps for options given after it.
  PictureOptions picture{.logo = LogoOptions{.directory = "./logo/"}};
  bool logo = true;
  std::optional<ImageFormat> format;  // -t; absent: the output name's extension decides
  bool forPrint = false;  // as tolvex make writes: compact vector files with the text's summary
};

// The picture the settings ask for: their options, the format of output_format, and no logo
// after --no_logo.
[[nodiscard]] PictureOptions picture_options(const Settings& settings);

struct SplitOption {
  std::string_view name;
  std::string_view value;  // empty when the argument has no "="
};

// A whole number from low to high written with digits only; nullopt for anything else
// ("1e3", "-5", "+7", " 9", "abc", too large).
[[nodiscard]] std::optional<std::int32_t> whole_number(std::string_view text, std::int32_t low, std::int32_t high);

// Compares option names and values as the command line does: ASCII letters without regard to case.
[[nodiscard]] bool equals_ignoring_case(std::string_view a, std::string_view b);

// Cuts an argument at its first "=".
[[nodiscard]] SplitOption split_option(std::string_view argument);

// Finds value (ignoring ASCII case) in the option's list and stores its position in index.
// No match: records ERROR_ILLEGAL_ARGUMENT "Illegal value for: " with the option's name.
[[nodiscard]] ErrorCode match_option_value(std::string_view value, std::string_view optionName,
                                           std::span<const std::string_view> values, std::int32_t* index);

// Reads every argument after the program name into settings. Unknown options are ignored;
// a later occurrence overrides an earlier one. Stops at the first illegal value.
[[nodiscard]] ErrorCode parse_options(std::span<const std::string_view> arguments, Settings* settings);

// What the command line asks for besides a run: the usage text (-h, --help) or the version
// line (--version). Either is answered at once, before any other option is looked at and
// without reading standard input; help wins when both are given.
enum class Request { run, help, version };
[[nodiscard]] Request requested(std::span<const std::string_view> arguments);

// "Tolvex QR code encoder tool. Version: 1.0.10", without a line end.
[[nodiscard]] std::string version_line();

// The format of the output file: -t when given, else SVG or PDF for a name ending in ".svg" or
// ".pdf" (in any letter case), else PNG.
[[nodiscard]] ImageFormat output_format(const Settings& settings);

// "png", "svg" or "pdf": the value of -t for the format, and the extension of its files.
[[nodiscard]] std::string_view image_format_name(ImageFormat format);

// The usage text for the given (default) settings.
[[nodiscard]] std::string usage_text(const Settings& settings);

// The part of the usage text on the options that shape the picture (-l, -r, -v, --no_frame,
// --no_logo, -s), which every tool that draws codes shares.
[[nodiscard]] std::string picture_options_usage(const Settings& settings);

// The most bytes a document read from standard input or from a file may have: every reader
// holds its document whole, and a valid document is a few kilobytes.
inline constexpr std::size_t kMaxInputBytes = 16u << 20;

// How the tools take input bytes as text, whatever the pieces they arrive in: a byte 0x04 ends
// the input (within one line of up to 2047 bytes, the last 0x04 cuts it and nothing after that
// line is taken), and each such line counts only up to its first zero byte.
class InputText {
 public:
  // Adds the next bytes; false once the input has ended and nothing more is taken.
  bool add(std::string_view bytes);
  bool ended() const { return ended_; }
  // The text, with the last line that did not end.
  std::string finish();

 private:
  void take_line(std::string_view line);

  std::string pending_;
  std::string text_;
  bool ended_ = false;
};

enum class InputEnd { complete, tooLarge, failed, stopped };

// Reads the descriptor to its end (or the end InputText finds) into text, reading no more than
// limit bytes: past them tooLarge, and text holds nothing. With a stop flag, waiting for data
// looks at the flag every tenth of a second and gives stopped once it is set; the descriptor may
// then be non-blocking. text is left as it was unless complete.
[[nodiscard]] InputEnd read_input(int descriptor, std::size_t limit, std::string* text,
                                  const std::atomic<bool>* stop = nullptr);

// Standard input read for tolvexqr and tolvexdecode, within kMaxInputBytes: ERROR_ILLEGAL_ARGUMENT
// "Standard input too large. " past it, ERROR_IO when it cannot be read.
[[nodiscard]] ErrorCode read_standard_input(std::string* text);

}  // namespace tolvex
