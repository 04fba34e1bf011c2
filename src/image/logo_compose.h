// The code composed into a logo picture chosen by document family, placement, colour and frame.
#pragma once

#include <cstdint>

#include "cli/error.h"
#include "image/cairo_ptr.h"

namespace tolvex {

// Builds the composed picture of a base32hex text (zero-terminated) whose header names the
// family. rotation and variation are the LogoRotation and LogoVariation indices; frame is
// nonzero for the framed pictures; logoDirectory is put in front of the file name as it is.
ErrorCode qr_logo_render_surface(SurfacePtr& surface, const char* text, std::int32_t rotation,
                                 std::int32_t variation, std::int32_t frame, const char* logoDirectory);

// qr_logo_render_surface, then the picture as a PNG file.
ErrorCode qr_logo_write_png_file(const char* text, std::int32_t rotation, std::int32_t variation,
                                 std::int32_t frame, const char* logoDirectory, const char* fileName);

}  // namespace tolvex
