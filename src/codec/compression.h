// The LZMA step of the container: a raw LZMA1 stream with fixed properties (lc 3, lp 0, pb 2,
// dictionary 128 KiB) and neither a properties header nor an end marker, behind a 16-bit
// little-endian length of the uncompressed payload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/error.h"

namespace tolvex {

// The space to reserve for the length field and the compressed stream of an n-byte payload.
std::size_t compress_bound(std::size_t n);

// Compresses length bytes into destination + 2 using at most *capacity - 2 bytes there, then
// writes length into destination[0..1] and sets *capacity to 2 plus the compressed size.
// ERROR_COMPRESSION when the compressor fails, the output does not fit, or length does not
// fit the 16-bit length field.
[[nodiscard]] ErrorCode compress_payload(const std::uint8_t* payload, std::size_t length,
                                         std::uint8_t* destination, std::size_t* capacity);

// Reads the length field and decodes that many bytes from the stream behind it; input left
// over after them is ignored, and a stream that carries an end marker is read too.
// ERROR_COMPRESSION for fewer than 2 bytes, a corrupt stream or one that ends early. On
// failure bytes is left unchanged; a null bytes only checks the stream.
[[nodiscard]] ErrorCode decompress_payload(const std::uint8_t* source, std::size_t length,
                                           std::vector<std::uint8_t>* bytes);

}  // namespace tolvex
