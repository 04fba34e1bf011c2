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

}  // namespace

ErrorCode qr_logo_picture(const char* text, LogoRotation rotation, LogoVariation variation, bool frame,
                          const char* logoDirectory, Picture* picture) {
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
  if (header.family() > kFamilyInvoiceItems) {
    return set_error_message(ERROR_MISSING_LOGO,
                             "Creating QR code images with logo is currently supported only for PAY, INVOICE "
                             "or INVOICE ITEMS tolvex.");
  }

  const std::string path = std::string(logoDirectory != nullptr ? logoDirectory : "") +
                           std::string(logo_file_name(header.family(), rotation, variation, frame));
  SurfacePtr logo = logo_cache_load(path);
  if (const cairo_status_t status = cairo_surface_status(logo.get()); status != CAIRO_STATUS_SUCCESS) {
    return report_logo_status(status, path);
  }

  const int pictureWidth = cairo_image_surface_get_width(logo.get());
  const int pictureHeight = cairo_image_surface_get_height(logo.get());
  const LogoLayout layout = logo_layout(rotation, frame, pictureWidth, pictureHeight);

  if (picture == nullptr) return ERROR_OK;
  *picture = Picture{};
  picture->width = layout.resultWidth;
  picture->height = layout.resultHeight;
  picture->symbol = *symbol;
  picture->boxX = layout.boxX;
  picture->boxY = layout.boxY;
  picture->boxSide = layout.boxSide;
  picture->logo = std::move(logo);
  picture->logoX = layout.logoX;
  picture->logoY = layout.logoY;
  return ERROR_OK;
}

ErrorCode qr_logo_render_surface(const char* text, LogoRotation rotation, LogoVariation variation, bool frame,
                                 const char* logoDirectory, SurfacePtr* surface) {
  Picture picture;
  if (const ErrorCode code = qr_logo_picture(text, rotation, variation, frame, logoDirectory, &picture)) {
    return code;
  }
  if (surface != nullptr) *surface = picture_render_surface(picture);
  return ERROR_OK;
}

}  // namespace tolvex
