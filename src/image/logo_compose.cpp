#include "image/logo_compose.h"

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "base/messages.h"
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
      if (!png_file_reads(path.c_str())) return report(messages::kCannotCreateLogo);
      return report(messages::kNotEnoughMemory);
    case CAIRO_STATUS_FILE_NOT_FOUND:
      return report(messages::kCannotFindLogoFile);
    case CAIRO_STATUS_READ_ERROR:
      return report(messages::kCannotReadLogoFile);
    default:
      return report(messages::kCannotCreateLogo);
  }
}

}  // namespace

// The families that have logo pictures: PAY, INVOICE and INVOICE ITEMS.
constexpr unsigned kLastFamilyWithLogo = 2;

std::string logo_prefix(const std::filesystem::path& directory) {
  return directory.string();
}

ErrorCode qr_logo_picture(std::string_view text, unsigned family, LogoRotation rotation, LogoVariation variation,
                          bool frame, std::string_view logoPrefix, Picture* picture, ErrorCorrection level,
                          bool boostLevel, int margin) {
  const std::optional<QrSymbol> symbol = qr_encode_at(text, level, boostLevel);
  if (!symbol) return report_qr_failure();

  if (!logo_variation_valid(variation)) {
    return report(messages::kIllegalLogoVariation);
  }
  if (!logo_rotation_valid(rotation)) {
    return report(messages::kIllegalLogoRotation);
  }
  if (family > kLastFamilyWithLogo) {
    return report(messages::kLogoOnlyForKnownFamilies);
  }

  const std::string path = std::string(logoPrefix) + std::string(logo_file_name(family, rotation, variation, frame));
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
  picture->margin = margin;
  picture->logo = std::move(logo);
  picture->logoPath = path;
  picture->logoX = layout.logoX;
  picture->logoY = layout.logoY;
  picture->render = render_settings();
  return ERROR_OK;
}

ErrorCode qr_logo_render_surface(std::string_view text, unsigned family, LogoRotation rotation,
                                 LogoVariation variation, bool frame, std::string_view logoPrefix,
                                 SurfacePtr* surface) {
  Picture picture;
  if (const ErrorCode code = qr_logo_picture(text, family, rotation, variation, frame, logoPrefix, &picture)) {
    return code;
  }
  if (surface != nullptr) *surface = picture_render_surface(picture);
  return ERROR_OK;
}

}  // namespace tolvex
