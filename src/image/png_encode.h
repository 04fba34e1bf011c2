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

// A pixel as the PNG holds it: red, green, blue, alpha, straight (not premultiplied).
struct PngColour {
  std::uint8_t red, green, blue, alpha;
  bool operator==(const PngColour&) const = default;
};

// The complete PNG file of an image surface, into png (replacing what it held). Returns the
// surface's own error status, CAIRO_STATUS_SURFACE_TYPE_MISMATCH for a surface that is no image
// surface, CAIRO_STATUS_INVALID_FORMAT for a format cairo has no pixels for, CAIRO_STATUS_WRITE_ERROR
// for an empty surface or a failure inside libpng, and CAIRO_STATUS_NO_MEMORY; png is empty
// after a failure.
// A resolution above 0 is recorded as the pHYs chunk, the same both ways.
[[nodiscard]] cairo_status_t png_encode_surface(cairo_surface_t* surface, std::vector<std::uint8_t>* png,
                                                std::uint32_t pixelsPerMetre = 0);

// The palette that the writer makes of stored pixel values of the format (cairo's words, in the
// order the rows first meet them), and the entry each value takes. False for a format it does
// not index or more than 256 values.
[[nodiscard]] bool png_palette_of(cairo_format_t format, const std::vector<std::uint32_t>& raws,
                                  std::vector<PngColour>* palette, std::vector<std::uint8_t>* entries);

// The palette of an image surface and every pixel's entry, a byte a pixel row by row, as the
// writer indexes it; false past 256 colours or for a format it does not index.
[[nodiscard]] bool png_index_surface(cairo_surface_t* surface, std::vector<PngColour>* palette,
                                     std::vector<std::uint8_t>* indices);

// The PNG file of rows already packed at the palette's depth (1, 2, 4 or 8 bits, the leftmost
// pixel in the most significant bits), written as png_encode_surface writes a palette picture.
[[nodiscard]] cairo_status_t png_encode_palette_rows(int width, int height,
                                                     const std::vector<PngColour>& palette,
                                                     const std::vector<std::uint8_t>& rows,
                                                     std::uint32_t pixelsPerMetre,
                                                     std::vector<std::uint8_t>* png);

}  // namespace tolvex
