// The command line of tolvexdecode: what to read and what to write.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"

namespace tolvex {

struct DecodeSettings {
  bool all = false;                // -a: every tolvex code of a file, not only the first
  bool texts = false;              // --text: the encoded texts instead of the XML
  bool help = false;               // -h, --help
  std::vector<std::string> files;  // pictures and PDF documents; none: standard input holds a text
};

// Reads the arguments after the program name. Options are matched without regard to letter
// case; "--" ends them, so that a file name may begin with "-". Any other argument beginning
// with "-" is ERROR_ILLEGAL_ARGUMENT "Unknown option: " with the argument.
[[nodiscard]] ErrorCode parse_decode_options(std::span<const std::string_view> arguments,
                                             DecodeSettings* settings);

[[nodiscard]] std::string decode_usage_text();

}  // namespace tolvex
