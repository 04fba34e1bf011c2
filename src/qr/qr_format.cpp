#include "qr/qr_format.h"

#include <cstdint>

#include "qr/qr_version_table.h"

namespace tolvex {

void qr_place_format_info(QrModuleMatrix& matrix, QrErrorCorrection level, int mask) {
  const std::uint32_t bits = qr_format_bits(level, mask);
  const auto bit = [bits](int i) { return ((bits >> i) & 1u) != 0; };
  const int w = matrix.width;

  // First copy around the top-left finder, stepping over the timing patterns on row and column 6.
  for (int i = 0; i <= 5; ++i) qr_set_function_module(matrix, 8, i, bit(i));
  qr_set_function_module(matrix, 8, 7, bit(6));
  qr_set_function_module(matrix, 8, 8, bit(7));
  qr_set_function_module(matrix, 7, 8, bit(8));
  for (int i = 9; i <= 14; ++i) qr_set_function_module(matrix, 14 - i, 8, bit(i));

  // Second copy split between the top-right and the bottom-left finder.
  for (int i = 0; i <= 7; ++i) qr_set_function_module(matrix, w - 1 - i, 8, bit(i));
  for (int i = 8; i <= 14; ++i) qr_set_function_module(matrix, 8, w - 15 + i, bit(i));

  qr_set_function_module(matrix, 8, w - 8, true);
}

void qr_place_version_info(QrModuleMatrix& matrix, int version) {
  const std::uint32_t bits = qr_version_bits(version);
  const int w = matrix.width;
  for (int a = 0; a < 6; ++a) {
    for (int b = 0; b < 3; ++b) {
      const bool dark = ((bits >> (3 * a + b)) & 1u) != 0;
      qr_set_function_module(matrix, a, w - 11 + b, dark);
      qr_set_function_module(matrix, w - 11 + b, a, dark);
    }
  }
}

}  // namespace tolvex
