// XML text into encode_xml. Whatever encodes must be base32hex that decodes again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "codec/base32hex.h"
#include "require.h"
#include "tolvex/decode.hpp"
#include "tolvex/encode.hpp"

using namespace tolvex;
using tolvex::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string untouched = "untouched";
  std::string text = untouched;
  const ErrorCode code = encode_xml(reinterpret_cast<const char*>(data), size, &text);
  if (code != ERROR_OK) {
    require(text == untouched, "a failed encoding leaves the text unchanged");
    require(last_error().code == code, "the record holds the returned code");
    return 0;
  }
  require(base32hex_decode(text.data(), text.size(), nullptr) == ERROR_OK, "the encoding is base32hex");
  std::string xml;
  require(decode_to_xml(text.data(), text.size(), &xml, nullptr) == ERROR_OK, "the encoding decodes");
  return 0;
}
