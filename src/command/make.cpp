// tolvex make [FILE] -o OUT: the picture of a document (XML, JSON or an encoded text).
#include <cstdio>

#include "cli/describe.h"
#include "command/common.h"
#include "command/subcommands.h"
#include "tolvex/picture.hpp"

namespace tolvex::command {

CLI::App* add_make(CLI::App& app, MakeJob& job) {
  CLI::App* sub = app.add_subcommand("make", "the QR code picture of a document");
  sub->add_option("file", job.file, "the document or encoded text (default: standard input)")->type_name("FILE");
  sub->add_option("-o,--output", job.output, "the picture file, or - for standard output")
      ->type_name("OUT")
      ->required();
  sub->add_flag("--strict", job.strict, "refuse the document when the check finds anything (see tolvex check)");
  add_picture_options(*sub, job.picture, true);
  sub->footer(
      "\nExamples:\n"
      "  tolvex make examples/pay-single.xml -o payment.png\n"
      "  tolvex make --no-logo --size 400 -o - invoice.json | zbarimg -q --raw -\n");
  return sub;
}

int run_make(const MakeJob& job) {
  const Result<std::string> input = read_document_input(job.file);
  if (!input) {
    print_failure(input.error(), std::nullopt);
    return kExitFailed;
  }
  const PictureChoices& choices = job.picture;
  if (!checked_before_drawing(*input, job.file && *job.file != "-" ? *job.file : "<stdin>", job.strict,
                              choices.quiet, stderr)) {
    return kExitFailed;
  }
  const Form form = choices.from ? form_named(*choices.from).value_or(Form::xml) : detect_form(*input);
  const Result<EncodedDocument> encoded = encoded_document(*input, form);
  if (!encoded) {
    print_failure(encoded.error(), job.file);
    return kExitFailed;
  }
  const ImageFormat format = choices.format ? format_named(*choices.format).value_or(ImageFormat::png)
                                            : format_of_name(job.output).value_or(ImageFormat::png);
  PictureOptions options = picture_options(choices, format, find_logo_directory(logo_search(choices.logoDir)));
  // Vector files for print: small, the same in every run, and telling a reader what they ask for.
  options.compactVector = true;
  describe(encoded->text, options);
  const Result<std::vector<std::uint8_t>> picture = render(encoded->text, options);
  if (!picture) {
    print_failure(options.logo ? with_logo_file(picture.error(), encoded->family, *options.logo) : picture.error(),
                  job.file);
    return kExitFailed;
  }
  if (const Result<void> written = write_output(job.output, *picture); !written) {
    print_failure(written.error(), std::nullopt);
    return kExitFailed;
  }
  if (!choices.quiet && job.output != "-") std::fprintf(stderr, "wrote %s\n", job.output.c_str());
  return kExitOk;
}

}  // namespace tolvex::command
