// qr_draw_modules fills runs of modules at once; on raster surfaces its pixels must be exactly
// those of one fill per module, which is how the pictures were first drawn. Swept over symbol
// widths, box sides, fractional box corners (the logo layouts make them) and every format.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <optional>
#include <string>

#include "image/render.h"

namespace tolvex {
namespace {

// One non-antialiased fill per dark module in a box of side box at the origin.
void draw_each_module(cairo_t* context, const QrSymbol& symbol, double box) {
  cairo_set_antialias(context, CAIRO_ANTIALIAS_NONE);
  cairo_set_source_rgb(context, 0, 0, 0);
  const double scale = box / static_cast<double>(symbol.width() + 8);
  cairo_scale(context, scale, scale);
  cairo_translate(context, 4, 4);
  for (int y = 0; y < symbol.width(); ++y) {
    for (int x = 0; x < symbol.width(); ++x) {
      if (!symbol.is_dark(x, y)) continue;
      cairo_rectangle(context, x, y, 1, 1);
      cairo_fill(context);
    }
  }
}

SurfacePtr draw(bool eachModule, cairo_format_t format, const QrSymbol& symbol, int side, double cornerX,
                double cornerY, double box) {
  SurfacePtr surface(cairo_image_surface_create(format, side, side));
  const ContextPtr context(cairo_create(surface.get()));
  cairo_set_source_rgb(context.get(), 1, 1, 1);
  cairo_paint(context.get());
  cairo_translate(context.get(), cornerX, cornerY);
  if (eachModule) {
    draw_each_module(context.get(), symbol, box);
  } else {
    qr_draw_modules(context.get(), symbol, box);
  }
  cairo_surface_flush(surface.get());
  return surface;
}

bool same_bytes(cairo_surface_t* a, cairo_surface_t* b) {
  const int stride = cairo_image_surface_get_stride(a);
  const int height = cairo_image_surface_get_height(a);
  return std::memcmp(cairo_image_surface_get_data(a), cairo_image_surface_get_data(b),
                     static_cast<std::size_t>(stride) * static_cast<std::size_t>(height)) == 0;
}

void expect_identical(cairo_format_t format, const QrSymbol& symbol, double cornerX, double cornerY,
                      double box) {
  const int side = static_cast<int>(box + cornerX + cornerY) + 3;
  const SurfacePtr expected = draw(true, format, symbol, side, cornerX, cornerY, box);
  const SurfacePtr actual = draw(false, format, symbol, side, cornerX, cornerY, box);
  EXPECT_TRUE(same_bytes(expected.get(), actual.get()))
      << "format " << format << " width " << symbol.width() << " box " << box << " at " << cornerX << ","
      << cornerY;
}

TEST(DrawModules, RasterPixelsEqualOneFillPerModule) {
  const std::string texts[] = {"A1B", std::string(120, '7'), std::string(700, 'K')};
  const double corners[] = {0.0, 0.5, 7.5, 6.000001, 1.0 / 3.0, 9.3, 126.99999};
  for (const std::string& text : texts) {
    const std::optional<QrSymbol> symbol = qr_encode(text);
    ASSERT_TRUE(symbol);
    const int modules = symbol->width() + 8;
    // Below one pixel a module, round, fractional and many pixels a module.
    for (double box = modules * 0.6; box < modules * 7.2; box += modules * 0.37 + 0.71) {
      for (const double corner : corners)
        expect_identical(CAIRO_FORMAT_ARGB32, *symbol, corner, corner * 0.7, box);
    }
    for (const double box : {static_cast<double>(modules), 486.0, 971.0, 601.0, 400.0}) {
      for (const cairo_format_t format : {CAIRO_FORMAT_RGB24, CAIRO_FORMAT_A8, CAIRO_FORMAT_A1,
                                          CAIRO_FORMAT_RGB16_565, CAIRO_FORMAT_RGB30}) {
        expect_identical(format, *symbol, 7.5, 126.99999, box);
        expect_identical(format, *symbol, 0, 0, box);
      }
    }
  }
}

// Every box side from 1 to 3 pixels a module in steps of a hundredth of a pixel: the sides
// where rounding leaves a pixel column between two modules come up among them.
TEST(DrawModules, EveryFractionOfAPixel) {
  const std::optional<QrSymbol> symbol = qr_encode("HELLO WORLD 0123456789");
  ASSERT_TRUE(symbol);
  const int modules = symbol->width() + 8;
  for (int hundredths = 100 * modules; hundredths <= 300 * modules; hundredths += 37) {
    expect_identical(CAIRO_FORMAT_RGB24, *symbol, 0.25, 0.75, hundredths / 100.0);
  }
}

}  // namespace
}  // namespace tolvex
