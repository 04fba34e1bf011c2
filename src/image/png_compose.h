// PNG files of pictures composed without drawing them on a surface of their own size: the rows
// that hold modules are built from the symbol, at the pixel edges cairo's fill gives them, and
// the rest of a logo picture is prepared once per logo and layout (kept in the logo cache). The
// decoded pixels are those of picture_render_surface written by png_encode_surface; the plain
// picture's file is byte for byte that one too.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "image/picture.h"

namespace tolvex {

// The complete PNG file of the picture into png, and the status as png_encode_surface gives it;
// nullopt for a picture this does not compose (a pixel format other than ARGB32 and RGB24, a
// size no surface takes, more than 255 logo colours), which the caller draws instead.
[[nodiscard]] std::optional<cairo_status_t> png_compose(const Picture& picture, std::uint32_t pixelsPerMetre,
                                                        std::vector<std::uint8_t>* png);

}  // namespace tolvex
