// Arbitrary text into decode_to_xml. Input starting with byte 0x01 is instead two header bytes
// and a field text, packed into a valid container first (CRC-32, LZMA, base32hex), so that the
// fuzzer reaches the rebuilding of documents behind the checksum. The XML of a text that
// decodes is well-formed, and when it encodes again it decodes to the same XML: unless the
// writer had to replace bytes that XML cannot carry, that being lossy by design, as is an empty
// flag set, which is written like an absent one.
#include <libxml/parser.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codec/base32hex.h"
#include "codec/checksum.h"
#include "codec/compression.h"
#include "codec/container.h"
#include "codec/decode.h"
#include "codec/field_buffer.h"
#include "require.h"

using namespace tolvex;
using tolvex::fuzz::require;

namespace {

constexpr std::uint8_t kPackFields = 0x01;
constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// The container of a field text under the given header, as encode_document builds it.
bool pack(const std::uint8_t* header, const std::uint8_t* fields, std::size_t length, std::string& text) {
  if (length > kLongestEncodableText) return false;
  const std::uint32_t checksum = crc32(fields, length);
  std::vector<std::uint8_t> payload;
  for (int i = 0; i < 4; ++i) payload.push_back(static_cast<std::uint8_t>(checksum >> (8 * i)));
  payload.insert(payload.end(), fields, fields + length);
  std::size_t capacity = compress_bound(payload.size());
  std::vector<std::uint8_t> container(2 + capacity);
  container[0] = header[0];
  container[1] = header[1];
  require(compress_payload(payload.data(), payload.size(), container.data() + 2, &capacity) == ERROR_OK,
          "a payload of at most 64 KiB compresses");
  container.resize(2 + capacity);
  require(base32hex_encode(container.data(), container.size(), &text) == ERROR_OK, "base32hex encodes");
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  if (size >= 3 && data[0] == kPackFields && !pack(data + 1, data + 3, size - 3, text)) return 0;

  std::string xml;
  if (decode_to_xml(text.data(), text.size(), &xml, nullptr) != ERROR_OK) return 0;
  require(xml.size() <= INT_MAX, "the XML fits libxml2's length");
  xmlDoc* parsed = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "decoded.xml", nullptr, 0);
  require(parsed != nullptr, "decoded XML is well-formed");
  xmlFreeDoc(parsed);
  if (xml.find(kReplacementCharacter) != std::string::npos) return 0;

  // The limit must not refuse a long document that decoded.
  serialisation_set_sequence_limit(kLongestEncodableText);
  std::string again;
  if (encode_xml(xml.data(), xml.size(), &again) != ERROR_OK) return 0;
  std::string xmlAgain;
  require(decode_to_xml(again.data(), again.size(), &xmlAgain, nullptr) == ERROR_OK, "re-encoding decodes");
  require(xmlAgain == xml, "re-encoding decodes to the same XML");
  return 0;
}
