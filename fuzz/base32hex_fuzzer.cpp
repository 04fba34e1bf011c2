// Base32hex: arbitrary bytes encode and decode back to themselves; the same input read as text
// decodes without crashing, and read_header agrees with the decoding.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "codec/base32hex.h"
#include "require.h"

using namespace tolvex;
using tolvex::fuzz::require;

namespace {

bool in_alphabet(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'V'); }

void round_trip(const std::uint8_t* data, std::size_t size) {
  std::string text;
  require(base32hex_encode(data, size, &text) == ERROR_OK, "encoding succeeds");
  require(text.size() == (8 * size + 4) / 5, "ceil(8n / 5) characters");
  for (const char c : text) require(in_alphabet(c), "only alphabet characters");
  std::vector<std::uint8_t> bytes;
  require(base32hex_decode(text.data(), text.size(), &bytes) == ERROR_OK, "the encoding decodes");
  require(bytes == std::vector<std::uint8_t>(data, data + size), "decoding gives the bytes back");
}

void decode_text(const char* text, std::size_t length) {
  const std::vector<std::uint8_t> sentinel = {0xA5};
  std::vector<std::uint8_t> bytes = sentinel;
  const ErrorCode code = base32hex_decode(text, length, &bytes);
  require(base32hex_decode(text, length, nullptr) == code, "checking alone gives the same result");
  DocumentHeader header;
  const ErrorCode headerCode = read_header(text, length, &header);
  if (code != ERROR_OK) {
    require(code == ERROR_BASE32HEX, "invalid text is ERROR_BASE32HEX");
    require(bytes == sentinel, "a failed decoding leaves the bytes unchanged");
    require(headerCode == (length < 4 ? ERROR_UNKNOWN_DOCUMENT : ERROR_BASE32HEX),
            "read_header fails like the decoding");
    return;
  }
  std::size_t characters = length;
  while (characters > 0 && text[characters - 1] == '=') --characters;
  require(bytes.size() == 5 * characters / 8, "whole bytes of the characters before trailing '='");
  if (length < 4 || bytes.size() < 2) {
    require(headerCode == ERROR_UNKNOWN_DOCUMENT, "no header in fewer than two bytes");
    return;
  }
  require(headerCode == ERROR_OK && header.bytes[0] == bytes[0] && header.bytes[1] == bytes[1],
          "read_header gives the first two bytes");
  std::string again;
  require(base32hex_encode(bytes.data(), bytes.size(), &again) == ERROR_OK, "re-encoding succeeds");
  std::vector<std::uint8_t> back;
  require(base32hex_decode(again.data(), again.size(), &back) == ERROR_OK && back == bytes,
          "re-encoded bytes decode to themselves");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  round_trip(data, size);
  decode_text(reinterpret_cast<const char*>(data), size);
  return 0;
}
