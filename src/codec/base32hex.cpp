#include "codec/base32hex.h"

#include <algorithm>
#include <array>

#include "base/messages.h"

namespace tolvex {
namespace {

constexpr char kAlphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
constexpr std::int8_t kNoValue = -1;

// Character to 5-bit value; kNoValue outside the alphabet.
constexpr std::array<std::int8_t, 256> kValues = [] {
  std::array<std::int8_t, 256> values{};
  values.fill(kNoValue);
  for (std::int8_t i = 0; i < 32; ++i) values[static_cast<unsigned char>(kAlphabet[i])] = i;
  return values;
}();

// A group of 5 bytes is 8 characters; bytes and characters are read most significant bit first.
constexpr std::size_t kGroupBytes = 5;
constexpr std::size_t kGroupChars = 8;

ErrorCode invalid_text() { return report(messages::kInvalidBase32hexString); }

}  // namespace

ErrorCode base32hex_encode(const std::uint8_t* bytes, std::size_t n, std::string* text) {
  if (text == nullptr) return report(messages::kBase32hexPointerCannotBeNull);
  std::string encoded;
  encoded.reserve((8 * n + 4) / 5);
  for (std::size_t start = 0; start < n; start += kGroupBytes) {
    const std::size_t taken = std::min(kGroupBytes, n - start);
    std::uint64_t group = 0;
    for (std::size_t i = 0; i < kGroupBytes; ++i) group = (group << 8) | (i < taken ? bytes[start + i] : 0);
    // A partial group keeps only the characters that carry its bits: ceil(8 * taken / 5).
    const std::size_t chars = (8 * taken + 4) / 5;
    for (std::size_t i = 0; i < chars; ++i) encoded.push_back(kAlphabet[(group >> (35 - 5 * i)) & 0x1F]);
  }
  *text = std::move(encoded);
  return ERROR_OK;
}

ErrorCode base32hex_decode(const char* text, std::size_t length, std::vector<std::uint8_t>* bytes) {
  if (text == nullptr) return report(messages::kBase32hexToDecodeCannotBeNull);
  std::size_t m = length;
  while (m > 0 && text[m - 1] == '=') --m;
  std::vector<std::uint8_t> decoded;
  decoded.reserve(5 * m / 8);
  for (std::size_t start = 0; start < m; start += kGroupChars) {
    const std::size_t taken = std::min(kGroupChars, m - start);
    std::uint64_t group = 0;
    for (std::size_t i = 0; i < kGroupChars; ++i) {
      std::int8_t value = 0;
      if (i < taken) {
        value = kValues[static_cast<unsigned char>(text[start + i])];
        if (value == kNoValue) return invalid_text();
      }
      group = (group << 5) | static_cast<std::uint64_t>(value);
    }
    // Only whole bytes count: floor(5 * taken / 8); the bits left over are dropped.
    const std::size_t count = 5 * taken / 8;
    for (std::size_t i = 0; i < count; ++i)
      decoded.push_back(static_cast<std::uint8_t>(group >> (32 - 8 * i)));
  }
  if (bytes != nullptr) *bytes = std::move(decoded);
  return ERROR_OK;
}

ErrorCode read_header(const char* text, std::size_t length, DocumentHeader* header) {
  if (text == nullptr) return report(messages::kBase32hexCannotBeNull);
  // Four characters are the fewest that hold the two header bytes.
  if (length < 4) return report(messages::kHeaderNotFound);
  std::vector<std::uint8_t> bytes;
  if (const ErrorCode code = base32hex_decode(text, length, &bytes); code != ERROR_OK) return code;
  // Trailing "=" can leave fewer characters than the header needs.
  if (bytes.size() < 2) return report(messages::kHeaderNotFound);
  if (header != nullptr) header->bytes = {bytes[0], bytes[1]};
  return ERROR_OK;
}

}  // namespace tolvex
