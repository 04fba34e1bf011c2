// The QR Code encoder's entry: from a byte string to the packed module matrix of a Model 2
// symbol. Stages, in order: segments and bit stream (qr_segments, qr_bit_stream), error
// correction (qr_error_correction), function patterns and placement (qr_matrix), masks and
// penalty (qr_mask), format and version information (qr_format).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "qr/qr_version_table.h"

namespace tolvex {

// The symbol as one bit per module, row after row, most significant bit first: module (x, y)
// is bit y * width + x, in byte bit / 8 under mask 0x80 >> bit % 8. A set bit is dark. No
// quiet zone; bits past width * width are 0. 3917 bytes hold the 177 x 177 modules of version 40.
using QrBitMatrix = std::array<std::uint8_t, 3917>;

// An encoded symbol: its width in modules and which of them are dark.
class QrSymbol {
 public:
  QrSymbol(int width, const QrBitMatrix& modules) : width_(width), modules_(modules) {}

  [[nodiscard]] int width() const { return width_; }
  // (x, y) from the top-left corner, both within the width; no quiet zone.
  [[nodiscard]] bool is_dark(int x, int y) const {
    const auto bit =
        static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
    return (modules_[bit / 8] & (0x80u >> (bit % 8))) != 0;
  }
  [[nodiscard]] const QrBitMatrix& modules() const { return modules_; }

 private:
  int width_;
  QrBitMatrix modules_;
};

// Encodes text at the error correction level in the given version (1-40), or in the smallest
// version that holds it (0). A length of 0 or less means up to the first NUL byte. Returns the
// symbol width (21 to 177) with the modules in output, or -1 for an empty text, a text that no
// version holds, a requested version too small for the text, a level or version outside those
// ranges, or no output. The output is cleared first, so after a failure it holds no dark
// module. Sets no error record. Each call keeps its own state; calls may run on several threads.
[[nodiscard]] int qr_encode_symbol(QrErrorCorrection level, int version, const std::uint8_t* text, int length,
                                   QrBitMatrix* output);

// qr_encode_symbol for a whole text, as the symbol; nullopt when it cannot be encoded.
[[nodiscard]] std::optional<QrSymbol> qr_encode(std::string_view text,
                                                QrErrorCorrection level = QrErrorCorrection::L,
                                                int version = 0);

}  // namespace tolvex
