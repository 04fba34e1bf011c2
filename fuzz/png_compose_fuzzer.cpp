// Arbitrary texts into the composed PNG, with every logo of the set or plain at sizes, margins,
// backgrounds and both composed formats: the file decodes to exactly the pixels of the drawn
// picture. Input: a choice byte, a size byte, a background byte, then the text.
#include <png.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "image/logo_cache.h"
#include "image/logo_compose.h"
#include "image/png_compose.h"
#include "image/png_encode.h"
#include "image/render.h"
#include "require.h"

using namespace tolvex;
using tolvex::fuzz::require;

namespace {

std::vector<png_byte> pixels_of(const std::vector<std::uint8_t>& file) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  require(png_image_begin_read_from_memory(&image, file.data(), file.size()) != 0, "the PNG reads");
  image.format = PNG_FORMAT_RGBA;
  std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
  require(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0, "the PNG decodes");
  return pixels;
}

constexpr RenderSettings kBackgrounds[] = {
    {1, 1, 1, 1, CAIRO_FORMAT_ARGB32},         {0, 0, 0, 0, CAIRO_FORMAT_ARGB32},
    {0.3, 0.6, 0.1, 0.5, CAIRO_FORMAT_ARGB32}, {0, 0, 0, 1, CAIRO_FORMAT_ARGB32},
    {0.9, 0.2, 0.4, 1, CAIRO_FORMAT_RGB24},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  static const bool cached = [] {
    logo_cache_set_budget(64 << 20);
    return true;
  }();
  (void)cached;
  const std::uint8_t choice = data[0];
  const std::uint8_t side = data[1];
  const RenderSettings& background = kBackgrounds[data[2] % std::size(kBackgrounds)];
  const std::string_view text(reinterpret_cast<const char*>(data + 3), size - 3);
  Picture picture;
  if (choice < 192) {
    // 96 logos: family, placement, colour, frame.
    const unsigned logo = choice % 96;
    if (qr_logo_picture(text, logo / 32, static_cast<LogoRotation>(logo / 8 % 4),
                        static_cast<LogoVariation>(logo / 2 % 4), logo % 2 == 0, TOLVEX_LOGO_DIR,
                        &picture) != ERROR_OK) {
      return 0;
    }
  } else {
    const PlainPictureOptions options{
        .size = side * 3, .moduleSize = choice % 4 == 0 ? side % 12 : 0, .margin = choice % 9};
    if (qr_picture(text, options, &picture) != ERROR_OK) return 0;
  }
  picture.render = background;
  std::vector<std::uint8_t> composed;
  const std::optional<cairo_status_t> status = png_compose(picture, side, &composed);
  require(status.has_value() && *status == CAIRO_STATUS_SUCCESS, "the picture is composed");
  std::vector<std::uint8_t> drawn;
  require(png_encode_surface(picture_render_surface(picture).get(), &drawn, side) == CAIRO_STATUS_SUCCESS,
          "the picture is drawn");
  require(pixels_of(composed) == pixels_of(drawn), "composed and drawn pixels are the same");
  return 0;
}
