// The PNG writer for our pictures, which are flat: black modules, the background and a few logo
// colours. A picture of at most 256 colours is written with a palette of the smallest bit depth
// that holds them (with transparency where a colour is not opaque), a row that repeats the one
// above filtered by "up" and every other row unfiltered, compressed with zlib's run-length
// strategy at 8 bits a pixel and zlib's level 3 below; other pictures as RGB or RGBA with
// libpng's adaptive filters and zlib's default.
// The pixels that any PNG reader decodes are exactly those that cairo's own writer gives for the
// same surface, in every cairo format.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <vector>

namespace tolvex {

// The complete PNG file of an image surface, into png (replacing what it held). Returns the
// surface's own error status, CAIRO_STATUS_SURFACE_TYPE_MISMATCH for a surface that is no image
// surface, CAIRO_STATUS_INVALID_FORMAT for a format cairo has no pixels for, CAIRO_STATUS_WRITE_ERROR
// for an empty surface or a failure inside libpng, and CAIRO_STATUS_NO_MEMORY; png is empty
// after a failure.
// A resolution above 0 is recorded as the pHYs chunk, the same both ways.
[[nodiscard]] cairo_status_t png_encode_surface(cairo_surface_t* surface, std::vector<std::uint8_t>* png,
                                                std::uint32_t pixelsPerMetre = 0);

}  // namespace tolvex
