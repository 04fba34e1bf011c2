#include "codec/checksum.h"

#include <lzma.h>

namespace tolvex {

std::uint32_t crc32(const std::uint8_t* bytes, std::size_t length) {
  if (bytes == nullptr || length == 0) return 0;
  return lzma_crc32(bytes, length, 0);
}

}  // namespace tolvex
