// Base32hex (the extended hex alphabet of RFC 4648), upper case and without padding: the text
// form of the container that the QR code carries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/error.h"
#include "document/document.h"
#include "tolvex/header.hpp"

namespace tolvex {

// A character of the alphabet, or the padding "=" that decoding ignores.
[[nodiscard]] constexpr bool is_base32hex_letter(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'V') || c == '=';
}

// Writes ceil(8n / 5) characters for the n bytes; no "=" is ever written. Fails only when
// text is null (ERROR_NULL_POINTER). bytes may be null when n is 0.
[[nodiscard]] ErrorCode base32hex_encode(const std::uint8_t* bytes, std::size_t n, std::string* text);

// Decodes the first length characters; trailing "=" are ignored and leftover bits of a last
// partial group are dropped unchecked. Any other character outside the alphabet (lower case,
// spaces, line ends, zero bytes) fails with ERROR_BASE32HEX, as does a null text. On failure
// bytes is left unchanged; a null bytes only checks the text.
[[nodiscard]] ErrorCode base32hex_decode(const char* text, std::size_t length,
                                         std::vector<std::uint8_t>* bytes);

}  // namespace tolvex
