#include "image/logo_compose.h"

#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "codec/base32hex.h"
#include "document/document.h"
#include "image/logo_cache.h"
#include "image/logo_layout.h"
#include "image/png_check.h"
#include "image/png_file.h"
#include "image/render.h"
#include "qr/qr_encode.h"

namespace tolvex {
namespace {

ErrorCode report_logo_status(cairo_status_t status, const std::string& path) {
  switch (status) {
    case CAIRO_STATUS_NO_MEMORY:
      // cairo reports libpng's refusal of a damaged or foreign file as a lack of memory too.
      if (!png_file_reads(path.c_str())) return set_error_message(ERROR_MISSING_LOGO, "Cannot create logo. ");
      return set_error_message(ERROR_IO, "Not enough memory. ");
    case CAIRO_STATUS_FILE_NOT_FOUND:
      return set_error_message(ERROR_MISSING_LOGO, "Cannot find logo file. ");
    case CAIRO_STATUS_READ_ERROR:
      return set_error_message(ERROR_MISSING_LOGO, "Cannot read logo file. ");
    default:
      return set_error_message(ERROR_MISSING_LOGO, "Cannot create logo. ");
  }
}

void fill_background(cairo_t* context, int width, int height) {
  const RenderSettings& settings = render_settings();
  cairo_set_source_rgba(context, settings.red, settings.green, settings.blue, settings.alpha);
  cairo_rectangle(context, 0, 0, width, height);
  cairo_fill(context);
}

}  // namespace

ErrorCode qr_logo_render_surface(const char* text, LogoRotation rotation, LogoVariation variation, bool frame,
                                 const char* logoDirectory, SurfacePtr* surface) {
  const std::size_t length = text != nullptr ? std::strlen(text) : 0;
  DocumentHeader header;
  if (const ErrorCode code = read_header(text, length, &header)) return code;

  const std::optional<QrSymbol> symbol = qr_encode(std::string_view(text, length));
  if (!symbol) return report_qr_failure();

  if (!logo_variation_valid(variation)) {
    return set_error_message(ERROR_ILLEGAL_ARGUMENT, "Illegal argument value for logo variation.");
  }
  if (!logo_rotation_valid(rotation)) {
    return set_error_message(ERROR_ILLEGAL_ARGUMENT, "Illegal argument value for logo rotation.");
  }
  if (header.family() > FAMILY_INVOICE_ITEMS) {
    return set_error_message(ERROR_MISSING_LOGO,
                             "Creating QR code images with logo is currently supported only for PAY, INVOICE "
                             "or INVOICE ITEMS tolvex.");
  }

  const std::string path = std::string(logoDirectory != nullptr ? logoDirectory : "") +
                           std::string(logo_file_name(header.family(), rotation, variation, frame));
  const SurfacePtr logo = logo_cache_load(path);
  if (const cairo_status_t status = cairo_surface_status(logo.get()); status != CAIRO_STATUS_SUCCESS) {
    return report_logo_status(status, path);
  }

  const int pictureWidth = cairo_image_surface_get_width(logo.get());
  const int pictureHeight = cairo_image_surface_get_height(logo.get());
  const LogoLayout layout = logo_layout(rotation, frame, pictureWidth, pictureHeight);

  SurfacePtr result(
      cairo_image_surface_create(render_settings().format, layout.resultWidth, layout.resultHeight));
  {
    const ContextPtr context(cairo_create(result.get()));
    fill_background(context.get(), layout.resultWidth, layout.resultHeight);
    cairo_set_source_surface(context.get(), logo.get(), layout.logoX, layout.logoY);
    cairo_paint(context.get());
  }
  {
    const ContextPtr context(cairo_create(result.get()));
    cairo_translate(context.get(), layout.boxX, layout.boxY);
    qr_draw_modules(context.get(), *symbol, layout.boxSide);
  }
  if (surface != nullptr) *surface = std::move(result);
  return ERROR_OK;
}

ErrorCode qr_logo_write_png_file(const char* text, LogoRotation rotation, LogoVariation variation, bool frame,
                                 const char* logoDirectory, const char* fileName) {
  SurfacePtr surface;
  if (const ErrorCode code =
          qr_logo_render_surface(text, rotation, variation, frame, logoDirectory, &surface)) {
    return code;
  }
  return write_png_file(surface.get(), fileName);
}

}  // namespace tolvex
