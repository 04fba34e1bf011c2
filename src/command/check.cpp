// tolvex check [FILE...]: every finding of each document, as compilers report them or as JSON;
// and the check make and batch run before drawing.
#include <cstdio>
#include <string>

#include "command/common.h"
#include "command/subcommands.h"
#include "tolvex/check.hpp"

namespace tolvex::command {
namespace {

// What a report names standard input by.
constexpr std::string_view kStandardInputName = "<stdin>";

std::string shown_name(const std::optional<std::string>& file) {
  return file && *file != "-" ? *file : std::string(kStandardInputName);
}

// The report's finding lines, without its summary line.
std::string finding_lines(std::span<const Finding> findings, std::string_view file, bool strict) {
  std::string text = check_report_text(findings, file, strict);
  const std::size_t last = text.rfind('\n', text.size() - 2);
  return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

}  // namespace

CLI::App* add_check(CLI::App& app, CheckJob& job) {
  CLI::App* sub = app.add_subcommand("check", "every problem of documents, with its place, before a code is made");
  sub->add_option("files", job.files, "documents or encoded texts (default: standard input)")->type_name("FILE");
  sub->add_flag("--json", job.json, "one JSON object a file instead of lines");
  sub->add_flag("--strict", job.strict, "warnings count as errors");
  sub->add_flag("-q,--quiet", job.quiet, "errors only, without summary lines");
  sub->footer(
      "\nExamples:\n"
      "  tolvex check invoice.xml\n"
      "  tolvex check --strict --json payments/*.xml\n"
      "\nRule keys: docs/check-rules.md. Exit status: 0 no errors, 1 errors (or warnings with\n"
      "--strict), 2 a usage error.\n");
  return sub;
}

int run_check(const CheckJob& job) {
  std::vector<std::optional<std::string>> inputs;
  for (const std::string& file : job.files) inputs.emplace_back(file);
  if (inputs.empty()) inputs.emplace_back(std::nullopt);
  bool failed = false;
  for (const std::optional<std::string>& file : inputs) {
    const Result<std::string> input = read_document_input(file);
    if (!input) {
      print_failure(input.error(), std::nullopt);
      failed = true;
      continue;
    }
    const Result<std::vector<Finding>> found = check(*input);
    if (!found) {
      print_failure(found.error(), file);
      failed = true;
      continue;
    }
    const std::string name = shown_name(file);
    failed = failed || !check_passes(*found, job.strict);
    if (job.json) {
      std::printf("%s\n", check_report_json(*found, name, job.strict).c_str());
      continue;
    }
    if (!job.quiet) {
      std::fputs(check_report_text(*found, name, job.strict).c_str(), stdout);
      continue;
    }
    std::vector<Finding> errors;
    for (const Finding& finding : *found) {
      if (job.strict || finding.severity == Severity::error) errors.push_back(finding);
    }
    std::fputs(finding_lines(errors, name, job.strict).c_str(), stdout);
  }
  return failed ? kExitFailed : kExitOk;
}

bool checked_before_drawing(std::string_view input, std::string_view file, bool strict, bool quiet, std::FILE* err) {
  const Result<std::vector<Finding>> found = check(input);
  // A check that cannot run leaves the document to the drawing, which reports what stops it.
  if (!found) return true;
  if (strict) {
    if (check_passes(*found, true)) return true;
    std::fputs(finding_lines(*found, file, true).c_str(), err);
    return false;
  }
  if (quiet) return true;
  std::vector<Finding> warnings;
  for (const Finding& finding : *found) {
    if (finding.severity == Severity::warning) warnings.push_back(finding);
  }
  if (!warnings.empty()) std::fputs(finding_lines(warnings, file, false).c_str(), err);
  return true;
}

}  // namespace tolvex::command
