// The tolvex command line: parse_command_line over arguments split from the input at line ends,
// without running the job. Whatever the arguments, the outcome is exactly one of a job, a text
// to print, or one usage error line, and the values a job holds are those the parser allows.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "arguments.h"
#include "command/command_line.h"
#include "command/common.h"
#include "require.h"

using namespace tolvex::command;
using tolvex::fuzz::require;
using tolvex::fuzz::split_lines;

namespace {

bool listed(const std::string& value, std::initializer_list<std::string_view> values) {
  return std::ranges::find(values, value) != values.end();
}

void check_picture(const PictureChoices& choices) {
  require(choices.size >= 0 && choices.size <= 8000, "the size is within its range");
  require(listed(choices.placement, {"bottom", "top", "left", "right"}), "a listed placement");
  require(listed(choices.colour, {"dark", "medium", "light", "gray"}), "a listed colour");
  require(!choices.format || format_named(*choices.format).has_value(), "a listed format");
  require(!choices.from || form_named(*choices.from).has_value(), "a listed form");
  require(choices.moduleSize >= 0 && choices.moduleSize <= 100, "the module size is within its range");
  require(choices.margin >= 4 && choices.margin <= 100, "the margin is within its range");
  require(choices.dpi >= 0 && choices.dpi <= 10000, "the resolution is within its range");
  require(listed(choices.level, {"L", "M", "Q", "H"}), "a listed level");
  require(!choices.paper || listed(*choices.paper, {"a4", "a5", "a6", "letter"}), "a listed paper");
  require(!choices.physicalSize || choices.physicalSize->value > 0, "a length above 0");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> arguments;
  for (const std::string_view argument : split_lines(input)) arguments.emplace_back(argument);
  const CommandLine line = parse_command_line(arguments);
  const int outcomes = (line.job ? 1 : 0) + (line.output.empty() ? 0 : 1) + (line.usageError.empty() ? 0 : 1);
  require(outcomes == 1, "a job, a text to print or a usage error, exactly one");
  if (!line.usageError.empty()) {
    require(line.usageError.starts_with("tolvex"), "the usage error names the command");
    require(line.usageError.find('\n') == std::string::npos, "the usage error is one line");
  }
  if (!line.job) return 0;
  if (const auto* make = std::get_if<MakeJob>(&*line.job)) {
    check_picture(make->picture);
  } else if (const auto* batch = std::get_if<BatchJob>(&*line.job)) {
    require(!batch->paths.empty(), "batch has paths");
    require(!batch->threads || (*batch->threads >= 1 && *batch->threads <= 256), "jobs within range");
    check_picture(batch->picture);
  } else if (const auto* decode = std::get_if<DecodeJob>(&*line.job)) {
    require(!(decode->xml && decode->json), "--xml and --json exclude each other");
  } else if (const auto* read = std::get_if<ReadJob>(&*line.job)) {
    require(!read->files.empty(), "read has files");
    require((read->json ? 1 : 0) + (read->csv ? 1 : 0) + (read->text ? 1 : 0) <= 1, "one output form");
    require(read->timeoutSeconds >= 1 && read->timeoutSeconds <= 3600, "the timeout within its range");
  } else if (const auto* encode = std::get_if<EncodeJob>(&*line.job)) {
    require(!encode->from || listed(*encode->from, {"xml", "json"}), "encode reads XML or JSON");
  }
  return 0;
}
