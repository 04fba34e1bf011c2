// tolvex stamp INVOICE.pdf [DOCUMENT] -o OUT.pdf: the code of a document placed onto a page of a PDF.
#include <cstdio>

#include "cli/describe.h"
#include "command/common.h"
#include "command_programs/programs.h"
#include "tolvex/stamp.hpp"

namespace tolvex::command {

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
