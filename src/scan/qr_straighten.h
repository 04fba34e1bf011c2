// Codes seen at a steep angle, straightened before reading: zxing-cpp's detector misses many
// symbols whose opposite sides differ by a third and more (scan_variant_sweep --perspective).
// Here the finder patterns are found in the binarised picture, the projective map from the
// module grid is fitted to their twelve outer corners, and the symbol is resampled upright, for
// a reader to read as a clean picture.
#pragma once

#include <array>
#include <vector>

#include "scan/gray_image.h"

namespace tolvex {

struct PicturePoint {
  double x = 0;
  double y = 0;
};

// The map from module coordinates (x right, y down, the symbol's top-left corner at 0, 0) to the
// picture, as the eight coefficients of a 3 x 3 matrix whose last entry is 1.
using Projection = std::array<double, 8>;

[[nodiscard]] PicturePoint projected(const Projection& projection, PicturePoint module);

// The least-squares projective map taking each from[i] to to[i] (at least four pairs, not three
// of them on a line); false when the pairs do not determine one.
[[nodiscard]] bool fit_projection(const std::vector<PicturePoint>& from, const std::vector<PicturePoint>& to,
                                  Projection* projection);

// The candidate symbols of the picture, each resampled upright with a margin around it, the
// likeliest first; at most a few, so that a page without a code costs little.
[[nodiscard]] std::vector<GrayImage> qr_straightened(const GrayImage& picture);

}  // namespace tolvex
