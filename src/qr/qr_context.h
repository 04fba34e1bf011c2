// The working state of one encoding, owned by the call and handed to every stage by reference,
// so that encodings on several threads never share anything.
#pragma once

#include <array>
#include <cstdint>

#include "qr/qr_matrix.h"
#include "qr/qr_segments.h"
#include "qr/qr_version_table.h"

namespace tolvex {

inline constexpr int kQrMaskAuto = -1;

struct QrEncodeContext {
  int level = kQrLevelL;
  int mask = kQrMaskAuto;  // automatic choice until the matrix is built, then the chosen mask
  int version_found = 0;   // smallest version that holds the text
  int version = 0;         // version used
  int bit_count = 0;       // bits in the data stream, -1 once it has overflowed
  int total_codewords = 0;
  int width = 0;
  QrSegmentTable segments;
  // The buffers are cleared by the stage that fills them, not here: a call only pays for
  // the part of them that its version uses.
  std::array<std::uint8_t, kQrMaxDataCodewords> data;
  std::array<std::uint8_t, kQrMaxTotalCodewords> codewords;
  std::array<std::uint8_t, kQrMaxBlockCodewords> rs_work;
  QrModuleMatrix matrix;
};

}  // namespace tolvex
