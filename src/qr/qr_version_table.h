// The constant tables of the QR Code encoder.
//
// Only two tables are typed in: the error correction codewords per block and the number of
// blocks, from the error correction characteristics of ISO/IEC 18004. Everything else (symbol
// capacity, block structure, alignment centres, the Galois field, generator polynomials and
// the format and version bits) follows from them by the formulas below, at compile time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tolvex {

// Error correction levels; their values are the column order of every per-level table.
enum class QrErrorCorrection : std::uint8_t { L = 0, M = 1, Q = 2, H = 3 };
inline constexpr int kQrLevelCount = 4;

constexpr std::size_t qr_level_index(QrErrorCorrection level) { return static_cast<std::size_t>(level); }

inline constexpr int kQrMinVersion = 1;
inline constexpr int kQrMaxVersion = 40;
inline constexpr int kQrMaxWidth = 177;

// Largest buffers, all set by version 40: data codewords at level L, all codewords, and the
// largest Reed-Solomon block (versions 37-L and 38-L).
inline constexpr int kQrMaxDataCodewords = 2956;
inline constexpr int kQrMaxTotalCodewords = 3706;
inline constexpr int kQrMaxBlockCodewords = 153;
inline constexpr int kQrMaxDataBits = kQrMaxDataCodewords * 8;

constexpr int qr_width(int version) { return 4 * version + 17; }

// The encoder's mode codes; the values index the per-mode tables below.
enum class QrMode : std::uint8_t { kNumeric = 0, kAlphanumeric = 1, kByte = 2, kKanji = 3 };

// Mode indicator written in front of a segment, by mode code.
inline constexpr std::array<std::uint32_t, 4> kQrModeIndicator = {0b0001, 0b0010, 0b0100, 0b1000};

// Character count indicator widths. Rows: mode code; columns: count-width group
// (group 0 = versions 1-9, group 1 = versions 10-26, group 2 = versions 27-40).
inline constexpr std::array<std::array<int, 3>, 4> kQrCountWidth = {{
    {10, 12, 14},  // numeric
    {9, 11, 13},   // alphanumeric
    {8, 16, 16},   // byte
    {8, 10, 12},   // kanji
}};

inline constexpr int kQrGroupCount = 3;
inline constexpr std::array<int, kQrGroupCount> kQrGroupFirstVersion = {1, 10, 27};
inline constexpr std::array<int, kQrGroupCount> kQrGroupLastVersion = {9, 26, 40};

// The count-width group of a version; a request for version 0 (automatic) starts in group 0.
constexpr int qr_count_group(int version) { return version <= 9 ? 0 : (version <= 26 ? 1 : 2); }

// Error correction codewords per block. Rows: level L, M, Q, H; columns: version (0 unused).
inline constexpr std::array<std::array<std::int8_t, 41>, kQrLevelCount> kQrEcCodewordsPerBlock = {{
    {0,  7,  10, 15, 20, 26, 18, 20, 24, 30, 18, 20, 24, 26, 30, 22, 24, 28, 30, 28, 28,
     28, 28, 30, 30, 26, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
    {0,  10, 16, 26, 18, 24, 16, 18, 22, 22, 26, 30, 22, 22, 24, 24, 28, 28, 26, 26, 26,
     26, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28},
    {0,  13, 22, 18, 26, 18, 24, 18, 22, 20, 24, 28, 26, 24, 20, 30, 24, 28, 28, 26, 30,
     28, 30, 30, 30, 30, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
    {0,  17, 28, 22, 16, 22, 28, 26, 26, 24, 28, 24, 28, 22, 24, 24, 30, 28, 28, 26, 28,
     30, 24, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
}};

// Number of error correction blocks. Rows: level L, M, Q, H; columns: version (0 unused).
inline constexpr std::array<std::array<std::int8_t, 41>, kQrLevelCount> kQrBlockCount = {{
    {0, 1, 1, 1,  1,  1,  2,  2,  2,  2,  4,  4,  4,  4,  4,  6,  6,  6,  6,  7, 8,
     8, 9, 9, 10, 12, 12, 12, 13, 14, 15, 16, 17, 18, 19, 19, 20, 21, 22, 24, 25},
    {0,  1,  1,  1,  2,  2,  4,  4,  4,  5,  5,  5,  8,  9,  9,  10, 10, 11, 13, 14, 16,
     17, 17, 18, 20, 21, 23, 25, 26, 28, 29, 31, 33, 35, 37, 38, 40, 43, 45, 47, 49},
    {0,  1,  1,  2,  2,  4,  4,  6,  6,  8,  8,  8,  10, 12, 16, 12, 17, 16, 18, 21, 20,
     23, 23, 25, 27, 29, 34, 34, 35, 38, 40, 43, 45, 48, 51, 53, 56, 59, 62, 65, 68},
    {0,  1,  1,  2,  4,  4,  4,  5,  6,  8,  8,  11, 11, 16, 16, 18, 16, 19, 21, 25, 25,
     25, 34, 30, 32, 35, 37, 40, 42, 45, 48, 51, 54, 57, 60, 63, 66, 70, 74, 77, 81},
}};

// Number of alignment centre coordinates of a version, the fixed first coordinate 6 included.
constexpr int qr_alignment_coordinate_count(int version) { return version < 2 ? 0 : version / 7 + 2; }

// Modules left for codewords: the square less finder patterns with separators (three 8 x 8
// corners), format areas with the dark module (31), both timing patterns, the alignment
// patterns (25 modules each, 5 of them shared with a timing pattern when centred on row or
// column 6) and the two 6 x 3 version blocks. The count includes the remainder bits.
constexpr int qr_data_module_count(int version) {
  const int width = qr_width(version);
  int modules = width * width - 3 * 64 - 31 - 2 * (width - 16);
  const int n = qr_alignment_coordinate_count(version);
  if (n > 0) modules -= 25 * (n * n - 3) - 10 * (n - 2);
  if (version >= 7) modules -= 2 * 18;
  return modules;
}

// Reed-Solomon block layout of one block size: count, codewords per block, data codewords per block.
struct QrBlockInfo {
  std::int32_t count = 0;
  std::int32_t total = 0;
  std::int32_t data = 0;
};

// One version's capacity and layout; the per-level arrays are ordered L, M, Q, H.
struct QrVersionInfo {
  std::int32_t version = 0;
  std::int32_t total_codewords = 0;
  std::array<std::int32_t, kQrLevelCount> data_codewords{};
  std::int32_t alignment_count = 0;
  std::array<std::int32_t, 6> alignment{};  // centres after the fixed 6, increasing; 0 past the count
  std::array<QrBlockInfo, kQrLevelCount> group1{};
  std::array<QrBlockInfo, kQrLevelCount> group2{};  // blocks one data codeword longer; may be empty
};

namespace qr_table_detail {

constexpr QrVersionInfo make_version_info(int version) {
  QrVersionInfo info;
  info.version = version;
  info.total_codewords = qr_data_module_count(version) / 8;
  for (int level = 0; level < kQrLevelCount; ++level) {
    const int blocks = kQrBlockCount[level][version];
    const int ec = kQrEcCodewordsPerBlock[level][version];
    const int short_total = info.total_codewords / blocks;
    const int long_blocks = info.total_codewords % blocks;
    info.data_codewords[level] = info.total_codewords - blocks * ec;
    info.group1[level] = {blocks - long_blocks, short_total, short_total - ec};
    if (long_blocks > 0) info.group2[level] = {long_blocks, short_total + 1, short_total + 1 - ec};
  }
  // The centres are spaced evenly back from the last one at width - 7 by an even step;
  // version 32 is the one version whose step (26) is not the rounded-up even spacing.
  const int n = qr_alignment_coordinate_count(version);
  if (n > 0) {
    const int step = version == 32 ? 26 : (version * 4 + n * 2 + 1) / (n * 2 - 2) * 2;
    info.alignment_count = n - 1;
    for (int k = 0; k < n - 1; ++k) info.alignment[n - 2 - k] = qr_width(version) - 7 - k * step;
  }
  return info;
}

constexpr std::array<QrVersionInfo, 41> make_version_table() {
  std::array<QrVersionInfo, 41> table{};
  for (int version = kQrMinVersion; version <= kQrMaxVersion; ++version) {
    table[version] = make_version_info(version);
  }
  return table;
}

}  // namespace qr_table_detail

// Indexed by version; record 0 is an all-zero placeholder.
inline constexpr std::array<QrVersionInfo, 41> kQrVersionTable = qr_table_detail::make_version_table();

static_assert(kQrVersionTable[1].total_codewords == 26);
static_assert(kQrVersionTable[40].total_codewords == kQrMaxTotalCodewords);
static_assert(kQrVersionTable[40].data_codewords[qr_level_index(QrErrorCorrection::L)] ==
              kQrMaxDataCodewords);
static_assert(kQrVersionTable[37].group2[qr_level_index(QrErrorCorrection::L)].total == kQrMaxBlockCodewords);

// GF(256) with the primitive polynomial x^8 + x^4 + x^3 + x^2 + 1 and alpha = 2.
// antilog[i] = alpha^i (antilog[255] = 1); log[v] is the exponent of v (log[0] is unused, 0).
struct QrGaloisField {
  std::array<std::uint8_t, 256> antilog{};
  std::array<std::uint8_t, 256> log{};
};

namespace qr_table_detail {

constexpr QrGaloisField make_galois_field() {
  QrGaloisField field;
  unsigned value = 1;
  for (int i = 0; i < 255; ++i) {
    field.antilog[i] = static_cast<std::uint8_t>(value);
    field.log[value] = static_cast<std::uint8_t>(i);
    value <<= 1;
    if (value & 0x100) value ^= 0x11D;
  }
  field.antilog[255] = 1;
  return field;
}

}  // namespace qr_table_detail

inline constexpr QrGaloisField kQrGaloisField = qr_table_detail::make_galois_field();

constexpr std::uint8_t qr_gf_multiply(std::uint8_t a, std::uint8_t b) {
  if (a == 0 || b == 0) return 0;
  return kQrGaloisField.antilog[(kQrGaloisField.log[a] + kQrGaloisField.log[b]) % 255];
}

inline constexpr int kQrMaxEcCodewords = 68;

// Generator polynomials: row n holds the exponents e1..en of
// g(x) = (x - alpha^0)(x - alpha^1)...(x - alpha^(n-1)) = x^n + alpha^e1 x^(n-1) + ... + alpha^en,
// highest degree first, for every degree 1 to 68 (row 0 is empty).
using QrGeneratorTable = std::array<std::array<std::uint8_t, kQrMaxEcCodewords>, kQrMaxEcCodewords + 1>;

namespace qr_table_detail {

constexpr QrGeneratorTable make_generator_table() {
  QrGeneratorTable table{};
  // Coefficients, highest degree first; each degree extends the previous product by
  // (x - alpha^i) = (x + alpha^i).
  std::array<std::uint8_t, kQrMaxEcCodewords + 1> g{};
  g[0] = 1;
  for (int i = 0; i < kQrMaxEcCodewords; ++i) {
    const std::uint8_t root = kQrGaloisField.antilog[i];
    for (int k = i + 1; k >= 1; --k) g[k] = g[k] ^ qr_gf_multiply(g[k - 1], root);
    for (int k = 1; k <= i + 1; ++k) table[i + 1][k - 1] = kQrGaloisField.log[g[k]];
  }
  return table;
}

}  // namespace qr_table_detail

inline constexpr QrGeneratorTable kQrGenerators = qr_table_detail::make_generator_table();

static_assert(kQrGenerators[7][0] == 87 && kQrGenerators[7][1] == 229 && kQrGenerators[7][6] == 21);

// Two-bit level codes in the format information, by level L, M, Q, H.
inline constexpr std::array<std::uint32_t, kQrLevelCount> kQrFormatLevelCode = {0b01, 0b00, 0b11, 0b10};

// The 15-bit format information: level code and mask, a BCH (15, 5) remainder of generator
// 0x537, the whole XORed with 0x5412 so that no format value is all light.
constexpr std::uint32_t qr_format_bits(QrErrorCorrection level, int mask) {
  const std::uint32_t data =
      (kQrFormatLevelCode[qr_level_index(level)] << 3) | static_cast<std::uint32_t>(mask);
  std::uint32_t remainder = data << 10;
  for (int bit = 14; bit >= 10; --bit) {
    if (remainder & (1u << bit)) remainder ^= 0x537u << (bit - 10);
  }
  return ((data << 10) | remainder) ^ 0x5412u;
}

// The 18-bit version information: the version and a BCH (18, 6) remainder of generator 0x1F25.
constexpr std::uint32_t qr_version_bits(int version) {
  const std::uint32_t data = static_cast<std::uint32_t>(version);
  std::uint32_t remainder = data << 12;
  for (int bit = 17; bit >= 12; --bit) {
    if (remainder & (1u << bit)) remainder ^= 0x1F25u << (bit - 12);
  }
  return (data << 12) | remainder;
}

static_assert(qr_format_bits(QrErrorCorrection::L, 0) == 0x77C4);
static_assert(qr_version_bits(7) == 0x07C94);
static_assert(qr_version_bits(40) == 0x28C69);

}  // namespace tolvex
