#include "scan/picture_load.h"

#include <png.h>
#include <turbojpeg.h>

#include <cstring>
#include <memory>

#include "base/messages.h"
#include "scan/scan_limits.h"

namespace tolvex {
namespace {

struct PngImage {
  png_image image{};
  PngImage() { image.version = PNG_IMAGE_VERSION; }
  ~PngImage() { png_image_free(&image); }
  PngImage(const PngImage&) = delete;
  PngImage& operator=(const PngImage&) = delete;
};

struct JpegDecoderDeleter {
  void operator()(void* handle) const { tjDestroy(handle); }
};
using JpegDecoder = std::unique_ptr<void, JpegDecoderDeleter>;

bool starts_with(const std::uint8_t* bytes, std::size_t size, const char* signature, std::size_t length) {
  return size >= length && std::memcmp(bytes, signature, length) == 0;
}

}  // namespace

ScanFormat scan_format(const std::uint8_t* bytes, std::size_t size) {
  if (starts_with(bytes, size, "\x89PNG\r\n\x1a\n", 8)) return ScanFormat::png;
  if (starts_with(bytes, size, "\xFF\xD8\xFF", 3)) return ScanFormat::jpeg;
  // A PDF may have bytes before its header; readers look within the first kilobyte.
  const std::size_t window = size < 1024 ? size : 1024;
  for (std::size_t i = 0; i + 5 <= window; ++i) {
    if (std::memcmp(bytes + i, "%PDF-", 5) == 0) return ScanFormat::pdf;
  }
  return ScanFormat::unknown;
}

ErrorCode check_picture_size(std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0 || width > kScanMaxPictureSide || height > kScanMaxPictureSide ||
      width * height > kScanMaxPicturePixels) {
    return report(messages::kPictureTooLarge);
  }
  return ERROR_OK;
}

ErrorCode load_png(const std::uint8_t* bytes, std::size_t size, GrayImage* image) {
  PngImage png;
  if (png_image_begin_read_from_memory(&png.image, bytes, size) == 0) {
    return report(messages::kCannotReadPngPicture);
  }
  if (const ErrorCode code = check_picture_size(png.image.width, png.image.height)) return code;
  png.image.format = PNG_FORMAT_GRAY;
  GrayImage result;
  result.width = static_cast<int>(png.image.width);
  result.height = static_cast<int>(png.image.height);
  result.pixels.resize(PNG_IMAGE_SIZE(png.image));
  const png_color white{255, 255, 255};
  if (png_image_finish_read(&png.image, &white, result.pixels.data(), 0, nullptr) == 0) {
    return report(messages::kCannotReadPngPicture);
  }
  *image = std::move(result);
  return ERROR_OK;
}

ErrorCode load_jpeg(const std::uint8_t* bytes, std::size_t size, GrayImage* image) {
  const JpegDecoder decoder(tjInitDecompress());
  if (!decoder) return report(messages::kNotEnoughMemory);
  int width = 0;
  int height = 0;
  int subsampling = 0;
  int colourspace = 0;
  const auto length = static_cast<unsigned long>(size);
  if (tjDecompressHeader3(decoder.get(), bytes, length, &width, &height, &subsampling, &colourspace) != 0 ||
      width <= 0 || height <= 0) {
    return report(messages::kCannotReadJpegPicture);
  }
  if (const ErrorCode code = check_picture_size(width, height)) return code;
  GrayImage result;
  result.width = width;
  result.height = height;
  result.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  // A progressive file of thousands of scans decodes for minutes; real encoders write about ten.
  if (tjDecompress2(decoder.get(), bytes, length, result.pixels.data(), width, 0, height, TJPF_GRAY,
                    TJFLAG_LIMITSCANS) != 0 &&
      tjGetErrorCode(decoder.get()) != TJERR_WARNING) {
    // A warning (a file cut short, say) still leaves every row it could decode.
    return report(messages::kCannotReadJpegPicture);
  }
  *image = std::move(result);
  return ERROR_OK;
}

}  // namespace tolvex
