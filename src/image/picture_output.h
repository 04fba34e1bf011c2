// A picture written out, as a file or as the bytes of one, in PNG, SVG or PDF.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <vector>

#include "base/error.h"
#include "image/logo_layout.h"
#include "image/picture.h"
#include "tolvex/picture_options.hpp"

namespace tolvex {

// Writes the picture as the file fileName in the format (see write_file_atomically): the
// bytes are those that write_picture_memory gives (for SVG up to the numbers in element ids,
// which cairo counts over the whole process). Failures are ERROR_IO: "Not enough memory. "
// when memory runs out, otherwise "Cannot write image to output file. " (also for a picture
// that no surface can take, such as a side below 1 or above 32767 pixels, and an empty name).
[[nodiscard]] ErrorCode write_picture_file(const Picture& picture, ImageFormat format, const char* fileName);

// The complete file of the picture in the format, into bytes. Failures are ERROR_NULL_POINTER
// for no bytes, and ERROR_IO: "Not enough memory. " or "Cannot write image. ". bytes are left
// as they were on failure.
[[nodiscard]] ErrorCode write_picture_memory(const Picture& picture, ImageFormat format,
                                             std::vector<std::uint8_t>* bytes);

}  // namespace tolvex
