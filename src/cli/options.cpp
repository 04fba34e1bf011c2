#include "cli/options.h"

#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/messages.h"
#include "base/version.h"

namespace tolvex {
namespace {

constexpr std::array<std::string_view, 2> kInputKinds = {"xml", "base32hex"};
constexpr auto& kRotations = kLogoRotationWords;
constexpr auto& kVariations = kLogoVariationWords;
constexpr auto& kFormats = kImageFormatWords;

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

std::optional<std::int32_t> whole_number(std::string_view text, std::int32_t low, std::int32_t high) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  std::int32_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < low || value > high) return std::nullopt;
  return value;
}

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

bool InputText::add(std::string_view bytes) {
  // A line as a 2048-byte line buffer takes it: up to a line feed, or 2047 bytes.
  constexpr std::size_t kLine = 2047;
  while (!ended_ && !bytes.empty()) {
    const std::size_t room = kLine - pending_.size();
    const std::size_t feed = bytes.substr(0, room).find('\n');
    if (feed == std::string_view::npos && bytes.size() < room) {
      pending_.append(bytes);
      break;
    }
    const std::size_t length = feed == std::string_view::npos ? room : feed + 1;
    pending_.append(bytes.substr(0, length));
    bytes.remove_prefix(length);
    take_line(pending_);
    pending_.clear();
  }
  return !ended_;
}

std::string InputText::finish() {
  if (!ended_ && !pending_.empty()) take_line(pending_);
  pending_.clear();
  return std::move(text_);
}

void InputText::take_line(std::string_view line) {
  // A line is measured up to its first zero byte, as a line buffer is.
  line = line.substr(0, line.find('\0'));
  const std::size_t endOfText = line.rfind('\x04');
  if (endOfText != std::string_view::npos) {
    text_.append(line.substr(0, endOfText));
    ended_ = true;
    return;
  }
  text_.append(line);
}

InputEnd read_input(int descriptor, std::size_t limit, std::string* text, const std::atomic<bool>* stop) {
  InputText input;
  std::vector<char> buffer(64 * 1024);
  std::size_t total = 0;
  while (!input.ended()) {
    if (stop != nullptr) {
      // A FIFO may keep us waiting for ever: look at the flag while waiting.
      if (stop->load()) return InputEnd::stopped;
      pollfd ready{descriptor, POLLIN, 0};
      const int polled = ::poll(&ready, 1, 100);
      if (polled < 0 && errno != EINTR) return InputEnd::failed;
      if (polled <= 0) continue;
    }
    const ssize_t count = ::read(descriptor, buffer.data(), buffer.size());
    if (count < 0) {
      if (errno == EINTR) continue;
      if (errno != EAGAIN) return InputEnd::failed;
      // A non-blocking descriptor with nothing yet: wait for data rather than spin.
      pollfd ready{descriptor, POLLIN, 0};
      if (stop == nullptr) ::poll(&ready, 1, -1);
      continue;
    }
    if (count == 0) break;
    total += static_cast<std::size_t>(count);
    input.add(std::string_view(buffer.data(), static_cast<std::size_t>(count)));
    // Counted as read, not as taken: zero bytes take nothing and still cost the reading. An
    // input that ended within this read is whole.
    if (total > limit && !input.ended()) return InputEnd::tooLarge;
  }
  *text = input.finish();
  return InputEnd::complete;
}

ErrorCode read_standard_input(std::string* text) {
  switch (read_input(STDIN_FILENO, kMaxInputBytes, text)) {
    case InputEnd::complete:
      return ERROR_OK;
    case InputEnd::tooLarge:
      return report(messages::kStandardInputTooLarge);
    case InputEnd::failed:
    case InputEnd::stopped:
      break;
  }
  return report(messages::kStandardInputUnreadable);
}

}  // namespace tolvex
