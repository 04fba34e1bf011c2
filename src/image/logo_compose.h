// The code composed into a logo picture chosen by document family, placement, colour and frame.
#pragma once

#include <cstdint>

#include "base/error.h"
#include "image/cairo_ptr.h"
#include "image/logo_layout.h"

namespace tolvex {

// Builds the composed picture of a base32hex text (zero-terminated) whose header names the
// family; logoDirectory is put in front of the file name as it is. A rotation or variation
// outside the four is ERROR_ILLEGAL_ARGUMENT, checked after the header and the encoding.
[[nodiscard]] ErrorCode qr_logo_render_surface(const char* text, LogoRotation rotation,
                                               LogoVariation variation, bool frame, const char* logoDirectory,
                                               SurfacePtr* surface);

// qr_logo_render_surface, then the picture as a PNG file.
[[nodiscard]] ErrorCode qr_logo_write_png_file(const char* text, LogoRotation rotation,
                                               LogoVariation variation, bool frame, const char* logoDirectory,
                                               const char* fileName);

}  // namespace tolvex
