#include "codec/container.h"

#include <cstdint>
#include <vector>

#include "codec/base32hex.h"
#include "codec/checksum.h"
#include "codec/compression.h"
#include "codec/field_buffer.h"
#include "codec/serialise.h"
#include "xml/xml_read.h"

namespace tolvex {
namespace {

constexpr std::size_t kHeaderBytes = 2;
constexpr std::size_t kChecksumBytes = 4;

// CRC-32 of the text, lowest byte first, then the text.
std::vector<std::uint8_t> build_payload(const std::string& text) {
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

ErrorCode encode_document(const Document* document, std::string* text) {
  if (text == nullptr) return set_error_message(ERROR_NULL_POINTER, "Base32hex pointer cannot be NULL.");
  if (const ErrorCode code = document_validate(document); code != ERROR_OK) return code;

  FieldBuffer buffer;
  if (const ErrorCode code = serialise_document(buffer, document); code != ERROR_OK) return code;
  if (const ErrorCode code = check_sequence_limit(buffer, serialisation_settings()); code != ERROR_OK) {
    return code;
  }
  const std::vector<std::uint8_t> payload = build_payload(field_buffer_join(buffer));

  std::size_t capacity = compress_bound(payload.size());
  std::vector<std::uint8_t> container(kHeaderBytes + capacity);
  container[0] = buffer.header.bytes[0];
  container[1] = buffer.header.bytes[1];
  if (const ErrorCode code =
          compress_payload(payload.data(), payload.size(), container.data() + kHeaderBytes, &capacity);
      code != ERROR_OK) {
    return code;
  }
  container.resize(kHeaderBytes + capacity);
  return base32hex_encode(container.data(), container.size(), text);
}

ErrorCode encode_xml(const char* xml, std::size_t length, std::string* text) {
  return encode_xml_keep_document(xml, length, text, nullptr, true);
}

ErrorCode encode_xml_keep_document(const char* xml, std::size_t length, std::string* text,
                                   DocumentPtr<>* document, bool drop) {
  if (text == nullptr) return set_error_message(ERROR_NULL_POINTER, "Base32hex cannot be NULL. ");
  DocumentPtr<> read;
  if (const ErrorCode code = xml_read_document(xml, length, read); code != ERROR_OK) return code;
  // A root that names no family leaves no document; validation reports that.
  if (const ErrorCode code = encode_document(read.get(), text); code != ERROR_OK) return code;
  if (document == nullptr) return ERROR_OK;
  if (drop) {
    document->reset();
  } else {
    *document = std::move(read);
  }
  return ERROR_OK;
}

}  // namespace tolvex
