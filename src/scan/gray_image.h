// The pictures the reader works on: one byte of luminance a pixel, rows top down, no padding.
// Every source (PNG, JPEG, a rendered PDF page) becomes one of these, and the reading
// attempts derive their variants from it.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <vector>

namespace tolvex {

struct GrayImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height bytes, 0 black, 255 white
};

// Light for dark: codes printed light on a dark ground.
[[nodiscard]] GrayImage gray_inverted(const GrayImage& image);

// factor times the width and height, interpolated: a picture of one or two pixels a module is
// too fine for a detector that looks for runs of pixels.
[[nodiscard]] GrayImage gray_enlarged(const GrayImage& image, int factor);

// The luminance of an image surface of cairo (ARGB32 over white, or RGB24).
[[nodiscard]] GrayImage gray_from_surface(cairo_surface_t* surface);

}  // namespace tolvex
