#include "tolvex/picture.hpp"

#include "base/guard.h"
#include "image/logo_compose.h"
#include "image/picture_output.h"
#include "image/render.h"
#include "picture/text_picture.h"
#include "tolvex/header.hpp"

namespace tolvex {

ErrorCode text_picture(std::string_view text, const PictureOptions& options, Picture* picture) {
  if (!options.logo) return qr_picture(text, options.size, picture);
  DocumentHeader header;
  if (const ErrorCode code = read_header(text.data(), text.size(), &header)) return code;
  const LogoOptions& logo = *options.logo;
  return qr_logo_picture(text, header.family(), logo.rotation, logo.variation, logo.frame,
                         logo_prefix(logo.directory), picture);
}

namespace {

ErrorCode picture_of(std::string_view text, const PictureOptions& options, Picture& picture) {
  if (const ErrorCode code = text_picture(text, options, &picture)) return code;
  picture.render = render_settings_of(options);
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
