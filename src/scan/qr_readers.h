// The two barcode reader libraries behind the reading attempts, each in a file of its own since
// their headers do not build side by side.
#pragma once

#include <string>
#include <vector>

#include "scan/gray_image.h"

namespace tolvex {

// The texts of the valid QR codes that zxing-cpp reads, trying hard and in four rotations.
[[nodiscard]] std::vector<std::string> zxing_read_texts(const GrayImage& picture);

// The texts of the QR codes that libzbar reads.
[[nodiscard]] std::vector<std::string> zbar_read_texts(const GrayImage& picture);

}  // namespace tolvex
