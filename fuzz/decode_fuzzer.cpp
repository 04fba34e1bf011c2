// Arbitrary text into decode_to_xml. Input starting with byte 0x01 is instead two header bytes
// and a field text, packed into a valid container first, so that the fuzzer reaches the
// rebuilding of documents behind the checksum. The XML of a text that decodes is well-formed,
// and encoding is stable from the first round trip on: the XML of the re-encoded document,
// encoded again, decodes to that same XML. The first round trip itself may change the XML, and
// that is the format's nature, not a fault: a field text of another encoder may carry decimals
// with more than eight places, whose computed amounts the XML shows from the full values while
// it writes the carried ones to eight places; bytes that XML cannot carry are replaced; and an
// empty flag set is written like an absent one.
#include <libxml/parser.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/container.h"
#include "codec/field_buffer.h"
#include "require.h"
#include "tolvex/decode.hpp"
#include "tolvex/encode.hpp"

using namespace tolvex;
using tolvex::fuzz::require;

namespace {

constexpr std::uint8_t kPackFields = 0x01;

// The XML an encoded text decodes to, after one more round trip through encoding; false when
// the XML does not encode (a document that is valid only as decoded, for one).
bool round_trip(const std::string& xml, std::string& text, std::string& xmlAgain) {
  if (encode_xml(xml.data(), xml.size(), &text) != ERROR_OK) return false;
  require(decode_to_xml(text.data(), text.size(), &xmlAgain, nullptr) == ERROR_OK, "re-encoding decodes");
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  if (size >= 3 && data[0] == kPackFields) {
    if (size - 3 > kLongestEncodableText) return 0;
    DocumentHeader header;
    header.bytes = {data[1], data[2]};
    require(container_encode(header, std::string_view(text).substr(3), &text) == ERROR_OK,
            "a field text of at most 64 KiB packs");
  }

  std::string xml;
  if (decode_to_xml(text.data(), text.size(), &xml, nullptr) != ERROR_OK) return 0;
  require(xml.size() <= INT_MAX, "the XML fits libxml2's length");
  xmlDoc* parsed = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "decoded.xml", nullptr, 0);
  require(parsed != nullptr, "decoded XML is well-formed");
  xmlFreeDoc(parsed);

  // The limit must not refuse a long document that decoded.
  serialisation_set_sequence_limit(kLongestEncodableText);
  std::string once;
  std::string xmlOnce;
  if (!round_trip(xml, once, xmlOnce)) return 0;
  std::string twice;
  std::string xmlTwice;
  require(round_trip(xmlOnce, twice, xmlTwice), "the XML of a re-encoded document encodes");
  require(xmlTwice == xmlOnce, "encoding again decodes to the same XML");
  require(twice == once, "encoding again gives the same text");
  return 0;
}
