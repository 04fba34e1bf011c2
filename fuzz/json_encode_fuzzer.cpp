// JSON text into encode_json. Whatever encodes must decode again, and the decoded document's JSON
// must encode to the same text; every failure is recorded with the code it returns.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "require.h"
#include "tolvex/decode.hpp"
#include "tolvex/json.hpp"

using namespace tolvex;
using tolvex::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view json(reinterpret_cast<const char*>(data), size);
  const Result<std::string> text = encode_json(json);
  if (!text) {
    require(last_error().code == static_cast<ErrorCode>(text.error().code), "the record holds the returned code");
    require(text.error().code != Errc::ok, "a failure has a code");
    return 0;
  }
  const Result<DocumentPtr<>> decoded = decode(*text);
  require(decoded.has_value(), "the encoding decodes");
  const Result<std::string> again = to_json(**decoded);
  require(again.has_value(), "a decoded document has a JSON form");
  const Result<std::string> reencoded = encode_json(*again);
  require(reencoded.has_value() && *reencoded == *text, "the decoded JSON encodes to the same text");
  return 0;
}
