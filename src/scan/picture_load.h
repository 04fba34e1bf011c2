// PNG and JPEG pictures from bytes in memory into luminance, within the limits of
// scan_limits.h: the dimensions in the header are checked before the pixels are allocated.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/error.h"
#include "scan/gray_image.h"

namespace tolvex {

enum class ScanFormat { unknown, png, jpeg, pdf };

// The format by the file's signature; the name of a file is not looked at.
[[nodiscard]] ScanFormat scan_format(const std::uint8_t* bytes, std::size_t size);

// A picture beyond the limits: ERROR_ILLEGAL_ARGUMENT "Picture too large. ". A file that is
// not a readable PNG or JPEG: ERROR_IO "Cannot read PNG picture. " or "Cannot read JPEG
// picture. ". Transparent pixels are taken over white.
[[nodiscard]] ErrorCode load_png(const std::uint8_t* bytes, std::size_t size, GrayImage* image);
[[nodiscard]] ErrorCode load_jpeg(const std::uint8_t* bytes, std::size_t size, GrayImage* image);

// Whether a picture of width x height pixels is within the limits (records the error if not).
[[nodiscard]] ErrorCode check_picture_size(std::int64_t width, std::int64_t height);

}  // namespace tolvex
