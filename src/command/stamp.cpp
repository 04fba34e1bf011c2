// tolvex stamp INVOICE.pdf [DOCUMENT] -o OUT.pdf: the code of a document placed onto a page of a PDF.
#include <cstdio>

#include "cli/describe.h"
#include "command/common.h"
#include "command/subcommands.h"
#include "tolvex/stamp.hpp"

namespace tolvex::command {

CLI::App* add_stamp(CLI::App& app, StampJob& job) {
  CLI::App* sub = app.add_subcommand("stamp", "the QR code of a document placed onto a page of a PDF");
  sub->add_option("pdf", job.pdf, "the PDF to stamp, such as the invoice")->type_name("PDF")->required();
  sub->add_option("file", job.file, "the document or encoded text (default: standard input)")->type_name("FILE");
  sub->add_option("-o,--output", job.output, "the stamped PDF (may be the input)")->type_name("OUT")->required();
  sub->add_option_function<std::string>(
         "--page", [&job](const std::string& value) { job.page = whole_number(value, 1, 1000000); },
         "the page, 1 the first (default: the last)")
      ->check(CLI::Validator(
          [](std::string& value) -> std::string {
            if (whole_number(value, 1, 1000000)) return {};
            return "'" + value + "' is not a whole number from 1 to 1000000";
          },
          ""))
      ->type_name("N");
  add_picture_options(*sub, job.picture, true, false);
  sub->footer(
      "\nExamples:\n"
      "  tolvex stamp invoice.pdf invoice.xml --position=bottom-right --size=30mm -o sent.pdf\n"
      "  tolvex stamp invoice.pdf invoice.xml --page=1 --at=150,240 -o invoice.pdf\n");
  return sub;
}

int run_stamp(const StampJob& job) {
  const Result<std::string> input = read_document_input(job.file);
  if (!input) {
    print_failure(input.error(), std::nullopt);
    return kExitFailed;
  }
  const PictureChoices& choices = job.picture;
  const Form form = choices.from ? form_named(*choices.from).value_or(Form::xml) : detect_form(*input);
  const Result<EncodedDocument> encoded = encoded_document(*input, form);
  if (!encoded) {
    print_failure(encoded.error(), job.file);
    return kExitFailed;
  }
  StampOptions options{.picture = picture_options(choices, ImageFormat::pdf,
                                                  find_logo_directory(logo_search(choices.logoDir))),
                       .page = job.page,
                       .at = choices.at};
  if (choices.position) options.position = position_named(*choices.position);
  if (choices.pageMargin) options.pageMargin = *choices.pageMargin;
  describe(encoded->text, options.picture);
  if (const Result<void> stamped = stamp_pdf(encoded->text, job.pdf, job.output, options); !stamped) {
    print_failure(options.picture.logo ? with_logo_file(stamped.error(), encoded->family, *options.picture.logo)
                                       : stamped.error(),
                  job.pdf);
    return kExitFailed;
  }
  if (!choices.quiet) std::fprintf(stderr, "wrote %s\n", job.output.c_str());
  return kExitOk;
}

}  // namespace tolvex::command
