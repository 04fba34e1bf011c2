// tolvexbatch: many documents in, one picture each out, on every core.
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "base/messages.h"
#include "cli/batch.h"
#include "cli/options.h"

namespace {

int fail(tolvex::ErrorCode code) {
  std::fprintf(stderr, "%s\n", tolvex::error_line().c_str());
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tolvex;
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  const Request request = arguments.empty() ? Request::help : requested(arguments);
  if (request == Request::help) {
    std::fputs(batch_usage_text().c_str(), stdout);
    return 0;
  }
  if (request == Request::version) {
    std::printf("%s\n", version_line().c_str());
    return 0;
  }
  BatchSettings settings;
  if (const ErrorCode code = parse_batch_options(arguments, &settings)) return fail(code);

  const std::vector<BatchDocument> documents = gather_documents(settings, stdin);
  const std::vector<std::string> clashes = picture_name_clashes(documents);
  for (const std::string& line : clashes) std::fprintf(stderr, "%s\n", line.c_str());
  if (!clashes.empty()) return ERROR_ILLEGAL_ARGUMENT;

  std::error_code error;
  std::filesystem::create_directories(settings.outputDirectory, error);
  if (error) {
    return fail(report(messages::kCannotCreateOutputDirectory, settings.outputDirectory));
  }

  const std::atomic<bool>& interrupted = stop_on_signals();
  const BatchCounts counts =
      draw_documents(settings, documents, interrupted, stderr, ::isatty(STDERR_FILENO) != 0);
  const bool stopped = interrupted.load();
  std::fprintf(stderr, "%s\n", batch_summary(counts, settings.outputDirectory, stopped).c_str());
  return batch_exit_status(counts, stopped);
}
