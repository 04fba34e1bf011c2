#include "scan/gray_image.h"

#include <cstddef>
#include <string>

#include "base/messages.h"

namespace tolvex {
namespace {

GrayImage sized(int width, int height) {
  GrayImage image;
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  return image;
}

}  // namespace

GrayImage gray_inverted(const GrayImage& image) {
  GrayImage inverted = image;
  for (std::uint8_t& pixel : inverted.pixels) pixel = static_cast<std::uint8_t>(255 - pixel);
  return inverted;
}

GrayImage gray_enlarged(const GrayImage& image, int factor) {
  GrayImage large = sized(image.width * factor, image.height * factor);
  if (image.pixels.empty()) return large;
  std::uint8_t* out = large.pixels.data();
  const auto at = [&image](int x, int y) {
    x = x < 0 ? 0 : x >= image.width ? image.width - 1 : x;
    y = y < 0 ? 0 : y >= image.height ? image.height - 1 : y;
    return static_cast<int>(image.pixels[static_cast<std::size_t>(y) * image.width + x]);
  };
  // Bilinear between pixel centres, in steps of 1/factor: a blurred edge keeps where it lies
  // between two pixels, which repeating pixels would round to one of them.
  for (int y = 0; y < large.height; ++y) {
    const int sy2 = 2 * y + 1 - factor;  // twice the source position, times factor
    const int y0 = sy2 >= 0 ? sy2 / (2 * factor) : -1;
    const int fy = sy2 - y0 * 2 * factor;
    for (int x = 0; x < large.width; ++x) {
      const int sx2 = 2 * x + 1 - factor;
      const int x0 = sx2 >= 0 ? sx2 / (2 * factor) : -1;
      const int fx = sx2 - x0 * 2 * factor;
      const int d = 2 * factor;
      const int top = at(x0, y0) * (d - fx) + at(x0 + 1, y0) * fx;
      const int bottom = at(x0, y0 + 1) * (d - fx) + at(x0 + 1, y0 + 1) * fx;
      *out++ = static_cast<std::uint8_t>((top * (d - fy) + bottom * fy + d * d / 2) / (d * d));
    }
  }
  return large;
}

GrayImage gray_from_surface(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  GrayImage image = sized(cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface));
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  // One loop for each format, so that the compiler vectorises the row (a rendered page is
  // millions of pixels), and the sizes in locals, which a store through the byte pointer could
  // otherwise change.
  const int width = image.width;
  const int height = image.height;
  const auto convert = [&]<bool kAlpha>() {
    std::uint8_t* out = image.pixels.data();
    for (int y = 0; y < height; ++y) {
      const auto* row =
          reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
      for (int x = 0; x < width; ++x) {
        const std::uint32_t pixel = row[x];
        // Premultiplied colour over white: what is not covered shows the paper.
        const unsigned paper = kAlpha ? 255 - (pixel >> 24) : 0;
        out[x] = gray_luminance(((pixel >> 16) & 0xFF) + paper, ((pixel >> 8) & 0xFF) + paper,
                                (pixel & 0xFF) + paper);
      }
      out += width;
    }
  };
  if (cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32) {
    convert.template operator()<true>();
  } else {
    convert.template operator()<false>();
  }
  return image;
}

ErrorCode fail_on_page(ErrorCode code, int page) {
  const Error failure = recorded_error();
  return set_error(code, failure.message, std::string(messages::kPageOfDocument.text) + std::to_string(page));
}

}  // namespace tolvex
