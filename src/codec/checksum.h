// The CRC-32 in front of the payload text: the common one of zlib and PNG (reflected
// polynomial 0xEDB88320, initial and final xor 0xFFFFFFFF); "123456789" gives 0xCBF43926.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tolvex {

// 0 for a null pointer or no bytes.
std::uint32_t crc32(const std::uint8_t* bytes, std::size_t length);

}  // namespace tolvex
