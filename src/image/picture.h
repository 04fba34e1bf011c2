// What a picture is, apart from the surface that receives it: its size and its drawing (the
// background, the logo at its place, the modules in their box). The same picture goes to a
// raster surface for PNG and to cairo's vector surfaces for SVG and PDF.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image/cairo_ptr.h"
#include "qr/qr_encode.h"
#include "tolvex/picture_options.hpp"

namespace tolvex {

[[nodiscard]] constexpr bool image_format_valid(ImageFormat format) {
  return static_cast<std::uint32_t>(format) <= 2;
}

// Background colour (components 0.0 to 1.0) of a picture and pixel format of its raster surface
// (vector surfaces have none).
struct RenderSettings {
  double red = 1.0;
  double green = 1.0;
  double blue = 1.0;
  double alpha = 1.0;
  cairo_format_t format = CAIRO_FORMAT_ARGB32;
};

// The settings that the options ask for.
[[nodiscard]] RenderSettings render_settings_of(const PictureOptions& options);

// How a picture goes onto paper, and what it says to a reader who cannot see it.
struct PrintSettings {
  std::int32_t dpi = 0;                  // PNG pHYs; 0: none
  std::optional<Length> physicalSize{};  // the picture's width on paper
  std::optional<PaperPlacement> paper{};  // PDF on a sheet
  bool compact = false;                  // plain SVG and PDF by the compact writer
  std::optional<std::string> title{};
  std::optional<std::string> description{};
};

struct Picture {
  int width = 0;  // pixels, which are points in PDF
  int height = 0;
  QrSymbol symbol{0, QrBitMatrix{}};
  double boxX = 0.0;  // corner and side of the square that holds the symbol and its quiet zone
  double boxY = 0.0;
  double boxSide = 0.0;
  int margin = kQuietZoneModules;  // quiet zone inside the box, in modules
  SurfacePtr logo;  // none for the plain picture
  std::string logoPath;  // the logo's PNG file, beside which its SVG twin may be
  double logoX = 0.0;
  double logoY = 0.0;
  RenderSettings render;  // background and raster format
  PrintSettings print;
};

// Draws the picture at the context's origin: its background colour over the whole
// picture, the logo picture painted at its place (or logoDrawing there instead, a drawing of the
// logo's size, for print on a vector surface), then the modules (qr_draw_modules).
void picture_draw(const Picture& picture, cairo_t* context, cairo_surface_t* logoDrawing = nullptr);

// What picture_draw draws before the modules: the background and the logo (or logoDrawing).
void picture_draw_base(const Picture& picture, cairo_t* context, cairo_surface_t* logoDrawing = nullptr);

// The picture on a new image surface in its pixel format. A size that cairo cannot
// create leaves the surface in an error state, reported when it is written.
[[nodiscard]] SurfacePtr picture_render_surface(const Picture& picture);

// The complete file of the picture in the format, into bytes (which it replaces). For print
// (PrintSettings::compact) the plain picture goes through the compact writer, and the logo
// picture keeps its logo vectors from the twin (the logo cache's vector logo): SVG by the
// compact writer, PDF through cairo. Returns
// cairo's status: CAIRO_STATUS_NO_MEMORY when memory ran out, another failure when the
// surface could not be made or written (or for a format outside the three); bytes are left
// empty on failure.
[[nodiscard]] cairo_status_t picture_encode(const Picture& picture, ImageFormat format,
                                            std::vector<std::uint8_t>* bytes);

}  // namespace tolvex
