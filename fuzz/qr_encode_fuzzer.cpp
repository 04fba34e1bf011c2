// Arbitrary bytes into qr_encode_symbol at every level and version, out-of-range ones included.
// Input: a level byte, a version byte, a length byte, then the text.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "qr/qr_encode.h"
#include "require.h"

using namespace tolvex;
using tolvex::fuzz::require;

namespace {

// Levels are a byte; every value above 3 names none.
constexpr int kOddLevels[] = {4, 5, 128, 255};
constexpr int kOddVersions[] = {-1, 41, 42, INT_MIN, INT_MAX, -40, 100, 177};

int level_of(std::uint8_t b) { return b < 224 ? b % 4 : kOddLevels[b % 4]; }
int version_of(std::uint8_t b) { return b < 205 ? b % 41 : kOddVersions[b % 8]; }

bool dark(const QrBitMatrix& matrix, int width, int x, int y) {
  const int bit = y * width + x;
  return (matrix[static_cast<std::size_t>(bit / 8)] & (0x80 >> (bit % 8))) != 0;
}

bool all_zero(const QrBitMatrix& matrix, std::size_t from) {
  return std::all_of(matrix.begin() + static_cast<std::ptrdiff_t>(from), matrix.end(),
                     [](std::uint8_t b) { return b == 0; });
}

// The 7 x 7 finder pattern with its top left corner at (x, y): dark ring, light ring, dark core.
bool finder_at(const QrBitMatrix& matrix, int width, int x, int y) {
  for (int dy = 0; dy < 7; ++dy) {
    for (int dx = 0; dx < 7; ++dx) {
      const int ring = std::max(std::abs(dx - 3), std::abs(dy - 3));
      if (dark(matrix, width, x + dx, y + dy) != (ring != 2)) return false;
    }
  }
  return true;
}

// The timing patterns alternate along row 6 and column 6 between the finders, dark on even.
bool timing_ok(const QrBitMatrix& matrix, int width) {
  for (int i = 8; i < width - 8; ++i) {
    if (dark(matrix, width, i, 6) != (i % 2 == 0) || dark(matrix, width, 6, i) != (i % 2 == 0)) return false;
  }
  return true;
}

void check_symbol(const QrBitMatrix& matrix, int width) {
  require(width >= 21 && width <= 177 && (width - 17) % 4 == 0, "width is 4 * version + 17");
  const std::size_t bits = static_cast<std::size_t>(width) * static_cast<std::size_t>(width);
  require(all_zero(matrix, (bits + 7) / 8), "no bit past the matrix");
  if (bits % 8 != 0) {
    require((matrix[bits / 8] & (0xFF >> (bits % 8))) == 0, "no bit past the matrix in its last byte");
  }
  require(finder_at(matrix, width, 0, 0) && finder_at(matrix, width, width - 7, 0) &&
              finder_at(matrix, width, 0, width - 7),
          "three finder patterns");
  require(timing_ok(matrix, width), "timing patterns");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const int level = level_of(data[0]);
  const int version = version_of(data[1]);
  const std::uint8_t lengthMode = data[2];
  const std::size_t n = size - 3;

  // A positive length gets a buffer of exactly that size, so that reading past it is caught;
  // a length of 0 or less gets the text terminated.
  std::vector<std::uint8_t> text(data + 3, data + size);
  int length = static_cast<int>(n);
  std::size_t effective = n;
  if (lengthMode % 4 >= 2) {
    length = lengthMode % 4 == 2 ? 0 : (lengthMode & 0x80 ? INT_MIN : -1);
    text.push_back(0);
    effective = std::strlen(reinterpret_cast<const char*>(text.data()));
  }

  QrBitMatrix output;
  output.fill(0xFF);
  const int width =
      qr_encode_symbol(static_cast<QrErrorCorrection>(level), version, text.data(), length, &output);
  const bool levelOk = level <= 3;
  const bool versionOk = version >= 0 && version <= 40;
  if (width == -1) {
    require(all_zero(output, 0), "a failure leaves no dark module");
  } else {
    require(levelOk && versionOk, "out-of-range level or version fails");
    require(effective > 0, "an empty text fails");
    check_symbol(output, width);
    if (version != 0) require(width == 4 * version + 17, "the requested version is used");
  }
  if (!levelOk || !versionOk || effective == 0) {
    require(width == -1, "out-of-range level or version, or an empty text, fails");
    return 0;
  }

  if (version == 0) return 0;
  // The smallest version that holds the text decides which requested versions succeed.
  QrBitMatrix smallest;
  const int smallestWidth =
      qr_encode_symbol(static_cast<QrErrorCorrection>(level), 0, text.data(), length, &smallest);
  if (smallestWidth == -1) {
    require(width == -1, "a text that no version holds fails in every version");
  } else {
    require((width != -1) == (4 * version + 17 >= smallestWidth), "every version from the smallest holds it");
  }
  return 0;
}
