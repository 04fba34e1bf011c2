// tolvex stamp's options; the stamping itself runs in the program tolvex-stamp.
#include "command/common.h"
#include "command/subcommands.h"

namespace tolvex::command {

CLI::App* add_stamp(CLI::App& app, StampJob& job) {
  CLI::App* sub = app.add_subcommand("stamp", "the QR code of a document placed onto a page of a PDF");
  sub->add_option("pdf", job.pdf, "the PDF to stamp, such as the invoice")->type_name("PDF")->required();
  sub->add_option("file", job.file, "the document or encoded text (default: standard input)")->type_name("FILE");
  sub->add_option("-o,--output", job.output, "the stamped PDF (may be the input)")->type_name("OUT")->required();
  sub->add_option_function<std::string>(
         "--page", [&job](const std::string& value) { job.page = whole_number(value, 1, 1000000); },
         "the page, 1 the first (default: the last)")
      ->check(whole_number_from(1, 1000000))
      ->type_name("N");
  add_picture_options(*sub, job.picture, true, false);
  sub->footer(
      "\nExamples:\n"
      "  tolvex stamp invoice.pdf invoice.xml --position=bottom-right --size=30mm -o sent.pdf\n"
      "  tolvex stamp invoice.pdf invoice.xml --page=1 --at=150,240 -o invoice.pdf\n");
  return sub;
}

}  // namespace tolvex::command
