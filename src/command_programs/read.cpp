// tolvex read FILE...: every code of pictures and PDF files, each named by file and page.
#include <chrono>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "command/common.h"
#include "command_programs/programs.h"
#include "scan/scan_report.h"
#include "tolvex/decode.hpp"
#include "tolvex/scan.hpp"
#include "tolvex/summary.hpp"
#include "tolvex/xml.hpp"

namespace tolvex::command {
namespace {

using Json = nlohmann::ordered_json;

std::string place(const std::string& file, std::int32_t page) { return file + ", page " + std::to_string(page); }

std::string field(const Document& document, const std::string& path) {
  const Result<XmlFieldValue> value = document_field(document, path);
  return value && value->present ? value->text : std::string();
}

std::string csv_field(const std::string& value) {
  if (value.find_first_of(",\"\r\n") == std::string::npos) return value;
  std::string quoted = "\"";
  for (const char c : value) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

constexpr const char* kCsvHeader =
    "file,page,family,amount,currency,account,due_date,invoice_id,variable_symbol,constant_symbol,specific_symbol\n";

// One row a payment: every payment of a payment order, the payable amount of an invoice, and a
// row without an amount for invoice lines, which carry no payment.
void write_csv_rows(const std::string& file, std::int32_t page, const Document& document) {
  const auto row = [&](const std::vector<std::string>& values) {
    std::string line = csv_field(file) + "," + std::to_string(page);
    for (const std::string& value : values) line += "," + csv_field(value);
    std::printf("%s\n", line.c_str());
  };
  const std::string invoice = field(document, "InvoiceID");
  switch (document.header.family()) {
    case kFamilyPay: {
      const Result<XmlFieldValue> payments = document_field(document, "Payments");
      const std::uint32_t count = payments && payments->present ? payments->count : 0;
      for (std::uint32_t i = 0; i < count; ++i) {
        const std::string at = "Payments/" + std::to_string(i) + "/";
        row({"Pay", field(document, at + "Amount"), field(document, at + "CurrencyCode"),
             field(document, at + "BankAccounts/0/IBAN"), field(document, at + "PaymentDueDate"), invoice,
             field(document, at + "VariableSymbol"), field(document, at + "ConstantSymbol"),
             field(document, at + "SpecificSymbol")});
      }
      break;
    }
    case kFamilyInvoice:
      row({"Invoice", field(document, "MonetarySummary/PayableAmount"), field(document, "LocalCurrencyCode"), "", "",
           invoice, "", "", ""});
      break;
    default:
      row({"InvoiceItems", "", "", "", "", invoice, "", "", ""});
      break;
  }
}

void write_summary(const std::string& file, std::int32_t page, const Document& document) {
  const Result<std::string> text = summary(document);
  std::printf("%s:\n", place(file, page).c_str());
  if (!text) {
    std::printf("  %s\n", text.error().line.c_str());
    return;
  }
  std::size_t start = 0;
  while (start < text->size()) {
    const std::size_t end = std::min(text->find('\n', start), text->size());
    std::printf("  %s\n", text->substr(start, end - start).c_str());
    start = end + 1;
  }
}

class Reader {
 public:
  explicit Reader(const ReadJob& job) : job_(job) {}

  int run() {
    if (job_.csv) std::fputs(kCsvHeader, stdout);
    for (const std::string& file : job_.files) read_file(file);
    // File names are bytes: one that is not UTF-8 is written with U+FFFD rather than refused.
    if (job_.json) std::printf("%s\n", array_.dump(2, ' ', false, Json::error_handler_t::replace).c_str());
    return std::fflush(stdout) == 0 && !failed_ ? kExitOk : kExitFailed;
  }

 private:
  void read_file(const std::string& file) {
    ScanOptions options;
    options.timeout = std::chrono::seconds(job_.timeoutSeconds);
    const Result<std::vector<ScannedCode>> codes = scan_file(file, options);
    if (!codes) return fail(codes.error());
    // A file that gives no document fails, as it does for tolvexdecode; its other codes are still shown.
    const Result<std::size_t> first = first_document(*codes, file);
    if (!first) fail(first.error());
    if (job_.first) {
      if (first) show(file, (*codes)[*first]);
      return;
    }
    for (const ScannedCode& code : *codes) show(file, code);
  }

  void show(const std::string& file, const ScannedCode& code) {
    if (job_.json) {
      array_.push_back(scanned_code_json(file, code));
      return;
    }
    if (job_.text) {
      std::printf("%s\n", code.text.c_str());
      return;
    }
    if (code.code != ERROR_OK) {
      // A damaged tolvex code is an error; a foreign code is only worth a note.
      if (code.tolvex || !job_.quiet) std::fprintf(stderr, "%s: %s\n", place(file, code.page).c_str(), code.error.c_str());
      return;
    }
    const Result<DocumentPtr<>> document = decode(code.text);
    if (!document) return fail(document.error());
    if (job_.csv) {
      write_csv_rows(file, code.page, **document);
    } else {
      write_summary(file, code.page, **document);
    }
  }

  void fail(const Error& error) {
    std::fprintf(stderr, "%s\n", error.line.c_str());
    failed_ = true;
  }

  const ReadJob& job_;
  Json array_ = Json::array();
  bool failed_ = false;
};

}  // namespace

int run_read(const ReadJob& job) { return Reader(job).run(); }

}  // namespace tolvex::command
