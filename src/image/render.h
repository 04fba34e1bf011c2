// The plain QR code picture: per-thread render settings, drawing the modules, and the picture
// and its raster surface.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "image/cairo_ptr.h"
#include "image/picture.h"
#include "qr/qr_encode.h"
#include "tolvex/picture_options.hpp"

namespace tolvex {

// This thread's render settings, which the older picture entries follow. Each thread has its
// own, starting from the defaults: opaque white, 32-bit ARGB.
const RenderSettings& render_settings();

// The dark modules of row y as runs [begin, end) of columns, for every writer of the modules.
template <typename Visit>
void for_each_run(const QrSymbol& symbol, int y, Visit&& visit) {
  const int width = symbol.width();
  for (int x = 0; x < width;) {
    if (!symbol.is_dark(x, y)) {
      ++x;
      continue;
    }
    const int begin = x;
    while (x < width && symbol.is_dark(x, y)) ++x;
    visit(begin, x);
  }
}

// Draws the dark modules of the symbol in opaque black, without antialiasing,
// into a square of side box pixels at the context's origin, a quiet zone of 4 modules inside
// the square. Light modules are not painted. Leaves the context scaled to modules. The context
// may be translated and scaled, not rotated. On an image surface the pixels are exactly those
// of one fill per module; on other surfaces the runs of modules make one path, filled once.
void qr_draw_modules(cairo_t* context, const QrSymbol& symbol, double box, int margin = kQuietZoneModules);

// The pixels that the dark modules cover on a raster surface, module row by module row (rows
// that cover no pixel left out): pixel rows [top, bottom) and, from runs[first[i]] to
// runs[first[i + 1]], the pixel columns [left, right) in order, apart, none empty. They are
// those of one fill per module under the transformation from module units to pixels: where
// rounding leaves a pixel between two modules it stays unpainted, and rows of neighbouring
// modules may share a pixel row. Nothing is clipped to a picture.
struct PixelRun {
  int left;
  int right;
};
struct ModulePixels {
  std::vector<int> top;
  std::vector<int> bottom;
  std::vector<std::size_t> first;
  std::vector<PixelRun> runs;
};
[[nodiscard]] ModulePixels module_pixels(const cairo_matrix_t& toDevice, const QrSymbol& symbol);

// The transformation from module units to pixels that qr_draw_modules sets up for a box at
// (boxX, boxY) of side box on an untransformed context.
[[nodiscard]] cairo_matrix_t module_matrix(double boxX, double boxY, double box, int width, int margin);

// The symbol of a text at the level, in the smallest version that holds it; with boost, at the
// highest level that this same version still holds. nullopt when no version holds the text.
[[nodiscard]] std::optional<QrSymbol> qr_encode_at(std::string_view text, ErrorCorrection level, bool boost);

// What a plain picture is asked for (PictureOptions' members of the same names).
struct PlainPictureOptions {
  std::int32_t size = 0;
  std::int32_t moduleSize = 0;
  std::int32_t margin = kQuietZoneModules;
  ErrorCorrection level = ErrorCorrection::low;
  bool boostLevel = false;
};

// Records the failure of qr_encode_symbol for a text (ERROR_QR) and returns its code.
[[nodiscard]] ErrorCode report_qr_failure();

// The plain picture of a text: level L, smallest version, the symbol and its quiet zone filling
// pixelSize x pixelSize pixels (0: one pixel a module) over the thread's render settings.
// Fails with ERROR_QR when the text cannot be encoded, and with ERROR_ILLEGAL_ARGUMENT when
// pixelSize is above kLargestImageSize. Other sizes that no surface can take (a negative one)
// fail when the picture is written.
[[nodiscard]] ErrorCode qr_picture(std::string_view text, std::int32_t pixelSize, Picture* picture);

// qr_picture with a level, a margin and either a side or whole pixels a module (moduleSize, which
// gives a side of (width + 2 margin) modules of that many pixels). The caller checks the ranges of
// margin and moduleSize; a side above kLargestImageSize is ERROR_ILLEGAL_ARGUMENT.
[[nodiscard]] ErrorCode qr_picture(std::string_view text, const PlainPictureOptions& options, Picture* picture);

// qr_picture on a raster surface (picture_render_surface); creates no surface on failure.
[[nodiscard]] ErrorCode qr_render_surface(std::string_view text, std::int32_t pixelSize, SurfacePtr* surface);

}  // namespace tolvex
