// The QR code of a text as a picture: plain or composed into the logo picture of its family,
// as a PNG, SVG or PDF file or the bytes of one; and the calling thread's render settings.
#pragma once

#include <cstdint>
#include <vector>

#include "tolvex/error.hpp"

namespace tolvex {

// The file formats a picture is written in.
enum class ImageFormat : std::int32_t { png = 0, svg = 1, pdf = 2 };

// Where the logo sits around the code; the order of the -r values.
enum class LogoRotation : std::int32_t { bottom = 0, top = 1, left = 2, right = 3 };

// The colour variant of the logo; the order of the -v values.
enum class LogoVariation : std::int32_t { dark = 0, medium = 1, light = 2, gray = 3 };

// The largest side of a plain picture, in pixels: 256 MiB of 32-bit pixels, far beyond what
// print needs (SVG and PDF scale without it).
inline constexpr std::int32_t kLargestImageSize = 8000;

// The calling thread's background colour (components 0.0 to 1.0; opaque white until changed)
// of every picture, and the cairo_format_t value (CAIRO_FORMAT_ARGB32, 0, until changed) of
// the pixels of every PNG picture.
void render_set_background(double red, double green, double blue, double alpha);
void render_set_format(std::int32_t cairoFormat);

// The plain picture of a NUL-terminated text: level L, the smallest version, the symbol and its
// quiet zone filling pixelSize x pixelSize pixels (0: one pixel a module; points in PDF), over
// the background. ERROR_QR for a text no code holds, ERROR_ILLEGAL_ARGUMENT for a side above
// kLargestImageSize. Files are replaced only once complete; failing to make or write one is
// ERROR_IO. bytes receive the complete file.
[[nodiscard]] ErrorCode qr_write_file(const char* text, std::int32_t pixelSize, ImageFormat format,
                                      const char* fileName);
[[nodiscard]] ErrorCode qr_write_memory(const char* text, std::int32_t pixelSize, ImageFormat format,
                                        std::vector<std::uint8_t>* bytes);

// qr_logo_picture (the code in the logo picture of its family), then the file or its bytes.
[[nodiscard]] ErrorCode qr_logo_write_file(const char* text, LogoRotation rotation, LogoVariation variation,
                                           bool frame, const char* logoDirectory, ImageFormat format,
                                           const char* fileName);
[[nodiscard]] ErrorCode qr_logo_write_memory(const char* text, LogoRotation rotation, LogoVariation variation,
                                             bool frame, const char* logoDirectory, ImageFormat format,
                                             std::vector<std::uint8_t>* bytes);

// The PNG pictures.
[[nodiscard]] ErrorCode qr_write_png_file(const char* text, std::int32_t pixelSize, const char* fileName);
[[nodiscard]] ErrorCode qr_write_png_memory(const char* text, std::int32_t pixelSize,
                                            std::vector<std::uint8_t>* png);
[[nodiscard]] ErrorCode qr_logo_write_png_file(const char* text, LogoRotation rotation,
                                               LogoVariation variation, bool frame, const char* logoDirectory,
                                               const char* fileName);
[[nodiscard]] ErrorCode qr_logo_write_png_memory(const char* text, LogoRotation rotation,
                                                 LogoVariation variation, bool frame,
                                                 const char* logoDirectory, std::vector<std::uint8_t>* png);

// A per-thread cache of decoded logo pictures, for callers that compose many codes: off until a
// budget (bytes of PNG files) is set. A budget of 0 or less turns it off; a positive one starts
// an empty cache with that budget. Pictures cached before are released either way.
void logo_cache_set_budget(std::int32_t bytes);

// Releases every cached picture and turns the cache off.
void logo_cache_free();

}  // namespace tolvex
