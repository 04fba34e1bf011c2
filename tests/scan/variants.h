// Degraded pictures of our own codes, as a camera or scanner sees them: rotated, seen at an
// angle, scaled, blurred, noisy, on tinted paper, inverted. The same seed gives the same
// pictures on every machine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scan/gray_image.h"

namespace tolvex::test {

struct Degradation {
  double angle = 0;       // rotation in degrees
  double tilt = 0;        // perspective: the far edge is shorter by this fraction
  double tiltAngle = 0;   // the direction of the far edge, in degrees
  double scale = 1;       // output pixels per input pixel
  int blur = 0;           // passes of a 3 x 3 box filter
  double noise = 0;       // standard deviation of the added noise, in grey levels
  int paper = 255;        // luminance of the paper (tinted when below 255)
  int ink = 0;            // luminance of the dark modules
  bool inverted = false;  // light modules on dark
};

// The picture warped (bilinear sampling over white paper, with a margin) and degraded.
[[nodiscard]] GrayImage degrade(const GrayImage& picture, const Degradation& degradation, std::uint32_t seed);

struct Variant {
  std::string name;  // what was done, for messages
  std::string text;  // the tolvex text the picture holds
  GrayImage picture;
};

// count variants of every example document, plain and in logo pictures with and without a
// frame, the degradations drawn at random from seed: each kind of degradation alone, and
// combinations of them.
[[nodiscard]] std::vector<Variant> generated_variants(int perStyle, std::uint32_t seed);

// count variants of every example document, plain and in logo pictures, each seen at a steep
// angle (opposite sides differing by 10 to 45 %), rotated, often blurred and stored as JPEG:
// the photographed invoice.
[[nodiscard]] std::vector<Variant> generated_perspective_variants(int perStyle, std::uint32_t seed);

// The picture stored as a greyscale JPEG of that quality and read back.
[[nodiscard]] GrayImage jpeg_round_trip(const GrayImage& picture, int quality);

// The picture as an 8-bit greyscale PNG file, for the command-line readers.
void write_gray_png(const GrayImage& picture, const std::string& path);

}  // namespace tolvex::test
