// The pictures the reader works on: one byte of luminance a pixel, rows top down, no padding.
// Every source (PNG, JPEG, a rendered PDF page) becomes one of these, and the reading
// attempts derive their variants from it.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/error.h"

namespace tolvex {

struct GrayImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height bytes, 0 black, 255 white
};

// Weights of Rec. 601 in 1/1024, the same luminance the barcode readers compute.
[[nodiscard]] constexpr std::uint8_t gray_luminance(unsigned red, unsigned green, unsigned blue) {
  return static_cast<std::uint8_t>((306 * red + 601 * green + 117 * blue + 512) >> 10);
}

// Called with each page of a document (PDF, TIFF) in order, numbered from 1; a nonzero result
// stops the reading and is returned.
using PageVisitor = std::function<ErrorCode(int page, const GrayImage& picture)>;

// The failure just recorded, recorded again with "page N" as its detail: a file's pages are
// named in its error line. Returns code.
ErrorCode fail_on_page(ErrorCode code, int page);

// Light for dark: codes printed light on a dark ground.
[[nodiscard]] GrayImage gray_inverted(const GrayImage& image);

// factor times the width and height, interpolated: a picture of one or two pixels a module is
// too fine for a detector that looks for runs of pixels.
[[nodiscard]] GrayImage gray_enlarged(const GrayImage& image, int factor);

// The luminance of an image surface of cairo (ARGB32 over white, or RGB24).
[[nodiscard]] GrayImage gray_from_surface(cairo_surface_t* surface);

}  // namespace tolvex
