// tolvexbatch's command line: parse_batch_options over arguments split from the input at line
// ends, the list of paths the same input gives on standard input, and the picture-name clashes
// of documents named by those paths. Nothing here touches the file system.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "arguments.h"
#include "cli/batch.h"
#include "require.h"

using namespace tolvex;
using tolvex::fuzz::require;
using tolvex::fuzz::split_lines;

namespace {

void parse(std::string_view input) {
  const std::vector<std::string_view> arguments = split_lines(input);
  BatchSettings settings;
  settings.outputDirectory = "untouched";
  const ErrorCode code = parse_batch_options(arguments, &settings);
  if (code != ERROR_OK) {
    require(code == ERROR_ILLEGAL_ARGUMENT, "only an argument fails");
    require(error_line().starts_with("ERROR_ILLEGAL_ARGUMENT: "), "the error line says so");
    require(settings.outputDirectory == "untouched" && settings.paths.empty(),
            "settings are written only on success");
    return;
  }
  require(!settings.outputDirectory.empty(), "-o is required");
  require(!settings.paths.empty(), "a path is required");
  require(!settings.threads || (*settings.threads >= 1 && *settings.threads <= kMaxBatchThreads),
          "-j is in range");
  bool options = true;
  std::size_t path = 0;
  for (const std::string_view argument : arguments) {
    if (options && argument == "--") {
      options = false;
    } else if (!options || argument == "-" || !argument.starts_with('-')) {
      require(path < settings.paths.size() && settings.paths[path++] == argument, "paths keep their order");
    }
  }
  require(path == settings.paths.size(), "nothing but the arguments are paths");
}

void read_list(const std::uint8_t* data, std::size_t size) {
  std::FILE* stream = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
  if (stream == nullptr) return;
  const std::vector<std::string> paths = read_path_list(stream);
  std::fclose(stream);
  std::size_t characters = 0;
  for (const std::string& path : paths) {
    require(!path.empty() && path.find('\n') == std::string::npos, "one non-empty line a path");
    characters += path.size();
  }
  require(characters <= size, "nothing is added to the list");

  // A document for each path, its picture named by the last character of the path: the clashes
  // are exactly the repeats.
  std::vector<BatchDocument> documents;
  std::set<char> seen;
  std::size_t repeats = 0;
  for (const std::string& path : paths) {
    BatchDocument document;
    document.path = path;
    document.picture = std::string("out/") + path.back() + ".png";
    if (!seen.insert(path.back()).second) ++repeats;
    documents.push_back(std::move(document));
  }
  const std::vector<std::string> clashes = picture_name_clashes(documents);
  require(clashes.size() == repeats, "one line for each picture named again");
  for (const std::string& line : clashes) {
    require(line.starts_with("ERROR_ILLEGAL_ARGUMENT: Two inputs would write the same picture: "),
            "the line says why");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  parse(std::string_view(reinterpret_cast<const char*>(data), size));
  read_list(data, size);
  return 0;
}
