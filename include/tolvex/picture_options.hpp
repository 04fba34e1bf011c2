// How a picture is asked for: its file format, size, logo and colours, as one options value; and
// the calling thread's settings that the older picture entries follow.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace tolvex {

// The file formats a picture is written in.
enum class ImageFormat : std::int32_t { png = 0, svg = 1, pdf = 2 };

// Where the logo sits around the code; the order of the -r values.
enum class LogoRotation : std::int32_t { bottom = 0, top = 1, left = 2, right = 3 };

// The colour variant of the logo; the order of the -v values.
enum class LogoVariation : std::int32_t { dark = 0, medium = 1, light = 2, gray = 3 };

// The pixel formats of a PNG picture's drawing surface, numbered as cairo numbers them.
enum class PixelFormat : std::int32_t { argb32 = 0, rgb24 = 1, a8 = 2, a1 = 3, rgb16565 = 4, rgb30 = 5 };

// The error correction level of the code: about 7, 15, 25 and 30 % of the symbol may be lost.
enum class ErrorCorrection : std::int32_t { low = 0, medium = 1, quartile = 2, high = 3 };

// The units of a length on paper.
enum class LengthUnit : std::int32_t { millimetre = 0, inch = 1, point = 2 };

// A length on paper, such as 40 mm.
struct Length {
  double value = 0.0;
  LengthUnit unit = LengthUnit::millimetre;
};

// The length in PDF points (1/72 inch).
[[nodiscard]] constexpr double points_of(const Length& length) {
  switch (length.unit) {
    case LengthUnit::inch:
      return length.value * 72.0;
    case LengthUnit::point:
      return length.value;
    default:
      return length.value * 72.0 / 25.4;
  }
}

// Sheets a PDF page can have.
enum class Paper : std::int32_t { a4 = 0, a5 = 1, a6 = 2, letter = 3 };

// Where on the sheet the picture goes, inside the page margin.
enum class PagePosition : std::int32_t {
  top_left = 0, top = 1, top_right = 2, left = 3, centre = 4, right = 5, bottom_left = 6, bottom = 7,
  bottom_right = 8
};

// A point on a printed page, measured from its top-left corner as people measure with a ruler.
struct PagePoint {
  Length x{};
  Length y{};
};

// The picture placed on a sheet of paper (PDF only): at a point (its top-left corner there) or
// at a position within the margin; neither: the top-left corner within the margin.
struct PaperPlacement {
  Paper paper = Paper::a4;
  std::optional<PagePoint> at{};
  std::optional<PagePosition> position{};
  Length pageMargin{10.0, LengthUnit::millimetre};
};

// The quiet zone around the symbol that the QR standard asks for, in modules.
inline constexpr std::int32_t kQuietZoneModules = 4;

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

  // Print. The defaults draw what the options above always drew.
  std::int32_t moduleSize = 0;      // whole pixels a module of the plain picture, instead of size;
                                    // refused with a logo, whose picture has the logo's size
  std::int32_t margin = kQuietZoneModules;  // the quiet zone in modules (4 to 100): around the
                                            // plain picture, inside a logo picture's code square
  std::int32_t dpi = 0;             // a PNG's resolution (pHYs), and pixels of a physical size; 0:
                                    // none recorded, 72 for physical sizes
  ErrorCorrection level = ErrorCorrection::low;
  bool boostLevel = false;          // the highest level the smallest version for level holds
  std::optional<Length> physicalSize{};  // width on paper: the plain code, or the whole logo
                                         // picture; SVG in that unit, PDF a page of that size
  std::optional<PaperPlacement> paper{};  // PDF: the picture on a sheet instead of its own page
  bool compactVector = false;       // SVG and PDF by the compact writer: the code as one path, no
                                    // ids that change, the same bytes in every run; a logo from
                                    // its SVG twin as vectors (else its PNG embedded)
  std::optional<std::string> title{};        // SVG <title>, PDF /Title and the figure's text
  std::optional<std::string> description{};  // SVG <desc>, PDF /Subject and alternate text
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
