#include "codec/base32hex.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tolvex {
namespace {

std::vector<std::uint8_t> bytes_of(std::string_view text) { return {text.begin(), text.end()}; }

std::string encoded(const std::vector<std::uint8_t>& bytes) {
  std::string text = "unchanged";
  EXPECT_EQ(base32hex_encode(bytes.data(), bytes.size(), &text), ERROR_OK);
  return text;
}

struct Vector {
  const char* bytes;
  const char* text;
};

class Base32hexVectorTest : public ::testing::TestWithParam<Vector> {};

// The base32hex vectors of RFC 4648 with their padding removed.
TEST_P(Base32hexVectorTest, EncodesAndDecodes) {
  EXPECT_EQ(encoded(bytes_of(GetParam().bytes)), GetParam().text);
  std::vector<std::uint8_t> decoded;
  const std::string text = GetParam().text;
  ASSERT_EQ(base32hex_decode(text.data(), text.size(), &decoded), ERROR_OK);
  EXPECT_EQ(decoded, bytes_of(GetParam().bytes));
}

INSTANTIATE_TEST_SUITE_P(Rfc4648, Base32hexVectorTest,
                         ::testing::Values(Vector{"", ""}, Vector{"f", "CO"}, Vector{"fo", "CPNG"},
                                           Vector{"foo", "CPNMU"}, Vector{"foob", "CPNMUOG"},
                                           Vector{"fooba", "CPNMUOJ1"}, Vector{"foobar", "CPNMUOJ1E8"}));

TEST(Base32hexEncode, LengthIsCeilingOfEightFifths) {
  const std::vector<std::size_t> lengths = {0, 2, 4, 5, 7, 8, 10, 12, 13, 15, 16};
  for (std::size_t n = 0; n < lengths.size(); ++n) {
    EXPECT_EQ(encoded(std::vector<std::uint8_t>(n, 0xA5)).size(), lengths[n]) << n;
  }
  EXPECT_EQ(encoded({0, 0}), "0000");
  EXPECT_EQ(encoded({0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), "VVVVVVVV");
  EXPECT_EQ(base32hex_encode(nullptr, 0, nullptr), ERROR_NULL_POINTER);
  EXPECT_EQ(last_error().message, "Base32hex pointer cannot be NULL.");
}

TEST(Base32hex, RoundTripsEveryLengthUpToTwenty) {
  std::mt19937 generator(20240115);
  std::uniform_int_distribution<int> byte(0, 255);
  for (std::size_t n = 0; n <= 20; ++n) {
    for (int trial = 0; trial < 20; ++trial) {
      std::vector<std::uint8_t> bytes(n);
      for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(byte(generator));
      const std::string text = encoded(bytes);
      ASSERT_EQ(text.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUV"), std::string::npos);
      std::vector<std::uint8_t> decoded;
      ASSERT_EQ(base32hex_decode(text.data(), text.size(), &decoded), ERROR_OK);
      ASSERT_EQ(decoded, bytes) << text;
    }
  }
}

TEST(Base32hex, RoundTripsEveryByteValue) {
  std::vector<std::uint8_t> bytes(256);
  for (int i = 0; i < 256; ++i) bytes[i] = static_cast<std::uint8_t>(i);
  const std::string text = encoded(bytes);
  std::vector<std::uint8_t> decoded;
  ASSERT_EQ(base32hex_decode(text.data(), text.size(), &decoded), ERROR_OK);
  EXPECT_EQ(decoded, bytes);
}

struct DecodeCase {
  std::string text;
  std::vector<std::uint8_t> bytes;
};

class Base32hexDecodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Base32hexDecodeTest, Decodes) {
  std::vector<std::uint8_t> decoded = {0xEE};
  ASSERT_EQ(base32hex_decode(GetParam().text.data(), GetParam().text.size(), &decoded), ERROR_OK);
  EXPECT_EQ(decoded, GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(Texts, Base32hexDecodeTest,
                         ::testing::Values(DecodeCase{"CPNMU===", {'f', 'o', 'o'}},
                                           DecodeCase{"CPNMU=", {'f', 'o', 'o'}}, DecodeCase{"========", {}},
                                           DecodeCase{"=", {}}, DecodeCase{"", {}},
                                           // one leftover character gives no byte, three give one
                                           DecodeCase{"CPNMUOJ1C", {'f', 'o', 'o', 'b', 'a'}},
                                           DecodeCase{"CPNMUOJ1CPN", {'f', 'o', 'o', 'b', 'a', 'f'}},
                                           // the bits after the last whole byte are dropped unchecked
                                           DecodeCase{"CV", {0x67}}, DecodeCase{"0V", {0x07}}));

TEST(Base32hexDecode, UsesTheGivenLengthNotTheTerminator) {
  const char text[] = "CPNMUOJ1E8xyz";
  std::vector<std::uint8_t> decoded;
  ASSERT_EQ(base32hex_decode(text, 10, &decoded), ERROR_OK);
  EXPECT_EQ(decoded, bytes_of("foobar"));
  ASSERT_EQ(base32hex_decode(text, 4, &decoded), ERROR_OK);
  EXPECT_EQ(decoded, bytes_of("fo"));
}

class Base32hexInvalidTest : public ::testing::TestWithParam<std::string> {};

TEST_P(Base32hexInvalidTest, FailsWithCodeOneAndKeepsTheOutput) {
  const std::string& text = GetParam();
  std::vector<std::uint8_t> decoded = {0xEE};
  set_error_message(ERROR_OK, "");
  EXPECT_EQ(base32hex_decode(text.data(), text.size(), &decoded), ERROR_BASE32HEX);
  EXPECT_EQ(last_error().code, ERROR_BASE32HEX);
  EXPECT_EQ(last_error().message, "Invalid base32hex string. ");
  EXPECT_EQ(decoded, std::vector<std::uint8_t>{0xEE});
}

INSTANTIATE_TEST_SUITE_P(Texts, Base32hexInvalidTest,
                         ::testing::Values("cpnmu", "CPNMU\n", "CP=MU", "CP MU", std::string("CP\0MU", 5),
                                           "W", "CPNMUOJ1E8Z", "CPNMUOJ1E8X=", "CPNMUOJ1E8+"));

TEST(Base32hexDecode, NullTextIsCodeOne) {
  EXPECT_EQ(base32hex_decode(nullptr, 4, nullptr), ERROR_BASE32HEX);
  EXPECT_EQ(last_error().message, "Base32hex cannot be NULL. ");
}

TEST(ReadHeader, TakesTheFirstTwoBytes) {
  DocumentHeader header;
  ASSERT_EQ(read_header("2000", 4, &header), ERROR_OK);
  EXPECT_EQ(header.bytes, (std::array<std::uint8_t, 2>{0x10, 0x00}));

  const std::vector<std::uint8_t> container = {0x10, 0x20, 0x68, 0x00, 0x00, 0x12, 0x34};
  const std::string text = encoded(container);
  ASSERT_EQ(read_header(text.data(), text.size(), &header), ERROR_OK);
  EXPECT_EQ(header.family(), 1u);
  EXPECT_EQ(header.document_type(), 2u);
}

TEST(ReadHeader, Failures) {
  DocumentHeader header;
  header.bytes = {0xAB, 0xCD};
  EXPECT_EQ(read_header(nullptr, 8, &header), ERROR_NULL_POINTER);
  EXPECT_EQ(last_error().message, "Base32hex cannot be NULL. ");
  EXPECT_EQ(read_header("200", 3, &header), ERROR_UNKNOWN_DOCUMENT);
  EXPECT_EQ(last_error().message, "Header not found. ");
  EXPECT_EQ(read_header("20000000000000000000000000000000a", 33, &header), ERROR_BASE32HEX);
  EXPECT_EQ(last_error().message, "Invalid base32hex string. ");
  EXPECT_EQ(read_header("20==", 4, &header), ERROR_UNKNOWN_DOCUMENT);
  EXPECT_EQ(read_header("====", 4, &header), ERROR_UNKNOWN_DOCUMENT);
  EXPECT_EQ(header.bytes, (std::array<std::uint8_t, 2>{0xAB, 0xCD}));
}

}  // namespace
}  // namespace tolvex
