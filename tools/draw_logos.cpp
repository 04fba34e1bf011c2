// Draws the project's logo pictures: every family, placement, colour and frame variant,
// named and laid out by the same functions the composition uses.
//
// Usage: draw_logos [directory]   (default ./logo/)

#include <cairo-svg.h>
#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <numbers>
#include <string>
#include <string_view>
#include <system_error>

#include "cli/options.h"
#include "image/logo_layout.h"

namespace tolvex {
namespace {

struct SurfaceDeleter {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextDeleter {
  void operator()(cairo_t* context) const { cairo_destroy(context); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using ContextPtr = std::unique_ptr<cairo_t, ContextDeleter>;

// The band runs along the code's side. With 620 pixels a code of version 10 (65 modules
// with its quiet zone) still gets over nine pixels a module.
constexpr int kBandLength = 620;
constexpr int kBandThickness = 140;
// Drawn wholly outside the code box, so it never narrows the quiet zone.
constexpr int kFrameWidth = 3;

struct Colour {
  double red;
  double green;
  double blue;
};

constexpr Colour from_hex(std::uint32_t rgb) {
  return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}

struct Palette {
  Colour card;   // band and the surround of the framed square
  Colour ink;    // word and mark
  Colour frame;  // the line around the code box; never light, so the box stays visible
};

// Indexed by LogoVariation. The code box itself is always white.
constexpr Palette kPalettes[] = {
    {from_hex(0x14324F), from_hex(0xFFFFFF), from_hex(0x4FA3C7)},  // dark
    {from_hex(0x2F6FA8), from_hex(0xFFFFFF), from_hex(0x0F2A45)},  // medium
    {from_hex(0xDCEAF6), from_hex(0x14324F), from_hex(0x2F6FA8)},  // light
    {from_hex(0x55595E), from_hex(0xFFFFFF), from_hex(0x24272A)},  // gray
};

constexpr Colour kBoxColour = from_hex(0xFFFFFF);

constexpr std::string_view kFamilyWords[] = {"PAY", "INVOICE", "ITEMS"};

void set_colour(cairo_t* cr, const Colour& colour) {
  cairo_set_source_rgb(cr, colour.red, colour.green, colour.blue);
}

void fill_rectangle(cairo_t* cr, double x, double y, double width, double height, const Colour& colour) {
  set_colour(cr, colour);
  cairo_rectangle(cr, x, y, width, height);
  cairo_fill(cr);
}

// A ring around a diamond, centred on (x, y) and fitting a square of the given side.
void draw_mark(cairo_t* cr, double x, double y, double side, const Colour& ink) {
  const double ringWidth = side * 0.11;
  const double radius = (side - ringWidth) / 2;
  set_colour(cr, ink);
  cairo_set_line_width(cr, ringWidth);
  cairo_new_sub_path(cr);
  cairo_arc(cr, x, y, radius, 0, 2 * std::numbers::pi);
  cairo_stroke(cr);

  const double reach = side * 0.22;
  cairo_move_to(cr, x, y - reach);
  cairo_line_to(cr, x + reach, y);
  cairo_line_to(cr, x, y + reach);
  cairo_line_to(cr, x - reach, y);
  cairo_close_path(cr);
  cairo_fill(cr);
}

// Fills the band and centres mark and word along it. Across a vertical band the content is
// turned to read upwards.
void draw_band(cairo_t* cr, std::int32_t rotation, unsigned family, const Palette& palette, double x,
               double y, double width, double height) {
  fill_rectangle(cr, x, y, width, height, palette.card);

  cairo_save(cr);
  cairo_translate(cr, x + width / 2, y + height / 2);
  const auto placement = static_cast<LogoRotation>(rotation);
  if (placement == LogoRotation::left || placement == LogoRotation::right) {
    cairo_rotate(cr, -std::numbers::pi / 2);
  }

  const double markSide = kBandThickness * 0.52;
  const double gap = kBandThickness * 0.18;
  const std::string word(kFamilyWords[family]);
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, kBandThickness * 0.42);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, word.c_str(), &extents);

  const double contentWidth = markSide + gap + extents.width;
  const double left = -contentWidth / 2;
  draw_mark(cr, left + markSide / 2, 0, markSide, palette.ink);

  set_colour(cr, palette.ink);
  cairo_move_to(cr, left + markSide + gap - extents.x_bearing, -(extents.y_bearing + extents.height / 2));
  cairo_show_text(cr, word.c_str());
  cairo_restore(cr);
}

int band_width(std::int32_t rotation) {
  const auto placement = static_cast<LogoRotation>(rotation);
  return placement == LogoRotation::bottom || placement == LogoRotation::top ? kBandLength : kBandThickness;
}

int band_height(std::int32_t rotation) {
  return band_width(rotation) == kBandLength ? kBandThickness : kBandLength;
}

// A framed picture is the unframed composition of the band with a framed white square in
// place of the code: the band sits where that composition paints it.
void paint_framed(cairo_t* cr, unsigned family, std::int32_t rotation, const Palette& palette) {
  const LogoLayout band =
      logo_layout(static_cast<LogoRotation>(rotation), false, band_width(rotation), band_height(rotation));
  fill_rectangle(cr, 0, 0, band.resultWidth, band.resultHeight, palette.card);
  draw_band(cr, rotation, family, palette, band.logoX, band.logoY, band_width(rotation), band_height(rotation));

  // Whole pixels that touch the box are white, the frame lies on whole pixels around them.
  const LogoLayout code =
      logo_layout(static_cast<LogoRotation>(rotation), true, band.resultWidth, band.resultHeight);
  const double left = std::floor(code.boxX);
  const double top = std::floor(code.boxY);
  const double right = std::ceil(code.boxX + code.boxSide);
  const double bottom = std::ceil(code.boxY + code.boxSide);
  fill_rectangle(cr, left - kFrameWidth, top - kFrameWidth, right - left + 2 * kFrameWidth,
                 bottom - top + 2 * kFrameWidth, palette.frame);
  fill_rectangle(cr, left, top, right - left, bottom - top, kBoxColour);
}

// The picture's size in pixels.
std::pair<int, int> picture_size(std::int32_t rotation, bool frame) {
  if (!frame) return {band_width(rotation), band_height(rotation)};
  const LogoLayout band =
      logo_layout(static_cast<LogoRotation>(rotation), false, band_width(rotation), band_height(rotation));
  return {band.resultWidth, band.resultHeight};
}

// The same drawing onto any surface: pixels for the PNG, vectors for its SVG twin.
void paint(cairo_t* cr, unsigned family, std::int32_t rotation, const Palette& palette, bool frame) {
  if (frame) {
    paint_framed(cr, family, rotation, palette);
  } else {
    draw_band(cr, rotation, family, palette, 0, 0, band_width(rotation), band_height(rotation));
  }
}

cairo_status_t write_png(const std::filesystem::path& path, unsigned family, std::int32_t rotation,
                         const Palette& palette, bool frame) {
  const auto [width, height] = picture_size(rotation, frame);
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
  {
    ContextPtr cr(cairo_create(surface.get()));
    paint(cr.get(), family, rotation, palette, frame);
  }
  return cairo_surface_write_to_png(surface.get(), path.c_str());
}

// The twin: one SVG pixel a picture pixel, the label's glyphs as outlines.
cairo_status_t write_svg(const std::filesystem::path& path, unsigned family, std::int32_t rotation,
                         const Palette& palette, bool frame) {
  const auto [width, height] = picture_size(rotation, frame);
  SurfacePtr surface(cairo_svg_surface_create(path.c_str(), width, height));
  cairo_svg_surface_set_document_unit(surface.get(), CAIRO_SVG_UNIT_PX);
  {
    ContextPtr cr(cairo_create(surface.get()));
    paint(cr.get(), family, rotation, palette, frame);
  }
  cairo_surface_finish(surface.get());
  return cairo_surface_status(surface.get());
}

int draw_all(const std::filesystem::path& directory) {
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  if (error) {
    std::fprintf(stderr, "draw_logos: cannot create %s: %s\n", directory.c_str(), error.message().c_str());
    return 1;
  }
  for (unsigned family = 0; family < 3; ++family) {
    for (std::int32_t rotation = 0; rotation < 4; ++rotation) {
      for (std::int32_t variation = 0; variation < 4; ++variation) {
        for (const bool frame : {true, false}) {
          const Palette& palette = kPalettes[variation];
          const std::filesystem::path path =
              directory / std::string(logo_file_name(family, static_cast<LogoRotation>(rotation),
                                                     static_cast<LogoVariation>(variation), frame));
          std::filesystem::path twin = path;
          twin.replace_extension(".svg");
          for (const auto& [file, status] : {std::pair{path, write_png(path, family, rotation, palette, frame)},
                                             std::pair{twin, write_svg(twin, family, rotation, palette, frame)}}) {
            if (status != CAIRO_STATUS_SUCCESS) {
              std::fprintf(stderr, "draw_logos: cannot write %s: %s\n", file.c_str(), cairo_status_to_string(status));
              return 1;
            }
          }
        }
      }
    }
  }
  return 0;
}

}  // namespace
}  // namespace tolvex

int main(int argc, char** argv) {
  if (argc > 2) {
    std::fprintf(stderr, "usage: draw_logos [directory]\n");
    return 2;
  }
  return tolvex::draw_all(argc == 2 ? argv[1] : "./logo/");
}
