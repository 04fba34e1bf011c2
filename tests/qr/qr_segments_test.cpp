#include "qr/qr_segments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvex {
namespace {

using Segments = std::vector<std::pair<QrMode, int>>;
constexpr QrMode N = QrMode::kNumeric;
constexpr QrMode A = QrMode::kAlphanumeric;
constexpr QrMode B = QrMode::kByte;
constexpr QrMode K = QrMode::kKanji;

const std::uint8_t* bytes(const std::string& text) {
  return reinterpret_cast<const std::uint8_t*>(text.data());
}

Segments listed(const QrSegmentTable& table) {
  Segments segments;
  for (std::int32_t entry = table.first(); entry != QrSegmentTable::kNone; entry = table.next(entry)) {
    segments.emplace_back(table[entry].mode, table[entry].length);
  }
  return segments;
}

Segments built(const std::string& text) {
  QrSegmentTable table;
  qr_build_segments(table, bytes(text), static_cast<int>(text.size()));
  return listed(table);
}

Segments merged(const std::string& text, int group) {
  QrSegmentTable table;
  qr_build_segments(table, bytes(text), static_cast<int>(text.size()));
  qr_merge_numeric_alphanumeric(table, group);
  qr_merge_into_bytes(table, group);
  table.compact();
  Segments segments;
  for (const QrSegment& segment : table.segments()) segments.emplace_back(segment.mode, segment.length);
  EXPECT_EQ(segments, listed(table));
  return segments;
}

struct ClassCase {
  std::string text;
  int position;
  QrMode mode;
  int size;
};

class QrClassifyTest : public ::testing::TestWithParam<ClassCase> {};

TEST_P(QrClassifyTest, ClassAndSize) {
  const ClassCase& c = GetParam();
  const QrCharacter character =
      qr_classify_character(bytes(c.text), static_cast<int>(c.text.size()), c.position);
  EXPECT_EQ(character.mode, c.mode);
  EXPECT_EQ(character.size, c.size);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, QrClassifyTest,
    ::testing::Values(
        ClassCase{"0", 0, N, 1}, ClassCase{"9", 0, N, 1}, ClassCase{"A", 0, A, 1}, ClassCase{"Z", 0, A, 1},
        ClassCase{" ", 0, A, 1}, ClassCase{"$", 0, A, 1}, ClassCase{"%", 0, A, 1}, ClassCase{"*", 0, A, 1},
        ClassCase{"+", 0, A, 1}, ClassCase{"-", 0, A, 1}, ClassCase{".", 0, A, 1}, ClassCase{"/", 0, A, 1},
        ClassCase{":", 0, A, 1}, ClassCase{"a", 0, B, 1}, ClassCase{"#", 0, B, 1}, ClassCase{"\x7F", 0, B, 1},
        ClassCase{std::string(1, '\0'), 0, B, 1}, ClassCase{"\x93\x5F", 0, K, 2},
        ClassCase{"\x81\x40", 0, K, 2},
        ClassCase{"\x81\xFF", 0, K, 2},  // no upper bound on the second byte here
        ClassCase{"\x9F\xFC", 0, K, 2}, ClassCase{"\x9F\xFD", 0, B, 1}, ClassCase{"\xE0\x40", 0, K, 2},
        ClassCase{"\xEB\xBF", 0, K, 2}, ClassCase{"\xEB\xC0", 0, B, 1}, ClassCase{"\x81\x3F", 0, B, 1},
        ClassCase{"\x80\x40", 0, B, 1}, ClassCase{"\xA0\x40", 0, B, 1}, ClassCase{"\xDF\x40", 0, B, 1},
        ClassCase{"\xEC\x40", 0, B, 1}, ClassCase{"A\x93", 1, B, 1},  // lead byte in the last position
        ClassCase{"\x93\x5F", 1, B, 1}));

TEST(QrAlphanumericValue, TheFortyFiveCharacters) {
  const std::string charset = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
  for (int byte = 0; byte < 256; ++byte) {
    const std::size_t position = charset.find(static_cast<char>(byte));
    const int expected = byte != 0 && position != std::string::npos ? static_cast<int>(position) : -1;
    EXPECT_EQ(qr_alphanumeric_value(static_cast<std::uint8_t>(byte)), expected) << byte;
  }
}

struct BitsCase {
  QrMode mode;
  int length;
  int group;
  int bits;
};

class QrSegmentBitsTest : public ::testing::TestWithParam<BitsCase> {};

TEST_P(QrSegmentBitsTest, IndicatorCountAndData) {
  const BitsCase& c = GetParam();
  EXPECT_EQ(qr_segment_bits(c.mode, c.length, c.group), c.bits);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, QrSegmentBitsTest,
    ::testing::Values(BitsCase{N, 1, 0, 18}, BitsCase{N, 2, 0, 21}, BitsCase{N, 3, 0, 24},
                      BitsCase{N, 4, 0, 28}, BitsCase{N, 20, 1, 4 + 12 + 60 + 7},
                      BitsCase{N, 7, 2, 4 + 14 + 20 + 4}, BitsCase{A, 1, 0, 19}, BitsCase{A, 2, 0, 24},
                      BitsCase{A, 3, 0, 30}, BitsCase{A, 3, 1, 32}, BitsCase{A, 3, 2, 34},
                      BitsCase{B, 1, 0, 20}, BitsCase{B, 5, 1, 60}, BitsCase{B, 5, 2, 60},
                      BitsCase{K, 2, 0, 25}, BitsCase{K, 6, 1, 4 + 10 + 39}, BitsCase{K, 6, 2, 4 + 12 + 39}));

TEST(QrBuildSegments, RunsOfOneClass) {
  EXPECT_EQ(built("A1B"), (Segments{{A, 1}, {N, 1}, {A, 1}}));
  EXPECT_EQ(built("hello World 123 test"),
            (Segments{{B, 5}, {A, 2}, {B, 4}, {A, 1}, {N, 3}, {A, 1}, {B, 4}}));
  EXPECT_EQ(built("\x93\x5F\x93\x5F"
                  "12"),
            (Segments{{K, 4}, {N, 2}}));
  EXPECT_EQ(built("\x9F\xFD"), (Segments{{B, 2}}));
  EXPECT_EQ(built("a\x93"), (Segments{{B, 2}}));
  EXPECT_EQ(built("7"), (Segments{{N, 1}}));
}

TEST(QrMergeSegments, WorkedExamples) {
  EXPECT_EQ(merged("A1B", 0), (Segments{{A, 3}}));
  EXPECT_EQ(merged("hello World 123 test", 0), (Segments{{B, 20}}));
  EXPECT_EQ(merged("12345678901234567890ABC", 0), (Segments{{N, 20}, {A, 3}}));
  EXPECT_EQ(merged("\x93\x5F", 0), (Segments{{K, 2}}));
  EXPECT_EQ(merged("\x9F\xFD", 0), (Segments{{B, 2}}));
}

TEST(QrMergeSegments, AlternatingDigitsAndLettersBecomeOneAlphanumericSegment) {
  std::string text;
  for (int i = 0; i < 100; ++i) text += "1A";
  EXPECT_EQ(merged(text, 0), (Segments{{A, 200}}));
  std::string longer;
  for (int i = 0; i < 2000; ++i) longer += "A1";
  EXPECT_EQ(merged(longer, 2), (Segments{{A, 4000}}));
}

TEST(QrMergeSegments, PassOneAloneMergesIntoAlphanumeric) {
  QrSegmentTable table;
  const std::string text = "AB12CD";
  qr_build_segments(table, bytes(text), static_cast<int>(text.size()));
  qr_merge_numeric_alphanumeric(table, 0);
  EXPECT_EQ(listed(table), (Segments{{A, 6}}));
}

// Pass 1 next to byte segments; in group 0 a byte segment of n bytes costs 12 + 8n bits.
TEST(QrMergeSegments, PassOneWeighsTheByteNeighbours) {
  // "1" + "B" alone: 18 + 19 bits, as alphanumeric 24. The front candidate (byte "a1", then
  // "B") costs 28 + 19 = 47 against 24 + 20 = 44 and is dropped; there is no back candidate.
  QrSegmentTable table;
  std::string text = "a1B";
  qr_build_segments(table, bytes(text), static_cast<int>(text.size()));
  qr_merge_numeric_alphanumeric(table, 0);
  EXPECT_EQ(listed(table), (Segments{{B, 1}, {A, 2}}));
  // Pass 2 then finds one byte segment of 3 (36 bits) cheaper than 20 + 24.
  qr_merge_into_bytes(table, 0);
  EXPECT_EQ(listed(table), (Segments{{B, 3}}));

  // The back candidate ("1", then byte "Bc") costs 18 + 28 = 46 against 24 + 20 = 44: dropped too.
  text = "a1Bc";
  qr_build_segments(table, bytes(text), static_cast<int>(text.size()));
  qr_merge_numeric_alphanumeric(table, 0);
  EXPECT_EQ(listed(table), (Segments{{B, 1}, {A, 2}, {B, 1}}));
}

TEST(QrMergeSegments, PassTwoMergesShortSegmentsIntoBytes) {
  QrSegmentTable table;
  const std::string text = "ab1cd";
  qr_build_segments(table, bytes(text), static_cast<int>(text.size()));
  qr_merge_numeric_alphanumeric(table, 0);
  EXPECT_EQ(listed(table), (Segments{{B, 2}, {N, 1}, {B, 2}}));
  qr_merge_into_bytes(table, 0);
  EXPECT_EQ(listed(table), (Segments{{B, 5}}));
  // Long numeric runs are worth their own segment.
  EXPECT_EQ(merged("ab1234567890123cd", 0), (Segments{{B, 2}, {N, 13}, {B, 2}}));
}

TEST(QrMergeSegments, GroupWidthsChangeTheDecision) {
  // Six digits after one byte: in group 0 they cost 20 + 34 = 54 bits apart and 12 + 56 = 68
  // less the 12 of the byte header that follows as one byte segment, 56; in group 1 they cost
  // 28 + 36 = 64 apart against 76 - 20 = 56.
  EXPECT_EQ(merged("a123456b", 0), (Segments{{B, 1}, {N, 6}, {B, 1}}));
  EXPECT_EQ(merged("a123456b", 1), (Segments{{B, 8}}));
}

}  // namespace
}  // namespace tolvex
