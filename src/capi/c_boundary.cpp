#include "capi/c_boundary.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace tolvex::capi {

ErrorCode hand_out(const void* bytes, std::size_t size, void** out) noexcept {
  if (size == std::numeric_limits<std::size_t>::max()) return report(messages::kNotEnoughMemory);
  void* block = std::malloc(size + 1);
  if (block == nullptr) return report(messages::kNotEnoughMemory);
  if (size > 0) std::memcpy(block, bytes, size);
  static_cast<char*>(block)[size] = '\0';
  *out = block;
  return ERROR_OK;
}

ErrorCode hand_out_text(std::string_view text, char** out, std::size_t* length) noexcept {
  void* block = nullptr;
  if (const ErrorCode code = hand_out(text.data(), text.size(), &block)) return code;
  *out = static_cast<char*>(block);
  if (length != nullptr) *length = text.size();
  return ERROR_OK;
}

ErrorCode hand_out_bytes(const std::vector<std::uint8_t>& bytes, unsigned char** data,
                         std::int32_t* size) noexcept {
  // Pictures are bounded far below this; the check keeps the size argument honest.
  if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    return report(messages::kCannotWriteImage);
  void* block = nullptr;
  if (const ErrorCode code = hand_out(bytes.data(), bytes.size(), &block)) return code;
  *data = static_cast<unsigned char*>(block);
  if (size != nullptr) *size = static_cast<std::int32_t>(bytes.size());
  return ERROR_OK;
}

ErrorCode require(const void* pointer, const Message& message) noexcept {
  return pointer == nullptr ? report(message) : ERROR_OK;
}

}  // namespace tolvex::capi
