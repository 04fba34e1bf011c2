// The code composed into a logo picture chosen by document family, placement, colour and frame.
#pragma once

#include <cstdint>

#include "base/error.h"
#include "image/cairo_ptr.h"
#include "image/logo_layout.h"
#include "image/picture.h"

namespace tolvex {

// The composed picture of a base32hex text (zero-terminated) whose header names the family;
// logoDirectory is put in front of the file name as it is. A rotation or variation outside the
// four is ERROR_ILLEGAL_ARGUMENT, checked after the header and the encoding. The picture holds
// the logo (shared with the logo cache when that keeps it).
[[nodiscard]] ErrorCode qr_logo_picture(const char* text, LogoRotation rotation, LogoVariation variation,
                                        bool frame, const char* logoDirectory, Picture* picture);

// qr_logo_picture on a raster surface (picture_render_surface); creates no surface on failure.
[[nodiscard]] ErrorCode qr_logo_render_surface(const char* text, LogoRotation rotation,
                                               LogoVariation variation, bool frame, const char* logoDirectory,
                                               SurfacePtr* surface);

}  // namespace tolvex
