#include "image/render.h"

#include <optional>
#include <string>
#include <string_view>

#include "image/png_file.h"

namespace tolvex {
namespace {

thread_local RenderSettings settings;

// Quiet zone on every side, in modules.
constexpr int kQuietZone = 4;

}  // namespace

const RenderSettings& render_settings() { return settings; }

void render_set_background(double red, double green, double blue, double alpha) {
  settings.red = red;
  settings.green = green;
  settings.blue = blue;
  settings.alpha = alpha;
}

void render_set_format(cairo_format_t format) { settings.format = format; }

void qr_draw_modules(cairo_t* context, const QrSymbol& symbol, double box) {
  const int width = symbol.width();
  cairo_set_antialias(context, CAIRO_ANTIALIAS_NONE);
  cairo_set_source_rgb(context, 0, 0, 0);
  const double scale = box / static_cast<double>(width + 2 * kQuietZone);
  cairo_scale(context, scale, scale);
  cairo_translate(context, kQuietZone, kQuietZone);
  // One fill per module: with antialiasing off each module then covers whole pixels on its own.
  for (int y = 0; y < width; ++y) {
    for (int x = 0; x < width; ++x) {
      if (!symbol.is_dark(x, y)) continue;
      cairo_rectangle(context, x, y, 1, 1);
      cairo_fill(context);
    }
  }
}

ErrorCode report_qr_failure() {
  return set_error_message(ERROR_QR, "Text cannot be encoded as a QR code: it is empty or too long. ");
}

ErrorCode qr_render_surface(const char* text, std::int32_t pixelSize, SurfacePtr* surface) {
  const std::optional<QrSymbol> symbol =
      qr_encode(text != nullptr ? std::string_view(text) : std::string_view());
  if (!symbol) return report_qr_failure();
  if (pixelSize > kLargestImageSize) {
    return set_error_message(ERROR_ILLEGAL_ARGUMENT, "Image size is too large: the largest is " +
                                                         std::to_string(kLargestImageSize) + " pixels. ");
  }

  const int side = pixelSize != 0 ? pixelSize : symbol->width() + 2 * kQuietZone;
  SurfacePtr result(cairo_image_surface_create(settings.format, side, side));
  const ContextPtr context(cairo_create(result.get()));
  cairo_set_source_rgba(context.get(), settings.red, settings.green, settings.blue, settings.alpha);
  cairo_rectangle(context.get(), 0, 0, side, side);
  cairo_fill(context.get());
  qr_draw_modules(context.get(), *symbol, side);
  if (surface != nullptr) *surface = std::move(result);
  return ERROR_OK;
}

ErrorCode qr_write_png_file(const char* text, std::int32_t pixelSize, const char* fileName) {
  SurfacePtr surface;
  if (const ErrorCode code = qr_render_surface(text, pixelSize, &surface)) return code;
  return write_png_file(surface.get(), fileName);
}

}  // namespace tolvex
