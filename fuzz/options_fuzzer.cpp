// The command lines: parse_options and tolvexdecode's parse_decode_options over arguments split
// from the input at line ends, the usage text for the settings it leaves, and the same input
// read as standard input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "arguments.h"
#include "cli/decode_options.h"
#include "cli/options.h"
#include "image/picture.h"
#include "require.h"

using namespace tolvex;
using tolvex::fuzz::require;
using tolvex::fuzz::split_lines;

namespace {

void parse(std::string_view input) {
  const std::vector<std::string_view> arguments = split_lines(input);
  for (const std::string_view argument : arguments) {
    const SplitOption split = split_option(argument);
    const bool cut = argument.find('=') != std::string_view::npos;
    require(std::string(split.name) + (cut ? "=" : "") + std::string(split.value) == std::string(argument),
            "name, '=' and value make up the argument");
  }
  Settings settings;
  const ErrorCode code = parse_options(arguments, &settings);
  if (code != ERROR_OK) {
    require(code == ERROR_ILLEGAL_ARGUMENT, "only an illegal value fails");
    require(error_line().starts_with("ERROR_ILLEGAL_ARGUMENT: Illegal value for:  -"),
            "the error line names it");
  }
  require(static_cast<std::uint32_t>(settings.inputKind) < 2 &&
              static_cast<std::uint32_t>(settings.picture.logo->rotation) < 4 &&
              static_cast<std::uint32_t>(settings.picture.logo->variation) < 4,
          "settings hold listed values");
  require(!settings.format || image_format_valid(*settings.format), "-t holds a listed format");
  require(image_format_valid(output_format(settings)), "the output format is one of the three");
  if (settings.format) require(output_format(settings) == *settings.format, "-t decides over the extension");
  require(!usage_text(settings).empty(), "the usage text is written");
}

// Every argument is an option or a file name, in order, and only an unknown option fails.
void parse_decode(std::string_view input) {
  const std::vector<std::string_view> arguments = split_lines(input);
  DecodeSettings settings;
  const ErrorCode code = parse_decode_options(arguments, &settings);
  if (code != ERROR_OK) {
    require(code == ERROR_ILLEGAL_ARGUMENT, "only an unknown option fails");
    require(error_line().starts_with("ERROR_ILLEGAL_ARGUMENT: Unknown option:  -"),
            "the error line names it");
    require(settings.files.empty(), "settings are written only on success");
    return;
  }
  require(settings.files.size() <= arguments.size(), "every file name is an argument");
  bool options = true;
  std::size_t file = 0;
  for (const std::string_view argument : arguments) {
    if (options && argument == "--") {
      options = false;
    } else if (!options || !argument.starts_with("-")) {
      require(file < settings.files.size() && settings.files[file++] == argument,
              "file names keep their order");
    }
  }
  require(file == settings.files.size(), "nothing but the arguments are file names");
}

// The text taken from the input does not depend on the pieces it arrives in.
void read_as_input(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  InputText whole;
  whole.add(bytes);
  const std::string text = whole.finish();
  require(text.size() <= size, "nothing is added to the input");
  InputText pieces;
  for (std::size_t start = 0, step = 1; start < size; start += step, step = step * 2 + 1) {
    pieces.add(bytes.substr(start, step));
  }
  require(pieces.finish() == text, "the pieces give the text the whole gives");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  parse(std::string_view(reinterpret_cast<const char*>(data), size));
  parse_decode(std::string_view(reinterpret_cast<const char*>(data), size));
  read_as_input(data, size);
  return 0;
}
