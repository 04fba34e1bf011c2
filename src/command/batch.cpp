// tolvex batch -o DIR PATH...: tolvexbatch's job with the command's options, plus --mirror,
// --skip-existing and --report.
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>

#include "base/messages.h"
#include "cli/batch.h"
#include "command/common.h"
#include "command/subcommands.h"

namespace tolvex::command {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

BatchSettings batch_settings(const BatchJob& job) {
  BatchSettings settings;
  const PictureChoices& choices = job.picture;
  settings.paths = job.paths;
  settings.outputDirectory = job.output;
  if (job.threads) settings.threads = static_cast<unsigned>(*job.threads);
  settings.recursive = job.recursive;
  settings.mirror = job.mirror;
  settings.skipExisting = job.skipExisting;
  settings.jsonFiles = true;
  settings.decodeTexts = true;
  if (choices.from) {
    const Form form = form_named(*choices.from).value_or(Form::xml);
    settings.inputKind = form == Form::xml ? InputKind::xml : form == Form::json ? InputKind::json : InputKind::base32hex;
  }
  const ImageFormat format = choices.format ? format_named(*choices.format).value_or(ImageFormat::png) : ImageFormat::png;
  settings.picture.format = format;
  settings.picture.picture = picture_options(choices, format, find_logo_directory(logo_search(choices.logoDir)));
  settings.picture.logo = !choices.noLogo;
  settings.picture.forPrint = true;
  return settings;
}

}  // namespace

CLI::App* add_batch(CLI::App& app, BatchJob& job) {
  CLI::App* sub = app.add_subcommand("batch", "the pictures of many documents, several at a time");
  sub->add_option("paths", job.paths, "files, directories (their .xml, .json and .txt files), - for a list")
      ->type_name("PATH")
      ->required();
  sub->add_option("-o,--output", job.output, "the directory the pictures go to, created if missing")
      ->type_name("DIR")
      ->required();
  sub->add_option_function<std::string>(
         "-j,--jobs",
         [&job](const std::string& value) { job.threads = whole_number(value, 1, kMaxBatchThreads); },
         "documents drawn at a time (default: one a core)")
      ->check(whole_number_from(1, kMaxBatchThreads))
      ->type_name("N");
  sub->add_flag("-R,--recursive", job.recursive, "also the subdirectories of directories");
  sub->add_flag("--mirror", job.mirror, "keep a directory's subfolders below DIR");
  sub->add_flag("--skip-existing", job.skipExisting, "leave pictures that are there already (to resume)");
  sub->add_flag("--strict", job.strict, "refuse a document when the check finds anything (see tolvex check)");
  sub->add_option("--report", job.report, "a JSON line a document into FILE: input, output or error")
      ->type_name("FILE");
  add_picture_options(*sub, job.picture, true);
  sub->footer(
      "\nExample:\n  tolvex batch -R --mirror --skip-existing -o codes/ invoices/\n"
      "\nExit status: 0 every picture written, 1 a document failed, 2 a usage error or two inputs\n"
      "for one picture, 130 interrupted.\n");
  return sub;
}

int run_batch(const BatchJob& job) {
  const BatchSettings settings = batch_settings(job);
  std::vector<BatchDocument> documents = gather_documents(settings, stdin);
  // Regular files only: a FIFO gives its document once, to the drawing.
  for (BatchDocument& document : documents) {
    if (document.refusal || !std::filesystem::is_regular_file(document.path)) continue;
    const Result<std::string> input = read_document_input(document.path);
    if (input && !checked_before_drawing(*input, document.path, job.strict, job.picture.quiet, stderr)) {
      report(messages::kRefusedByStrictCheck);
      document.refusal = error_line();
    }
  }
  const std::vector<std::string> clashes = picture_name_clashes(documents);
  for (const std::string& line : clashes) std::fprintf(stderr, "%s\n", line.c_str());
  if (!clashes.empty()) return kExitUsage;

  std::error_code error;
  std::filesystem::create_directories(settings.outputDirectory, error);
  if (error) {
    report(messages::kCannotCreateOutputDirectory, file_and_reason(settings.outputDirectory, error.value()));
    std::fprintf(stderr, "%s\n", error_line().c_str());
    return kExitFailed;
  }
  std::unique_ptr<std::FILE, FileCloser> reportFile;
  if (job.report) {
    reportFile.reset(std::fopen(job.report->c_str(), "w"));
    if (!reportFile) {
      report(messages::kCannotWrite, file_and_reason(*job.report, errno));
      std::fprintf(stderr, "%s\n", error_line().c_str());
      return kExitFailed;
    }
  }
  const auto observe = [&reportFile](const BatchOutcome& outcome) {
    if (!reportFile) return;
    nlohmann::ordered_json line{{"input", outcome.document.path}};
    if (outcome.failure) {
      line["error"] = *outcome.failure;
    } else {
      line["output"] = outcome.document.picture;
      if (outcome.skipped) line["skipped"] = true;
    }
    // File names are bytes: one that is not UTF-8 is written with U+FFFD rather than refused.
    std::fprintf(reportFile.get(), "%s\n", line.dump(-1, ' ', false, decltype(line)::error_handler_t::replace).c_str());
    std::fflush(reportFile.get());
  };

  const std::atomic<bool>& interrupted = stop_on_signals();
  const bool progress = !job.picture.quiet && ::isatty(STDERR_FILENO) != 0;
  const BatchCounts counts = draw_documents(settings, documents, interrupted, stderr, progress, observe);
  const bool stopped = interrupted.load();
  if (!job.picture.quiet || counts.failed > 0 || stopped) {
    std::fprintf(stderr, "%s\n", batch_summary(counts, settings.outputDirectory, stopped).c_str());
  }
  return stopped ? kExitInterrupted : counts.failed > 0 ? kExitFailed : kExitOk;
}

}  // namespace tolvex::command
