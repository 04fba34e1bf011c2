#include "tolvex/picture.hpp"

#include <cmath>

#include "base/guard.h"
#include "base/messages.h"
#include "image/logo_compose.h"
#include "image/picture_output.h"
#include "image/render.h"
#include "image/vector_print.h"
#include "picture/text_picture.h"
#include "tolvex/header.hpp"

namespace tolvex {

namespace {

constexpr std::int32_t kLargestModuleSize = 100;
constexpr std::int32_t kLargestMargin = 100;
constexpr std::int32_t kLargestDpi = 10000;
// A PDF page is at most 200 inches on a side.
constexpr double kLargestPoints = 14400.0;

ErrorCode check_print_options(const PictureOptions& options) {
  if (options.moduleSize < 0 || options.moduleSize > kLargestModuleSize) {
    return report(messages::kModuleSizeOutOfRange);
  }
  // Whole pixels a module would scale the logo's raster and blur it: refused rather than ignored.
  if (options.logo && options.moduleSize != 0) return report(messages::kModuleSizeOnlyWithoutLogo);
  if (options.margin < kQuietZoneModules || options.margin > kLargestMargin) {
    return report(messages::kMarginOutOfRange);
  }
  if (options.dpi < 0 || options.dpi > kLargestDpi) return report(messages::kResolutionOutOfRange);
  if (static_cast<std::uint32_t>(options.level) > static_cast<std::uint32_t>(ErrorCorrection::high)) {
    return report(messages::kIllegalErrorCorrectionLevel);
  }
  if ((options.size != 0) + (options.moduleSize != 0) + options.physicalSize.has_value() > 1) {
    return report(messages::kSizesExcludeEachOther);
  }
  if (options.physicalSize) {
    const double points = points_of(*options.physicalSize);
    if (!(points >= 1.0 && points <= kLargestPoints)) return report(messages::kPhysicalSizeOutOfRange);
  }
  if (options.paper) {
    if (options.format != ImageFormat::pdf) return report(messages::kPaperOnlyInPdf);
    if (options.paper->at && options.paper->position) return report(messages::kPlaceAndPositionTogether);
  }
  return ERROR_OK;
}

// The side of a plain PNG of a physical size, at the resolution asked for or one pixel a point.
std::int32_t raster_side(const PictureOptions& options) {
  if (!options.physicalSize || options.format != ImageFormat::png) return options.size;
  const double dpi = options.dpi > 0 ? options.dpi : 72.0;
  return static_cast<std::int32_t>(std::lround(points_of(*options.physicalSize) / 72.0 * dpi));
}

}  // namespace

ErrorCode text_picture(std::string_view text, const PictureOptions& options, Picture* picture) {
  if (!options.logo) {
    return qr_picture(text,
                      PlainPictureOptions{.size = raster_side(options),
                                          .moduleSize = options.moduleSize,
                                          .margin = options.margin,
                                          .level = options.level,
                                          .boostLevel = options.boostLevel},
                      picture);
  }
  DocumentHeader header;
  if (const ErrorCode code = read_header(text.data(), text.size(), &header)) return code;
  const LogoOptions& logo = *options.logo;
  return qr_logo_picture(text, header.family(), logo.rotation, logo.variation, logo.frame,
                         logo_prefix(logo.directory), picture, options.level, options.boostLevel, options.margin);
}

namespace {

ErrorCode picture_of(std::string_view text, const PictureOptions& options, Picture& picture) {
  if (const ErrorCode code = check_print_options(options)) return code;
  if (const ErrorCode code = text_picture(text, options, &picture)) return code;
  picture.render = render_settings_of(options);
  picture.print = PrintSettings{.dpi = options.dpi,
                                .physicalSize = options.physicalSize,
                                .paper = options.paper,
                                .compact = options.compactVector,
                                .title = options.title,
                                .description = options.description};
  if (options.paper && !page_geometry(picture)) return report(messages::kPictureOffThePage);
  return ERROR_OK;
}

}  // namespace

Result<std::vector<std::uint8_t>> render(std::string_view text, const PictureOptions& options) {
  return guarded_result<std::vector<std::uint8_t>>([&](std::vector<std::uint8_t>& bytes) {
    Picture picture;
    if (const ErrorCode code = picture_of(text, options, picture)) return code;
    return write_picture_memory(picture, options.format, &bytes);
  });
}

Result<void> write_picture(std::string_view text, const std::filesystem::path& file, const PictureOptions& options) {
  return guarded_status([&] {
    Picture picture;
    if (const ErrorCode code = picture_of(text, options, picture)) return code;
    return write_picture_file(picture, options.format, file.c_str());
  });
}

}  // namespace tolvex
