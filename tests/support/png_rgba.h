// A PNG file decoded with libpng's simplified reader to 8-bit RGBA, whatever the file stores:
// what the picture tests compare, apart from how the file was written.
#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tolvex::test {

struct DecodedPng {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<png_byte> rgba;
  std::string failure;  // libpng's message when the file does not decode

  bool operator==(const DecodedPng&) const = default;
};

inline DecodedPng decode_png(const std::vector<std::uint8_t>& file) {
  DecodedPng decoded;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&image, file.data(), file.size()) == 0) {
    decoded.failure = image.message;
    return decoded;
  }
  image.format = PNG_FORMAT_RGBA;
  decoded.rgba.resize(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, decoded.rgba.data(), 0, nullptr) == 0) {
    decoded.failure = image.message;
    return decoded;
  }
  decoded.width = image.width;
  decoded.height = image.height;
  return decoded;
}

}  // namespace tolvex::test
