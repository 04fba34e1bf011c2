#include "scan/picture_load.h"

#include <png.h>
#include <turbojpeg.h>

#include <cstring>
#include <memory>
#include <vector>

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

bool is_heif_brand(const std::uint8_t* brand) {
  static constexpr const char* kBrands[] = {"heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1"};
  for (const char* known : kBrands) {
    if (std::memcmp(brand, known, 4) == 0) return true;
  }
  return false;
}

// An ISO media file whose "ftyp" box names a HEIF brand, as its major brand or a compatible one.
bool is_heif(const std::uint8_t* bytes, std::size_t size) {
  if (size < 16 || std::memcmp(bytes + 4, "ftyp", 4) != 0) return false;
  const std::size_t box = (std::size_t{bytes[0]} << 24) | (std::size_t{bytes[1]} << 16) |
                          (std::size_t{bytes[2]} << 8) | bytes[3];
  if (is_heif_brand(bytes + 8)) return true;
  const std::size_t end = box < size ? box : size;
  for (std::size_t at = 16; at + 4 <= end; at += 4) {
    if (is_heif_brand(bytes + at)) return true;
  }
  return false;
}

// Whether an APP14 "Adobe" segment stands before the first scan: Adobe's encoders, and libjpeg
// after them, store CMYK inverted (0 is full ink) and mark it so.
bool has_adobe_marker(const std::uint8_t* bytes, std::size_t size) {
  std::size_t at = 2;
  while (at + 4 <= size && bytes[at] == 0xFF) {
    const std::uint8_t marker = bytes[at + 1];
    if (marker == 0xDA || marker == 0xD9) break;  // start of scan, end of image
    const std::size_t length = (std::size_t{bytes[at + 2]} << 8) | bytes[at + 3];
    if (length < 2) break;
    if (marker == 0xEE && at + 4 + 5 <= size && std::memcmp(bytes + at + 4, "Adobe", 5) == 0) return true;
    at += 2 + length;
  }
  return false;
}

// The luminance of one CMYK pixel printed on white: each ink takes its share of the light.
std::uint8_t cmyk_luminance(unsigned c, unsigned m, unsigned y, unsigned k, bool inverted) {
  if (!inverted) {
    c = 255 - c;
    m = 255 - m;
    y = 255 - y;
    k = 255 - k;
  }
  // c, m, y, k are now the light each ink lets through.
  return gray_luminance(c * k / 255, m * k / 255, y * k / 255);
}

}  // namespace

ScanFormat scan_format(const std::uint8_t* bytes, std::size_t size) {
  if (starts_with(bytes, size, "\x89PNG\r\n\x1a\n", 8)) return ScanFormat::png;
  if (starts_with(bytes, size, "\xFF\xD8\xFF", 3)) return ScanFormat::jpeg;
  // Classic TIFF (42) and BigTIFF (43), in either byte order.
  if (starts_with(bytes, size, "II*\0", 4) || starts_with(bytes, size, "MM\0*", 4) ||
      starts_with(bytes, size, "II+\0", 4) || starts_with(bytes, size, "MM\0+", 4)) {
    return ScanFormat::tiff;
  }
  if (size >= 12 && std::memcmp(bytes, "RIFF", 4) == 0 && std::memcmp(bytes + 8, "WEBP", 4) == 0) {
    return ScanFormat::webp;
  }
  if (is_heif(bytes, size)) return ScanFormat::heic;
  if (starts_with(bytes, size, "BM", 2)) return ScanFormat::bmp;
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

std::size_t jpeg_scan_count(const std::uint8_t* bytes, std::size_t size, std::size_t most) {
  std::size_t scans = 0;
  std::size_t at = 2;  // past the start of image
  while (at + 1 < size && scans <= most) {
    if (bytes[at] != 0xFF) return scans;
    const std::uint8_t marker = bytes[at + 1];
    at += 2;
    if (marker == 0xFF) {  // fill byte
      --at;
      continue;
    }
    if (marker == 0xD9) break;                                        // end of image
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
    if (at + 1 >= size) break;
    at += static_cast<std::size_t>(bytes[at]) << 8 | bytes[at + 1];
    if (marker != 0xDA) continue;
    ++scans;
    // The coded data runs to the next marker: 0xFF before anything but a stuffed 0 or a restart.
    for (; at + 1 < size; ++at) {
      if (bytes[at] == 0xFF && bytes[at + 1] != 0 && (bytes[at + 1] < 0xD0 || bytes[at + 1] > 0xD7)) break;
    }
  }
  return scans;
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
  // Counted before decoding: TurboJPEG's own bound (500 scans) fires only after minutes.
  if (jpeg_scan_count(bytes, size, kScanMaxJpegScans) > static_cast<std::size_t>(kScanMaxJpegScans)) {
    return report(messages::kTooManyJpegScans);
  }
  GrayImage result;
  result.width = width;
  result.height = height;
  const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  result.pixels.resize(pixels);
  if (colourspace == TJCS_CMYK || colourspace == TJCS_YCCK) {
    // TurboJPEG gives such a file only as its four inks (YCCK converted to CMYK).
    std::vector<std::uint8_t> inks(pixels * 4);
    if (tjDecompress2(decoder.get(), bytes, length, inks.data(), width, 0, height, TJPF_CMYK, TJFLAG_LIMITSCANS) !=
            0 &&
        tjGetErrorCode(decoder.get()) != TJERR_WARNING) {
      return report(messages::kCannotReadJpegPicture);
    }
    const bool inverted = has_adobe_marker(bytes, size);
    for (std::size_t i = 0; i < pixels; ++i) {
      const std::uint8_t* ink = inks.data() + 4 * i;
      result.pixels[i] = cmyk_luminance(ink[0], ink[1], ink[2], ink[3], inverted);
    }
    *image = std::move(result);
    return ERROR_OK;
  }
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
