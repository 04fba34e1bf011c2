// The code composed into a logo picture chosen by document family, placement, colour and frame.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/error.h"
#include "image/cairo_ptr.h"
#include "image/logo_layout.h"
#include "image/picture.h"

namespace tolvex {

// The composed picture of a text for the family its header names (0 PAY, 1 INVOICE, 2 INVOICE
// ITEMS; whoever holds the text reads the header). logoPrefix is put in front of the file name as
// it is. A rotation or variation outside the four is ERROR_ILLEGAL_ARGUMENT, checked after the
// encoding (at the level, boosted as qr_encode_at does); a family without logos is
// ERROR_MISSING_LOGO. The picture holds the logo (shared with the logo cache when that keeps it)
// and the thread's render settings; the code's quiet zone inside its box is margin modules (the
// caller checks its range).
[[nodiscard]] ErrorCode qr_logo_picture(std::string_view text, unsigned family, LogoRotation rotation,
                                        LogoVariation variation, bool frame, std::string_view logoPrefix,
                                        Picture* picture, ErrorCorrection level = ErrorCorrection::low,
                                        bool boostLevel = false, int margin = kQuietZoneModules);

// qr_logo_picture on a raster surface (picture_render_surface); creates no surface on failure.
[[nodiscard]] ErrorCode qr_logo_render_surface(std::string_view text, unsigned family, LogoRotation rotation,
                                               LogoVariation variation, bool frame, std::string_view logoPrefix,
                                               SurfacePtr* surface);

// The prefix of the logo file names: the directory as written (LogoOptions::directory).
[[nodiscard]] std::string logo_prefix(const std::filesystem::path& directory);

}  // namespace tolvex
