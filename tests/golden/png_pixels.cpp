// Decodes a PNG file, whatever its colour type and depth, into 8-bit RGBA rows and writes them
// to standard output after a line "WIDTHxHEIGHT": the picture itself, independent of how a
// writer chose to store it. Exit status 1 when the file is no PNG it can read.
#include <png.h>

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: png_pixels FILE\n");
    return 2;
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, argv[1]) == 0) {
    std::fprintf(stderr, "png_pixels: %s\n", image.message);
    return 1;
  }
  image.format = PNG_FORMAT_RGBA;
  std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) {
    std::fprintf(stderr, "png_pixels: %s\n", image.message);
    return 1;
  }
  std::printf("%ux%u\n", image.width, image.height);
  std::fwrite(pixels.data(), 1, pixels.size(), stdout);
  return 0;
}
