// Every finding of a document, where it is, before a code is made of it.
//
//   tolvex::Result<std::vector<tolvex::Finding>> found = tolvex::check(xml);
//   for (const tolvex::Finding& f : *found) std::puts(f.message.c_str());
//
// Errors are what the document's rules refuse (encoding fails); warnings are the strict checks
// those rules leave out: IBAN check digits and country formats, BIC countries, calendar dates,
// currencies in use and their decimals, elements unknown at their place, invoice totals.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tolvex/result.hpp"

namespace tolvex {

enum class Severity { error, warning };

struct Finding {
  Severity severity = Severity::error;
  std::string rule;              // stable dotted key: "pay.bank-account.iban.check-digits"
  std::string path;              // element path with positions from 0: "Payments/0/BankAccounts/2/BIC"
  std::optional<long> line;      // in the input, from 1; absent for an encoded text
  std::optional<long> column;    // of the element's start tag or the member's name, from 1 (bytes)
  std::string value;             // the value as written, at most 80 bytes
  std::string message;           // a plain English sentence
  std::string errorLine;         // errors only: the line the tools print for this failure
};

// Checks an XML document, a document in the JSON form or an encoded text, told apart as the
// tolvex command does: "{" or "[" first is JSON, base32hex letters alone an encoded text, anything
// else XML. Errors come first, the first one being the failure encoding meets, then every other
// failure reading and the rules meet, in their order; then warnings in document order. Fails
// only when the check itself cannot run (memory).
[[nodiscard]] Result<std::vector<Finding>> check(std::string_view document);

// "error" or "warning".
[[nodiscard]] std::string_view severity_name(Severity severity);

// Whether a code may be made: no error, and under strict no warning either.
[[nodiscard]] bool check_passes(std::span<const Finding> findings, bool strict);

// The report as one JSON object: {"file": ..., "valid": ..., "diagnostics": [...]}; the file
// member only when a file is named. Under strict, warnings are reported as errors.
[[nodiscard]] std::string check_report_json(std::span<const Finding> findings,
                                            std::optional<std::string_view> file = std::nullopt,
                                            bool strict = false);

// One line a finding as compilers write them, "file:line:column: warning: message (value) [rule]",
// then a summary line.
[[nodiscard]] std::string check_report_text(std::span<const Finding> findings, std::string_view file,
                                            bool strict = false);

}  // namespace tolvex
