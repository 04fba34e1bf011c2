// How a picture is asked for: its file format, size, logo and colours, as one options value; and
// the calling thread's settings that the older picture entries follow.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace tolvex {

// The file formats a picture is written in.
enum class ImageFormat : std::int32_t { png = 0, svg = 1, pdf = 2 };

// Where the logo sits around the code; the order of the -r values.
enum class LogoRotation : std::int32_t { bottom = 0, top = 1, left = 2, right = 3 };

// The colour variant of the logo; the order of the -v values.
enum class LogoVariation : std::int32_t { dark = 0, medium = 1, light = 2, gray = 3 };

// The pixel formats of a PNG picture's drawing surface, numbered as cairo numbers them.
enum class PixelFormat : std::int32_t { argb32 = 0, rgb24 = 1, a8 = 2, a1 = 3, rgb16565 = 4, rgb30 = 5 };

// The largest side of a plain picture, in pixels: 256 MiB of 32-bit pixels, far beyond what
// print needs (SVG and PDF scale without it).
inline constexpr std::int32_t kLargestImageSize = 8000;

// A colour, each component from 0.0 to 1.0.
struct Colour {
  double red = 1.0;
  double green = 1.0;
  double blue = 1.0;
  double alpha = 1.0;
};

// The logo picture a code is composed into: the file is chosen by the text's family and these.
struct LogoOptions {
  // Put in front of each logo picture's file name as written, as tolvexqr's -l is: a directory
  // ends in "/" ("logo/"; "" is the current directory).
  std::filesystem::path directory = "logo/";
  LogoRotation rotation = LogoRotation::bottom;
  LogoVariation variation = LogoVariation::dark;
  bool frame = true;
};

// Everything a picture can be asked for. New options are added as members with defaults, so a
// caller's designated initialisers keep compiling (every member has an initialiser, so that they
// compile without warnings too).
struct PictureOptions {
  ImageFormat format = ImageFormat::png;
  std::int32_t size = 0;            // the plain picture's side in pixels (points in PDF); 0: one
                                    // pixel a module. The logo picture has the logo's size.
  std::optional<LogoOptions> logo{};  // absent: the plain code
  Colour background{};              // behind the code (and the logo): opaque white
  PixelFormat pixelFormat = PixelFormat::argb32;  // the surface a PNG is drawn on
};

// The calling thread's background colour and PNG pixel format (a cairo_format_t value), which
// the older picture entries use; the entries that take PictureOptions do not look at them.
void render_set_background(double red, double green, double blue, double alpha);
void render_set_format(std::int32_t cairoFormat);

// A per-thread cache of decoded logo pictures, for callers that compose many codes: off until a
// budget (bytes of PNG files) is set. A budget of 0 or less turns it off; a positive one starts
// an empty cache with that budget. Pictures cached before are released either way.
void logo_cache_set_budget(std::int32_t bytes);

// Releases every cached picture and turns the cache off.
void logo_cache_free();

}  // namespace tolvex
