// Which logo picture a composition uses and where picture and code stand in the result.
//
// The logo pictures and the composition both follow these functions, so a framed picture
// always has its light square exactly where the code is drawn.
#pragma once

#include <cstdint>
#include <string_view>

#include "tolvex/picture_options.hpp"

namespace tolvex {

// Whether a rotation or variation received from outside (the C interface passes integers) is
// one of the four.
[[nodiscard]] constexpr bool logo_rotation_valid(LogoRotation rotation) {
  return static_cast<std::uint32_t>(rotation) <= 3;
}
[[nodiscard]] constexpr bool logo_variation_valid(LogoVariation variation) {
  return static_cast<std::uint32_t>(variation) <= 3;
}

// The file name of a logo picture, such as "pay-bottom-dark.png" or
// "items-right-gray-no_frame.png". family is 0 PAY, 1 INVOICE, 2 INVOICE ITEMS; all three
// must be in range.
// INVOICE and INVOICE ITEMS keep their top placement in the file named "left" and their
// left placement in the file named "top".
[[nodiscard]] std::string_view logo_file_name(unsigned family, LogoRotation rotation, LogoVariation variation,
                                              bool frame);

// Sizes in pixels; positions (x, y) from the top-left corner of the result.
struct LogoLayout {
  int resultWidth = 0;
  int resultHeight = 0;
  double logoX = 0.0;  // where the logo picture is painted
  double logoY = 0.0;
  double boxX = 0.0;  // corner of the square that holds the code with its quiet zone
  double boxY = 0.0;
  double boxSide = 0.0;
};

// The composition of a logo picture of pictureWidth x pictureHeight pixels with the code, for
// a rotation in range. With a frame the result is the picture itself and the code
// stands in its light square; without one the code gets a square of its own beside the band.
[[nodiscard]] LogoLayout logo_layout(LogoRotation rotation, bool frame, int pictureWidth, int pictureHeight);

}  // namespace tolvex
