// The bounds on the work one file may cause, so that a crafted file fails early with a clear
// error instead of taking the machine's memory or time. Each is checked against what a header
// claims before anything of that size is allocated or rendered.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tolvex {

// A file read whole: a scanned PDF of many pages stays well below this.
inline constexpr std::size_t kScanMaxFileBytes = 128u << 20;

// A picture, and each page of a TIFF file: 64 megapixels (8000 x 8000, or any other shape of that
// area), 64 MB as luminance. Each side at most 65535, the JPEG format's own bound.
inline constexpr std::int64_t kScanMaxPicturePixels = 64'000'000;
inline constexpr int kScanMaxPictureSide = 65535;

// A PDF document: its pages are rendered one at a time, at most this many.
inline constexpr int kScanMaxPdfPages = 100;
// A TIFF file: its pages (directories) are decoded one at a time, at most this many.
inline constexpr int kScanMaxTiffPages = 100;
// What libtiff may allocate at once for one strip or tile, and a HEIF file's decoder for its
// working picture: four bytes a pixel of the largest picture allowed.
inline constexpr std::int64_t kScanMaxDecoderAllocation = 4 * kScanMaxPicturePixels;

// A progressive JPEG: each scan is a pass over every pixel, so a file of thousands of small scans
// over a large picture decodes for minutes. Encoders write at most a few dozen (libjpeg's
// progression ten for colour, six for grey).
inline constexpr int kScanMaxJpegScans = 64;

// Pages are rendered at 150 dpi first, where a code of print size (35 to 45 mm, 50 to 70
// modules) gets 3 to 4 pixels a module, and at 300 dpi (6 to 9) when nothing was found there. A page larger than 8000 pixels a side at that resolution
// (larger than A2) is rendered at the resolution that fits, but not below 150 dpi, which still
// gives a print-size code 3 pixels a module; a page that needs less is refused.
inline constexpr double kScanPdfDpi = 300.0;
inline constexpr double kScanPdfMinDpi = 150.0;
inline constexpr int kScanMaxRenderSide = 8000;

// A page's images are read before it is rendered when it draws at most this many: the part of
// the page each covers, rendered at 150 dpi, when that is at most this share of the page and
// this many pixels (a scanned page, or a large image on a large page, is left to the page's
// rendering). The bounds keep the first look cheap: each image costs a pass over the content.
inline constexpr int kScanMaxPdfPageImages = 16;
inline constexpr double kScanMaxPdfImageShare = 0.25;
inline constexpr std::int64_t kScanMaxPdfImagePixels = 4'000'000;

}  // namespace tolvex
