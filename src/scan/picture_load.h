// Pictures from bytes in memory into luminance, within the limits of scan_limits.h: the
// dimensions in the header are checked before the pixels are allocated. Every decoder reads
// from memory; none writes a temporary file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/error.h"
#include "scan/gray_image.h"

namespace tolvex {

enum class ScanFormat { unknown, png, jpeg, pdf, tiff, webp, heic, bmp };

// The format by the file's signature; the name of a file is not looked at.
[[nodiscard]] ScanFormat scan_format(const std::uint8_t* bytes, std::size_t size);

// A picture beyond the limits: ERROR_ILLEGAL_ARGUMENT "Picture too large. ". A file that is
// not a readable PNG or JPEG: ERROR_IO "Cannot read PNG picture. " or "Cannot read JPEG
// picture. ". Transparent pixels are taken over white. A CMYK or YCCK JPEG is read as the ink
// would print it, its values taken as inverted when an Adobe marker says so. A progressive file
// of more than kScanMaxJpegScans scans: ERROR_ILLEGAL_ARGUMENT "Too many JPEG scans. ".
[[nodiscard]] ErrorCode load_png(const std::uint8_t* bytes, std::size_t size, GrayImage* image);
[[nodiscard]] ErrorCode load_jpeg(const std::uint8_t* bytes, std::size_t size, GrayImage* image);

// Every page (directory) of a TIFF file, in order, through TIFFReadRGBA: any compression and
// photometric libtiff reads, bilevel G4 scans too. More pages than kScanMaxTiffPages fail
// before any is decoded (ERROR_ILLEGAL_ARGUMENT "Too many TIFF pages. "); a page that cannot be
// decoded fails with ERROR_IO "Cannot read TIFF picture. " and "page N" as its detail.
[[nodiscard]] ErrorCode tiff_visit_pages(const std::uint8_t* bytes, std::size_t size, const PageVisitor& visit);

// A still WebP picture, lossy or lossless; ERROR_IO "Cannot read WebP picture. ".
[[nodiscard]] ErrorCode load_webp(const std::uint8_t* bytes, std::size_t size, GrayImage* image);

// Loads what the decoders load once (libheif's codec plugins), so that it is done before the
// reading worker gives up opening files.
void prepare_picture_decoders();

// The primary picture of a HEIF file (HEIC from phones), turned as its file says; ERROR_IO
// "Cannot read HEIC picture. ", or ERROR_ILLEGAL_ARGUMENT "HEIC pictures cannot be decoded: ..."
// when libheif has no decoder for its coding.
[[nodiscard]] ErrorCode load_heic(const std::uint8_t* bytes, std::size_t size, GrayImage* image);

// A Windows bitmap: 1, 4, 8 bits with a palette, 16, 24 and 32 bits (plain or with bit masks),
// RLE8 and RLE4, rows bottom-up or top-down. ERROR_IO "Cannot read BMP picture. " for a damaged
// file, ERROR_ILLEGAL_ARGUMENT "BMP picture of a kind not read ... " for others (JPEG or PNG inside).
[[nodiscard]] ErrorCode load_bmp(const std::uint8_t* bytes, std::size_t size, GrayImage* image);

// The scans (start-of-scan segments) of a JPEG file, counted up to one past most; a damaged
// file is counted as far as its segments can be followed.
[[nodiscard]] std::size_t jpeg_scan_count(const std::uint8_t* bytes, std::size_t size, std::size_t most);

// Whether a picture of width x height pixels is within the limits (records the error if not).
[[nodiscard]] ErrorCode check_picture_size(std::int64_t width, std::int64_t height);

}  // namespace tolvex
