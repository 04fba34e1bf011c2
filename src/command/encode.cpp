// tolvex encode [FILE]: the encoded text of an XML or JSON document on standard output.
#include <cstdio>

#include "command/common.h"
#include "command/subcommands.h"

namespace tolvex::command {

CLI::App* add_encode(CLI::App& app, EncodeJob& job) {
  CLI::App* sub = app.add_subcommand("encode", "the encoded text of a document (XML or JSON)");
  sub->add_option("file", job.file, "the document (default: standard input)")->type_name("FILE");
  sub->add_option("--from", job.from, "what the input holds (default: told by its first character)")
      ->type_name("FORM")
      ->check(one_of({"xml", "json"}));
  sub->footer("\nExample:\n  tolvex encode examples/invoice.xml > invoice.txt\n");
  return sub;
}

int run_encode(const EncodeJob& job) {
  const Result<std::string> input = read_document_input(job.file);
  if (!input) {
    print_failure(input.error(), std::nullopt);
    return kExitFailed;
  }
  const Form form = job.from ? form_named(*job.from).value_or(Form::xml) : (detect_form(*input) == Form::json ? Form::json : Form::xml);
  const Result<EncodedDocument> encoded = encoded_document(*input, form);
  if (!encoded) {
    print_failure(encoded.error(), job.file);
    return kExitFailed;
  }
  std::printf("%s\n", encoded->text.c_str());
  return std::fflush(stdout) == 0 ? kExitOk : kExitFailed;
}

}  // namespace tolvex::command
