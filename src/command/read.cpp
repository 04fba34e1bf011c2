// tolvex read's options; the reading itself runs in the program tolvex-read.
#include "command/common.h"
#include "command/subcommands.h"

namespace tolvex::command {
namespace {

// An hour: a file that needs longer is not one to wait for.
constexpr std::int32_t kMaxReadTimeoutSeconds = 3600;

}  // namespace

CLI::App* add_read(CLI::App& app, ReadJob& job) {
  CLI::App* sub = app.add_subcommand("read", "every code of pictures (PNG, JPEG) and PDF files");
  sub->add_option("files", job.files, "the pictures and PDF files")->type_name("FILE")->required();
  CLI::Option* json = sub->add_flag("--json", job.json, "one JSON array, an object a code");
  CLI::Option* csv = sub->add_flag("--csv", job.csv, "one CSV row a payment, for bookkeeping");
  CLI::Option* text = sub->add_flag("--text", job.text, "the bare encoded texts, one a line");
  json->excludes(csv)->excludes(text);
  csv->excludes(text);
  sub->add_flag("--first", job.first, "only the first document of each file");
  sub->add_flag("-q,--quiet", job.quiet, "no notes on codes that are not tolvex codes");
  sub->add_option_function<std::string>(
         "--timeout",
         [&job](const std::string& value) {
           job.timeoutSeconds = whole_number(value, 1, kMaxReadTimeoutSeconds).value_or(job.timeoutSeconds);
         },
         "the longest one file may take to read, in seconds (default 10)")
      ->check(whole_number_from(1, kMaxReadTimeoutSeconds))
      ->type_name("SECONDS");
  sub->footer(
      "\nBy default each document's summary, named by file and page.\n"
      "\nExample:\n  tolvex read --csv invoices/*.pdf > payments.csv\n");
  return sub;
}

}  // namespace tolvex::command
