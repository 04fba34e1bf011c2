// The plain QR image and the logo composition as PNG bytes in memory instead of a file.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <vector>

#include "base/error.h"
#include "image/logo_layout.h"

namespace tolvex {

// qr_render_surface, then the complete PNG file image into png.
[[nodiscard]] ErrorCode qr_write_png_memory(const char* text, std::int32_t pixelSize,
                                            std::vector<std::uint8_t>* png);

// qr_logo_render_surface, then the complete PNG file image into png.
[[nodiscard]] ErrorCode qr_logo_write_png_memory(const char* text, LogoRotation rotation,
                                                 LogoVariation variation, bool frame,
                                                 const char* logoDirectory, std::vector<std::uint8_t>* png);

// The write callback handed to cairo: appends to the MemoryStream given as closure, and reports
// a write error when the stream cannot take the bytes.
cairo_status_t png_stream_append(void* closure, const unsigned char* data, unsigned int length);

}  // namespace tolvex
