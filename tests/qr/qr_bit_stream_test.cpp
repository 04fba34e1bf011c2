#include "qr/qr_bit_stream.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "qr/qr_context.h"

namespace tolvex {
namespace {

const std::uint8_t* bytes(const std::string& text) {
  return reinterpret_cast<const std::uint8_t*>(text.data());
}

std::vector<int> data_codewords(const QrEncodeContext& context, int count) {
  return {context.data.begin(), context.data.begin() + count};
}

// Writes values most significant bit first, to build expected streams by hand.
class ExpectedStream {
 public:
  ExpectedStream& put(std::uint32_t value, int count) {
    for (int bit = count - 1; bit >= 0; --bit) bits_.push_back(((value >> bit) & 1u) != 0);
    return *this;
  }
  int size() const { return static_cast<int>(bits_.size()); }
  std::vector<int> bytes(int count) const {
    std::vector<int> out(static_cast<std::size_t>(count), 0);
    for (std::size_t i = 0; i < bits_.size(); ++i) {
      if (bits_[i]) out[i / 8] |= 0x80 >> (i % 8);
    }
    return out;
  }

 private:
  std::vector<bool> bits_;
};

class QrBitStreamTest : public ::testing::Test {
 protected:
  std::unique_ptr<QrEncodeContext> context = std::make_unique<QrEncodeContext>();

  int choose(const std::string& text, QrErrorCorrection level = QrErrorCorrection::L, int requested = 0) {
    context->level = level;
    return qr_choose_version(*context, requested, bytes(text), static_cast<int>(text.size()));
  }
  void finish(int version) {
    context->version = version;
    qr_add_terminator_and_padding(*context);
  }
};

TEST_F(QrBitStreamTest, PutBitsAppendsMostSignificantFirst) {
  context->data.fill(0);
  int position = qr_put_bits(*context, 0, 0b0010, 4);
  position = qr_put_bits(*context, position, 3, 9);
  position = qr_put_bits(*context, position, 0x1FFFF, 5);  // only the low five bits
  EXPECT_EQ(position, 18);
  EXPECT_EQ(context->data[0], 0x20);
  EXPECT_EQ(context->data[1], 0x1F);
  EXPECT_EQ(context->data[2], 0xC0);
}

TEST_F(QrBitStreamTest, PutBitsStopsAtTheEndForGood) {
  context->data.fill(0);
  EXPECT_EQ(qr_put_bits(*context, kQrMaxDataBits - 3, 0b111, 3), kQrMaxDataBits);
  EXPECT_EQ(context->data[kQrMaxDataCodewords - 1], 0x07);
  EXPECT_EQ(qr_put_bits(*context, kQrMaxDataBits - 3, 0b1111, 4), -1);
  EXPECT_EQ(qr_put_bits(*context, -1, 1, 1), -1);
  EXPECT_EQ(qr_put_bits(*context, kQrMaxDataBits, 0, 0), kQrMaxDataBits);
}

TEST_F(QrBitStreamTest, AlphanumericWorkedExample) {
  ASSERT_EQ(choose("A1B"), 1);
  EXPECT_EQ(context->bit_count, 30);
  finish(1);
  std::vector<int> expected = {0x20, 0x19, 0xC3, 0x2C, 0x00};
  for (int i = 0; i < 14; ++i) expected.push_back(i % 2 == 0 ? 0xEC : 0x11);
  EXPECT_EQ(data_codewords(*context, 19), expected);
}

TEST_F(QrBitStreamTest, SingleDigit) {
  ASSERT_EQ(choose("1"), 1);
  EXPECT_EQ(context->bit_count, 18);
  finish(1);
  EXPECT_EQ(context->bit_count, 22);
  std::vector<int> expected = {0x10, 0x04, 0x40};
  for (int i = 0; i < 16; ++i) expected.push_back(i % 2 == 0 ? 0xEC : 0x11);
  EXPECT_EQ(data_codewords(*context, 19), expected);
}

TEST_F(QrBitStreamTest, NumericAndAlphanumericSegments) {
  const std::string text = "12345678901234567890ABC";
  ASSERT_EQ(choose(text), 1);
  EXPECT_EQ(context->bit_count, 111);
  finish(1);
  EXPECT_EQ(context->bit_count, 115);
  ExpectedStream stream;
  stream.put(0b0001, 4).put(20, 10);
  for (int value : {123, 456, 789, 12, 345, 678}) stream.put(static_cast<std::uint32_t>(value), 10);
  stream.put(90, 7).put(0b0010, 4).put(3, 9).put(45 * 10 + 11, 11).put(12, 6).put(0, 4);
  std::vector<int> expected = stream.bytes(15);
  for (int i = 0; i < 4; ++i) expected.push_back(i % 2 == 0 ? 0xEC : 0x11);
  EXPECT_EQ(data_codewords(*context, 19), expected);
}

TEST_F(QrBitStreamTest, KanjiValues) {
  // 0x935F and 0xE4AA: the two ranges of Shift JIS double-byte characters.
  ASSERT_EQ(choose("\x93\x5F\xE4\xAA"), 1);
  finish(1);
  ExpectedStream stream;
  stream.put(0b1000, 4).put(2, 8).put(0x0D9F, 13).put(0x1AAA, 13).put(0, 4);
  const std::vector<int> expected = stream.bytes(6);
  EXPECT_EQ(data_codewords(*context, 6), expected);
}

TEST_F(QrBitStreamTest, ByteSegmentKeepsEveryValue) {
  const std::string text("\x00\xFF\x80", 3);
  ASSERT_EQ(choose(text), 1);
  finish(1);
  ExpectedStream stream;
  stream.put(0b0100, 4).put(3, 8).put(0x00, 8).put(0xFF, 8).put(0x80, 8).put(0, 4);
  EXPECT_EQ(data_codewords(*context, 5), stream.bytes(5));
}

TEST_F(QrBitStreamTest, FullCapacityGetsNoTerminatorAndNoPadding) {
  // 34 digits at level M in version 1: 4 + 10 + 11 x 10 + 4 = 128 bits = 16 codewords.
  const std::string digits = "1234567890123456789012345678901234";
  ASSERT_EQ(choose(digits, QrErrorCorrection::M), 1);
  EXPECT_EQ(context->bit_count, 128);
  finish(1);
  EXPECT_EQ(context->bit_count, 128);
  EXPECT_EQ(context->data[15], 0xB4);  // the end of 123 (1011), then the last digit 4 (0100)
}

TEST_F(QrBitStreamTest, ShortTerminatorWhenLittleRoomIsLeft) {
  // 41 digits: 4 + 10 + 13 x 10 + 7 = 151 bits in 152; one terminator bit.
  ASSERT_EQ(choose(std::string(41, '7')), 1);
  EXPECT_EQ(context->bit_count, 151);
  finish(1);
  EXPECT_EQ(context->bit_count, 152);
  EXPECT_EQ(context->data[18] & 1, 0);
}

struct BoundaryCase {
  std::string text;
  QrErrorCorrection level;
  int version;
};

void PrintTo(const BoundaryCase& c, std::ostream* out) {
  *out << c.text.size() << " x '" << c.text.front() << "' at level " << static_cast<int>(c.level);
}

class QrVersionBoundaryTest : public QrBitStreamTest, public ::testing::WithParamInterface<BoundaryCase> {};

TEST_P(QrVersionBoundaryTest, SmallestVersion) {
  EXPECT_EQ(choose(GetParam().text, GetParam().level), GetParam().version);
}

INSTANTIATE_TEST_SUITE_P(Capacities, QrVersionBoundaryTest,
                         ::testing::Values(BoundaryCase{std::string(25, 'A'), QrErrorCorrection::L, 1},
                                           BoundaryCase{std::string(26, 'A'), QrErrorCorrection::L, 2},
                                           BoundaryCase{std::string(41, '1'), QrErrorCorrection::L, 1},
                                           BoundaryCase{std::string(42, '1'), QrErrorCorrection::L, 2},
                                           BoundaryCase{std::string(17, 'a'), QrErrorCorrection::L, 1},
                                           BoundaryCase{std::string(18, 'a'), QrErrorCorrection::L, 2},
                                           BoundaryCase{std::string(335, 'A'), QrErrorCorrection::L, 9},
                                           BoundaryCase{std::string(336, 'A'), QrErrorCorrection::L, 10},
                                           BoundaryCase{std::string(17, '1'), QrErrorCorrection::H, 1},
                                           BoundaryCase{std::string(18, '1'), QrErrorCorrection::H, 2},
                                           BoundaryCase{std::string(10, 'A'), QrErrorCorrection::H, 1},
                                           BoundaryCase{std::string(11, 'A'), QrErrorCorrection::H, 2},
                                           BoundaryCase{std::string(7, 'a'), QrErrorCorrection::H, 1},
                                           BoundaryCase{std::string(8, 'a'), QrErrorCorrection::H, 2},
                                           BoundaryCase{std::string(4296, 'A'), QrErrorCorrection::L, 40},
                                           BoundaryCase{std::string(4297, 'A'), QrErrorCorrection::L, 0},
                                           BoundaryCase{std::string(2953, 'a'), QrErrorCorrection::L, 40},
                                           BoundaryCase{std::string(2954, 'a'), QrErrorCorrection::L, 0},
                                           BoundaryCase{std::string(7089, '1'), QrErrorCorrection::L, 40},
                                           BoundaryCase{std::string(1852, 'A'), QrErrorCorrection::H, 40},
                                           BoundaryCase{std::string(1853, 'A'), QrErrorCorrection::H, 0},
                                           BoundaryCase{std::string(3057, '1'), QrErrorCorrection::H, 40},
                                           BoundaryCase{std::string(3058, '1'), QrErrorCorrection::H, 0}));

TEST_F(QrBitStreamTest, KanjiCapacity) {
  std::string ten;
  for (int i = 0; i < 10; ++i) ten += "\x93\x5F";
  EXPECT_EQ(choose(ten), 1);
  EXPECT_EQ(choose(ten + "\x93\x5F"), 2);
  std::string most;
  for (int i = 0; i < 1817; ++i) most += "\x93\x5F";
  EXPECT_EQ(choose(most), 40);
  EXPECT_EQ(choose(most + "\x93\x5F"), 0);
}

TEST_F(QrBitStreamTest, RequestedGroupSetsTheCountWidths) {
  // A request for version 12 starts in group 1: the count of one digit takes 12 bits.
  ASSERT_EQ(choose("1", QrErrorCorrection::L, 12), 10);
  EXPECT_EQ(context->bit_count, 4 + 12 + 4);
  ASSERT_EQ(choose("1", QrErrorCorrection::L, 30), 27);
  EXPECT_EQ(context->bit_count, 4 + 14 + 4);
}

}  // namespace
}  // namespace tolvex
