// The container the QR code carries, written as base32hex:
//
//   header byte 0, header byte 1, payload length (little-endian 16 bits), raw LZMA1 stream
//
// where the payload is the CRC-32 of the field text (little-endian) followed by the text. The
// header travels uncompressed so that read_header finds the family without decompressing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/error.h"
#include "document/document.h"

namespace tolvex {

// Packs a field text under the header and writes the container as base32hex into text.
// ERROR_COMPRESSION when the payload does not fit the 16-bit length field; text is left
// unchanged on failure.
[[nodiscard]] ErrorCode container_encode(const DocumentHeader& header, std::string_view fieldText,
                                         std::string* text);

// Unpacks the first length characters of a base32hex text into its header and field text:
// ERROR_BASE32HEX for a text that is not base32hex, ERROR_UNKNOWN_DOCUMENT "Header not found. "
// when it holds no header, ERROR_COMPRESSION for a broken stream, ERROR_CHECKSUM when the
// checksum is missing or wrong. Outputs are written only on success.
[[nodiscard]] ErrorCode container_decode(const char* text, std::size_t length, DocumentHeader* header,
                                         std::string* fieldText);

}  // namespace tolvex
