// Any input into check. It never fails but for memory; it calls the input free of errors exactly
// when the input encodes, and its first error carries the line encoding fails with.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codec/base32hex.h"
#include "require.h"
#include "tolvex/check.hpp"
#include "tolvex/decode.hpp"
#include "tolvex/encode.hpp"
#include "tolvex/json.hpp"

using namespace tolvex;
using tolvex::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const Result<std::vector<Finding>> found = check(input);
  require(found.has_value(), "check runs on any input");
  for (const Finding& finding : *found) {
    require(!finding.rule.empty(), "every finding has a rule");
    require(finding.value.size() <= 80, "values are cut");
    require(finding.severity == Severity::warning || !finding.errorLine.empty(), "errors carry their line");
  }
  const bool error = !found->empty() && found->front().severity == Severity::error;
  // Told apart as the tolvex command does: JSON by "{" or "[", base32hex letters alone an encoded
  // text, anything else XML.
  constexpr std::string_view kWhiteSpace = " \t\r\n\f\v";
  const std::size_t start = input.find_first_not_of(kWhiteSpace);
  const char first = start == std::string_view::npos ? '<' : input[start];
  const bool json = first == '{' || first == '[';
  const std::string_view text =
      start == std::string_view::npos ? std::string_view() : input.substr(start, input.find_last_not_of(kWhiteSpace) + 1 - start);
  const bool encodedText = !json && !text.empty() && std::all_of(text.begin(), text.end(), is_base32hex_letter);
  // Encoded texts are only decoded: what decodes is free of errors.
  if (encodedText) {
    require(error != decode(input).has_value(), "an encoded text has an error exactly when it does not decode");
    return 0;
  }
  const Result<std::string> encoded = json ? encode_json(input) : encode_xml(input);
  require(error != encoded.has_value(), "an error exactly when encoding fails");
  if (error) require(found->front().errorLine == encoded.error().line, "the first error is encoding's line");
  return 0;
}
