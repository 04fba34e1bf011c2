// tolvex decode [TEXT]: an encoded text back to its document, as a summary, XML or JSON.
#include <cstdio>

#include "command/common.h"
#include "command/subcommands.h"
#include "tolvex/decode.hpp"
#include "tolvex/json.hpp"
#include "tolvex/summary.hpp"
#include "tolvex/xml.hpp"

namespace tolvex::command {

CLI::App* add_decode(CLI::App& app, DecodeJob& job) {
  CLI::App* sub = app.add_subcommand("decode", "an encoded text to its document");
  sub->add_option("text", job.text, "the encoded text (default: standard input)")->type_name("TEXT");
  CLI::Option* xml = sub->add_flag("--xml", job.xml, "the document as XML");
  CLI::Option* json = sub->add_flag("--json", job.json, "the document as JSON");
  xml->excludes(json);
  sub->footer(
      "\nBy default a summary a person reads.\n"
      "\nExample:\n  zbarimg -q --raw payment.png | tolvex decode\n");
  return sub;
}

int run_decode(const DecodeJob& job) {
  std::string input;
  if (job.text) {
    input = *job.text;
  } else {
    Result<std::string> read = read_document_input(std::nullopt);
    if (!read) {
      print_failure(read.error(), std::nullopt);
      return kExitFailed;
    }
    input = std::move(*read);
  }
  const Result<DocumentPtr<>> document = decode(trimmed(input));
  if (!document) {
    print_failure(document.error(), std::nullopt);
    return kExitFailed;
  }
  const Result<std::string> output = job.xml    ? to_xml(**document)
                                     : job.json ? to_json(**document)
                                                : summary(**document);
  if (!output) {
    print_failure(output.error(), std::nullopt);
    return kExitFailed;
  }
  std::fwrite(output->data(), 1, output->size(), stdout);
  if (output->empty() || output->back() != '\n') std::fputc('\n', stdout);
  return std::fflush(stdout) == 0 ? kExitOk : kExitFailed;
}

}  // namespace tolvex::command
