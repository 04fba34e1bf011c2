#include "codec/container.h"

#include <cstdint>
#include <vector>

#include "base/messages.h"
#include "codec/base32hex.h"
#include "codec/checksum.h"
#include "codec/compression.h"

namespace tolvex {
namespace {

constexpr std::size_t kHeaderBytes = 2;
constexpr std::size_t kChecksumBytes = 4;

// CRC-32 of the text, lowest byte first, then the text.
std::vector<std::uint8_t> build_payload(std::string_view text) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const std::uint32_t checksum = crc32(bytes, text.size());
  std::vector<std::uint8_t> payload;
  payload.reserve(kChecksumBytes + text.size());
  for (std::size_t i = 0; i < kChecksumBytes; ++i)
    payload.push_back(static_cast<std::uint8_t>(checksum >> (8 * i)));
  payload.insert(payload.end(), bytes, bytes + text.size());
  return payload;
}

}  // namespace

ErrorCode container_encode(const DocumentHeader& header, std::string_view fieldText, std::string* text) {
  const std::vector<std::uint8_t> payload = build_payload(fieldText);
  std::size_t capacity = compress_bound(payload.size());
  std::vector<std::uint8_t> container(kHeaderBytes + capacity);
  container[0] = header.bytes[0];
  container[1] = header.bytes[1];
  if (const ErrorCode code =
          compress_payload(payload.data(), payload.size(), container.data() + kHeaderBytes, &capacity)) {
    return code;
  }
  container.resize(kHeaderBytes + capacity);
  return base32hex_encode(container.data(), container.size(), text);
}

ErrorCode container_decode(const char* text, std::size_t length, DocumentHeader* header,
                           std::string* fieldText) {
  std::vector<std::uint8_t> container;
  if (const ErrorCode code = base32hex_decode(text, length, &container)) return code;
  // Padding characters alone decode to nothing, which holds no header either.
  if (container.size() < kHeaderBytes) return report(messages::kHeaderNotFound);

  std::vector<std::uint8_t> payload;
  if (const ErrorCode code =
          decompress_payload(container.data() + kHeaderBytes, container.size() - kHeaderBytes, &payload)) {
    return code;
  }
  if (payload.size() < kChecksumBytes) return report(messages::kChecksumNotFound);
  const std::uint32_t stored =
      payload[0] | payload[1] << 8 | payload[2] << 16 | std::uint32_t{payload[3]} << 24;
  if (stored != crc32(payload.data() + kChecksumBytes, payload.size() - kChecksumBytes)) {
    return report(messages::kChecksumMismatch);
  }
  if (header != nullptr) header->bytes = {container[0], container[1]};
  if (fieldText != nullptr) {
    fieldText->assign(reinterpret_cast<const char*>(payload.data()) + kChecksumBytes,
                      payload.size() - kChecksumBytes);
  }
  return ERROR_OK;
}

}  // namespace tolvex
