// Luminance pictures written in the formats scanners and phones produce, with the libraries
// themselves (libtiff, libwebp, libheif, libjpeg) or by hand (BMP), for the tests that read them
// back and for the fuzz seeds.
#pragma once

#include <optional>
#include <vector>

#include "scan/gray_image.h"
#include "scan/pictures.h"

namespace tolvex::test {

// How a TIFF page is stored.
enum class TiffPage {
  gray,          // 8-bit grey, uncompressed
  rgb_lzw,       // 8-bit RGB, LZW
  bilevel_g4,    // 1 bit, white is zero, CCITT group 4 (what office scanners write)
  palette_zip,   // 8-bit palette, deflate
};

// A TIFF file with one page (directory) per picture.
[[nodiscard]] Bytes tiff_of(const std::vector<GrayImage>& pages, TiffPage storage);

[[nodiscard]] Bytes webp_of(const GrayImage& picture, bool lossless);

// An HEIC file; none when libheif has no HEVC encoder here.
[[nodiscard]] std::optional<Bytes> heic_of(const GrayImage& picture);

// How a BMP picture is stored; its expected luminance is that of the picture quantised to it.
enum class BmpKind { bits1, bits4, bits8, rle8, rle4, bits16, bits24, bits32, os2_bits24 };
[[nodiscard]] Bytes bmp_of(const GrayImage& picture, BmpKind kind, bool topDown);
// The luminance a BMP of that kind holds for a source luminance.
[[nodiscard]] std::uint8_t bmp_luminance(std::uint8_t gray, BmpKind kind);

// A four-ink JPEG of the picture (black ink only): CMYK as Adobe stores it (inverted, with its
// marker), CMYK as others do (plain, no marker), or YCCK (Adobe's transform).
enum class CmykJpeg { adobe_inverted, plain, ycck };
[[nodiscard]] Bytes cmyk_jpeg_of(const GrayImage& picture, CmykJpeg kind);

// The luminance of a surface (the code pictures), and a white page of that size.
[[nodiscard]] GrayImage gray_of(cairo_surface_t* surface);
[[nodiscard]] GrayImage white_like(const GrayImage& picture);

}  // namespace tolvex::test
