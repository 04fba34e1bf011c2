#include "cli/options.h"

#include <array>
#include <cstdlib>
#include <cstring>

#include "base/messages.h"
#include "base/version.h"

namespace tolvex {
namespace {

constexpr std::array<std::string_view, 2> kInputKinds = {"xml", "base32hex"};
constexpr std::array<std::string_view, 4> kRotations = {"bottom", "top", "left", "right"};
constexpr std::array<std::string_view, 4> kVariations = {"dark", "medium", "light", "gray"};
constexpr std::array<std::string_view, 3> kFormats = {"png", "svg", "pdf"};

char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The manner of atoi: leading white space, optional sign, digits up to the first non-digit.
// Wraps like 32-bit arithmetic instead of overflowing: there is no range check.
std::int32_t parse_size(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
  }
  return static_cast<std::int32_t>(negative ? 0u - value : value);
}

template <typename Enum, std::size_t N>
ErrorCode match_into(std::string_view value, std::string_view optionName,
                     const std::array<std::string_view, N>& values, Enum& target) {
  std::int32_t index = 0;
  if (const ErrorCode code = match_option_value(value, optionName, values, &index)) return code;
  target = static_cast<Enum>(index);
  return ERROR_OK;
}

template <typename Names, typename Value>
std::string name_of(const Names& names, Value value) {
  return std::string(names[static_cast<std::size_t>(value)]);
}

}  // namespace

bool equals_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
  }
  return true;
}

SplitOption split_option(std::string_view argument) {
  const std::size_t equals = argument.find('=');
  if (equals == std::string_view::npos) return {argument, {}};
  return {argument.substr(0, equals), argument.substr(equals + 1)};
}

ErrorCode match_option_value(std::string_view value, std::string_view optionName,
                             std::span<const std::string_view> values, std::int32_t* index) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (equals_ignoring_case(value, values[i])) {
      if (index != nullptr) *index = static_cast<std::int32_t>(i);
      return ERROR_OK;
    }
  }
  return report(messages::kIllegalValueFor, optionName);
}

ErrorCode parse_options(std::span<const std::string_view> arguments, Settings* result) {
  if (result == nullptr) return report(messages::kSettingsCannotBeNull);
  Settings& settings = *result;
  for (const std::string_view argument : arguments) {
    const auto [name, value] = split_option(argument);
    ErrorCode code = ERROR_OK;
    if (equals_ignoring_case(name, "-v")) {
      code = match_into(value, "-v", kVariations, settings.picture.logo->variation);
    } else if (equals_ignoring_case(name, "-r")) {
      code = match_into(value, "-r", kRotations, settings.picture.logo->rotation);
    } else if (equals_ignoring_case(name, "-i")) {
      code = match_into(value, "-i", kInputKinds, settings.inputKind);
    } else if (equals_ignoring_case(name, "--no_frame")) {
      settings.picture.logo->frame = false;
    } else if (equals_ignoring_case(name, "--no_logo")) {
      settings.logo = false;
    } else if (equals_ignoring_case(name, "-l")) {
      settings.picture.logo->directory = value;
    } else if (equals_ignoring_case(name, "-f")) {
      settings.outputFile.assign(value);
    } else if (equals_ignoring_case(name, "-s")) {
      settings.picture.size = parse_size(value);
    } else if (equals_ignoring_case(name, "-t")) {
      ImageFormat format = ImageFormat::png;
      code = match_into(value, "-t", kFormats, format);
      if (code == ERROR_OK) settings.format = format;
    }
    if (code != ERROR_OK) return code;
  }
  return ERROR_OK;
}

Request requested(std::span<const std::string_view> arguments) {
  Request request = Request::run;
  for (const std::string_view argument : arguments) {
    const std::string_view name = split_option(argument).name;
    if (equals_ignoring_case(name, "-h") || equals_ignoring_case(name, "--help")) return Request::help;
    if (equals_ignoring_case(name, "--version")) request = Request::version;
  }
  return request;
}

std::string version_line() { return "Tolvex QR code encoder tool. Version: " + std::string(kVersion); }

ImageFormat output_format(const Settings& settings) {
  if (settings.format) return *settings.format;
  const std::string_view name = settings.outputFile;
  const auto ends_with = [name](std::string_view extension) {
    return name.size() >= extension.size() &&
           equals_ignoring_case(name.substr(name.size() - extension.size()), extension);
  };
  if (ends_with(".svg")) return ImageFormat::svg;
  if (ends_with(".pdf")) return ImageFormat::pdf;
  return ImageFormat::png;
}

PictureOptions picture_options(const Settings& settings) {
  PictureOptions options = settings.picture;
  options.format = output_format(settings);
  if (!settings.logo) options.logo.reset();
  return options;
}

std::string_view image_format_name(ImageFormat format) { return kFormats[static_cast<std::size_t>(format)]; }

std::string usage_text(const Settings& settings) {
  std::string text;
  text += version_line() + "\n";
  text += "\nReads standard input and writes result to file. \n";
  text += "\nIf any error occur, a single line will be written to standard error output. \n";
  text += "\nUsage win32: tolvexqr.exe [optoins] -f=qrImage.png\n";
  text += "\nUsage linux: ./tolvexqr [optoins] -f=qrImage.png\n";
  text += "\n-f=<filename> (default=" + settings.outputFile + ")\n";
  text +=
      "\tSpecifies the filename, where the output QR image will be written. The file will be "
      "overwritten if it already exists, otherwise it will be created. \n";
  text += "\n-i=[xml, base32hex] (default=" + name_of(kInputKinds, settings.inputKind) + ")\n";
  text += "\tSpecifies what type of data should be read from standard input. \n";
  text += picture_options_usage(settings);
  text += "\n-t=[png, svg, pdf] (default=" + std::string(image_format_name(output_format(settings))) + ")\n";
  text +=
      "\tSpecifies the output image type. Without it, a filename ending in .svg or .pdf selects SVG or PDF, "
      "any other filename PNG. \n";
  text += "\n-h, --help\n";
  text += "\tPrints this text without reading standard input. \n";
  text += "\n--version\n";
  text += "\tPrints the version without reading standard input. \n";
  return text;
}

std::string picture_options_usage(const Settings& settings) {
  std::string text;
  text += "\n-l=<path> (default=" + settings.picture.logo->directory.string() + ")\n";
  text +=
      "\tSpecifies the path to a directory containing tolvex logo images. The path must end "
      "with a directory separator character ('/' or '\\'). \n";
  text += "\n-r=[bottom, top, left, right] (default=" + name_of(kRotations, settings.picture.logo->rotation) + ")\n\t";
  text += "Specifies tolvex logo rotation. Meaning the placement of the tolvex logo around QR code. \n";
  text += "\n-v=[dark, medium, light, gray] (default=" + name_of(kVariations, settings.picture.logo->variation) + ")\n";
  text += "\tSpecifies tolvex logo color variation. \n";
  text += "\n--no_frame\n";
  text += "\tUses tolvex logo without frame around QR code. \n";
  text += "\n--no_logo\n";
  text += "\tCreates only the QR code image without a tolvex logo. \n";
  text += "\n-s=<integer> (default=" + std::to_string(settings.picture.size) + ")\n";
  text +=
      "\tSets the output QR code image size (in pixels). If the value is zero, the output image "
      "size will be the number of QR modules (squares). \n";
  text += "\tThe largest size is " + std::to_string(kLargestImageSize) + " pixels. \n";
  return text;
}

std::string read_standard_input(std::FILE* stream) {
  std::string text;
  std::array<char, 2048> line{};
  while (std::fgets(line.data(), static_cast<int>(line.size()), stream) != nullptr) {
    // A read is measured up to its first zero byte, as a line buffer is.
    const std::string_view chunk(line.data(), std::strlen(line.data()));
    const std::size_t endOfText = chunk.rfind('\x04');
    if (endOfText != std::string_view::npos) {
      text.append(chunk.substr(0, endOfText));
      break;
    }
    text.append(chunk);
  }
  return text;
}

}  // namespace tolvex
