#include "image/png_encode.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

#include "image/cairo_ptr.h"

namespace tolvex {
namespace {

constexpr std::size_t kPaletteLimit = 256;

using Rgba = PngColour;

// cairo's writer un-premultiplies ARGB32 this way: a transparent pixel is all zero, other
// channels are rounded c * 255 / a kept to eight bits.
Rgba from_argb32(std::uint32_t pixel) {
  const std::uint32_t alpha = pixel >> 24;
  if (alpha == 0) return {0, 0, 0, 0};
  const auto channel = [alpha](std::uint32_t c) {
    return static_cast<std::uint8_t>((c * 255 + alpha / 2) / alpha);
  };
  return {channel((pixel >> 16) & 0xFF), channel((pixel >> 8) & 0xFF), channel(pixel & 0xFF),
          static_cast<std::uint8_t>(alpha)};
}

Rgba from_rgb24(std::uint32_t pixel) {
  return {static_cast<std::uint8_t>(pixel >> 16), static_cast<std::uint8_t>(pixel >> 8),
          static_cast<std::uint8_t>(pixel), 0xFF};
}

// A8 and A1 are written by cairo as grey levels of their alpha.
Rgba grey(std::uint8_t level) { return {level, level, level, 0xFF}; }

// The pixels of one surface as cairo's writer would store them.
struct Pixels {
  int width;
  int height;
  int stride;
  const unsigned char* data;

  const unsigned char* row(int y) const { return data + static_cast<std::ptrdiff_t>(y) * stride; }
};

// How each format stores a pixel: raw gives a value that equal pixels share, colour what the
// value decodes to.
template <cairo_format_t Format>
struct Layout {
  static constexpr std::size_t kBits = Format == CAIRO_FORMAT_A8 ? 8 : Format == CAIRO_FORMAT_A1 ? 1 : 32;
  static std::uint32_t raw(const unsigned char* row, int x) {
    if constexpr (Format == CAIRO_FORMAT_A8) {
      return row[x];
    } else if constexpr (Format == CAIRO_FORMAT_A1) {
      return (row[x / 8] >> (x % 8)) & 1u;  // least significant bit first, as the words hold them
    } else {
      std::uint32_t pixel;
      std::memcpy(&pixel, row + static_cast<std::ptrdiff_t>(x) * 4, sizeof pixel);
      return Format == CAIRO_FORMAT_RGB24 ? pixel & 0xFFFFFFu : pixel;
    }
  }
  static Rgba colour(std::uint32_t raw) {
    if constexpr (Format == CAIRO_FORMAT_ARGB32) {
      return from_argb32(raw);
    } else if constexpr (Format == CAIRO_FORMAT_A8) {
      return grey(static_cast<std::uint8_t>(raw));
    } else if constexpr (Format == CAIRO_FORMAT_A1) {
      return grey(raw != 0 ? 0xFF : 0x00);
    } else {
      return from_rgb24(raw);
    }
  }
};

// Calls work with the layout of the surface's format (one of the four cairo writes).
template <typename Work>
auto with_layout(cairo_format_t format, Work&& work) {
  switch (format) {
    case CAIRO_FORMAT_ARGB32:
      return work(Layout<CAIRO_FORMAT_ARGB32>{});
    case CAIRO_FORMAT_A8:
      return work(Layout<CAIRO_FORMAT_A8>{});
    case CAIRO_FORMAT_A1:
      return work(Layout<CAIRO_FORMAT_A1>{});
    default:
      return work(Layout<CAIRO_FORMAT_RGB24>{});
  }
}

// What goes into the file: the rows as PNG bytes and the header values they need.
struct Encoding {
  int colourType = PNG_COLOR_TYPE_PALETTE;
  int bitDepth = 8;
  bool palette = true;
  std::vector<png_color> entries;
  std::vector<png_byte> transparency;  // alpha of the first palette entries; empty when all are opaque
  std::size_t rowBytes = 0;
  std::vector<png_byte> rows;
};

// The palette of stored values in the order first met, and the entry of each (true when some
// entry moved). Different stored values can decode to one colour (pixels whose alpha is 0);
// they share an entry, and entries that are not opaque go first so that the transparency chunk
// stays short.
template <typename Format>
bool order_palette(const std::uint32_t* raws, std::size_t count, std::vector<Rgba>& palette,
                   std::array<std::uint8_t, kPaletteLimit>& entry) {
  std::vector<Rgba> colours(count);
  for (std::size_t i = 0; i < count; ++i) colours[i] = Format::colour(raws[i]);
  palette.clear();
  for (const bool opaque : {false, true}) {
    for (const Rgba& colour : colours) {
      if ((colour.alpha == 0xFF) == opaque &&
          std::find(palette.begin(), palette.end(), colour) == palette.end())
        palette.push_back(colour);
    }
  }
  bool reordered = false;
  for (std::size_t i = 0; i < count; ++i) {
    entry[i] =
        static_cast<std::uint8_t>(std::find(palette.begin(), palette.end(), colours[i]) - palette.begin());
    reordered = reordered || entry[i] != i;
  }
  return reordered;
}

// The palette of the picture and each pixel's index in it, or false past 256 colours. A pixel
// equal to the one before it takes its index without a look-up.
template <typename Format>
bool index_pixels(const Pixels& pixels, std::vector<Rgba>& palette, std::vector<std::uint8_t>& indices) {
  std::array<std::uint32_t, kPaletteLimit> raws{};
  std::size_t count = 0;
  indices.resize(static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(pixels.height));
  std::uint8_t* index = indices.data();
  std::uint32_t previous = Format::raw(pixels.row(0), 0);
  raws[count++] = previous;
  std::uint8_t previousIndex = 0;
  const auto width = static_cast<std::size_t>(pixels.width);
  const std::size_t rowBytes = (width * Format::kBits + 7) / 8;
  for (int y = 0; y < pixels.height; ++y) {
    const unsigned char* row = pixels.row(y);
    // Rows of pixels repeat, within each row of modules above all: their indices too.
    if (y > 0 && std::memcmp(row, row - pixels.stride, rowBytes) == 0) {
      std::memcpy(index, index - width, width);
      index += width;
      continue;
    }
    for (int x = 0; x < pixels.width; ++x) {
      const std::uint32_t raw = Format::raw(row, x);
      if (raw != previous) {
        const auto end = raws.begin() + static_cast<std::ptrdiff_t>(count);
        const auto found = std::find(raws.begin(), end, raw);
        if (found == end) {
          if (count == kPaletteLimit) return false;
          raws[count++] = raw;
        }
        previous = raw;
        previousIndex = static_cast<std::uint8_t>(found - raws.begin());
      }
      *index++ = previousIndex;
    }
  }
  std::array<std::uint8_t, kPaletteLimit> entry{};
  if (order_palette<Format>(raws.data(), count, palette, entry)) {
    for (std::uint8_t& value : indices) value = entry[value];
  }
  return true;
}

int palette_depth(std::size_t size) { return size <= 2 ? 1 : size <= 4 ? 2 : size <= 16 ? 4 : 8; }

void set_palette(const std::vector<Rgba>& palette, Encoding& encoding) {
  encoding.colourType = PNG_COLOR_TYPE_PALETTE;
  encoding.palette = true;
  encoding.bitDepth = palette_depth(palette.size());
  for (const Rgba& colour : palette) {
    encoding.entries.push_back({colour.red, colour.green, colour.blue});
    if (colour.alpha != 0xFF) encoding.transparency.push_back(colour.alpha);
  }
}

void encode_palette(const Pixels& pixels, const std::vector<Rgba>& palette,
                    std::vector<std::uint8_t>& indices, Encoding& encoding) {
  set_palette(palette, encoding);
  const auto width = static_cast<std::size_t>(pixels.width);
  const int depth = encoding.bitDepth;
  encoding.rowBytes = (width * static_cast<std::size_t>(depth) + 7) / 8;
  if (depth == 8) {
    encoding.rows = std::move(indices);
    return;
  }
  const auto perByte = static_cast<std::size_t>(8 / depth);
  encoding.rows.assign(encoding.rowBytes * static_cast<std::size_t>(pixels.height), 0);
  for (int y = 0; y < pixels.height; ++y) {
    const std::uint8_t* index = indices.data() + static_cast<std::size_t>(y) * width;
    png_byte* out = encoding.rows.data() + static_cast<std::size_t>(y) * encoding.rowBytes;
    if (y > 0 && std::memcmp(index, index - width, width) == 0) {
      std::memcpy(out, out - encoding.rowBytes, encoding.rowBytes);
      continue;
    }
    // The leftmost pixel in the most significant bits; the last byte is padded with zeros.
    for (std::size_t byte = 0; byte < encoding.rowBytes; ++byte) {
      unsigned value = 0;
      for (std::size_t k = 0, x = byte * perByte; k < perByte; ++k, ++x) {
        value = (value << depth) | (x < width ? index[x] : 0u);
      }
      out[byte] = static_cast<png_byte>(value);
    }
  }
}

template <typename Format>
void encode_truecolour(const Pixels& pixels, Encoding& encoding) {
  bool opaque = true;
  for (int y = 0; y < pixels.height && opaque; ++y) {
    const unsigned char* row = pixels.row(y);
    for (int x = 0; x < pixels.width && opaque; ++x)
      opaque = Format::colour(Format::raw(row, x)).alpha == 0xFF;
  }
  encoding.colourType = opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA;
  encoding.palette = false;
  encoding.bitDepth = 8;
  const std::size_t channels = opaque ? 3 : 4;
  encoding.rowBytes = static_cast<std::size_t>(pixels.width) * channels;
  encoding.rows.resize(encoding.rowBytes * static_cast<std::size_t>(pixels.height));
  png_byte* out = encoding.rows.data();
  for (int y = 0; y < pixels.height; ++y) {
    const unsigned char* row = pixels.row(y);
    for (int x = 0; x < pixels.width; ++x) {
      const Rgba colour = Format::colour(Format::raw(row, x));
      *out++ = colour.red;
      *out++ = colour.green;
      *out++ = colour.blue;
      if (!opaque) *out++ = colour.alpha;
    }
  }
}

struct Sink {
  std::vector<std::uint8_t>* bytes;
  bool outOfMemory = false;
};

void append(png_structp png, png_bytep data, png_size_t length) {
  auto& sink = *static_cast<Sink*>(png_get_io_ptr(png));
  try {
    sink.bytes->insert(sink.bytes->end(), data, data + length);
    return;
  } catch (const std::bad_alloc&) {
    sink.outOfMemory = true;
  }
  png_error(png, "out of memory");
}

void flush(png_structp) {}

// libpng reports its failures by a long jump back here, so nothing in this function has a
// destructor: the rows and the sink belong to the caller.
cairo_status_t write_png(const Encoding& encoding, int width, int height, std::uint32_t pixelsPerMetre, Sink& sink) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return CAIRO_STATUS_NO_MEMORY;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return CAIRO_STATUS_NO_MEMORY;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return sink.outOfMemory ? CAIRO_STATUS_NO_MEMORY : CAIRO_STATUS_WRITE_ERROR;
  }
  png_set_write_fn(png, &sink, append, flush);
  // Our indices come from our own palette; libpng's check of every row for larger ones would
  // cost a tenth of the writing.
  png_set_check_for_invalid_index(png, 0);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
               encoding.bitDepth, encoding.colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (pixelsPerMetre > 0) png_set_pHYs(png, info, pixelsPerMetre, pixelsPerMetre, PNG_RESOLUTION_METER);
  if (encoding.palette) {
    png_set_PLTE(png, info, encoding.entries.data(), static_cast<int>(encoding.entries.size()));
    if (!encoding.transparency.empty()) {
      png_set_tRNS(png, info, encoding.transparency.data(), static_cast<int>(encoding.transparency.size()),
                   nullptr);
    }
  }
  if (encoding.palette) {
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE | PNG_FILTER_UP);
    if (encoding.bitDepth == 8) {
      // Logo pictures: flat stretches and rows of zeros, which zlib's run-length strategy packs
      // fastest.
      png_set_compression_strategy(png, Z_RLE);
    } else {
      // Rows of a few bits a pixel are short, and rows repeat: a fast level that finds the
      // repeats beats runs, which every filter byte interrupts, in size and in time.
      png_set_compression_level(png, 3);
    }
  } else {
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
  }
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    const png_byte* row = encoding.rows.data() + static_cast<std::size_t>(y) * encoding.rowBytes;
    // libpng starts its rows at the first one, keeping the row above for "up" as named before.
    if (encoding.palette && y > 0) {
      // Each row of modules repeats over several rows of pixels: "up" turns a repeated row into
      // zeros, and any other row goes unfiltered, which spares libpng trying both on every row.
      const bool repeated = std::memcmp(row, row - encoding.rowBytes, encoding.rowBytes) == 0;
      png_set_filter(png, PNG_FILTER_TYPE_BASE, repeated ? PNG_FILTER_UP : PNG_FILTER_NONE);
    }
    png_write_row(png, row);
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return CAIRO_STATUS_SUCCESS;
}

// RGB16_565 and RGB30 have no PNG layout of their own: cairo's writer converts them to RGB24
// with pixman first, and so does this.
SurfacePtr as_rgb24(cairo_surface_t* surface, int width, int height) {
  SurfacePtr converted(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
  const ContextPtr context(cairo_create(converted.get()));
  cairo_set_operator(context.get(), CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(context.get(), surface, 0, 0);
  cairo_paint(context.get());
  cairo_surface_flush(converted.get());
  return converted;
}

cairo_status_t encode(cairo_surface_t* surface, std::uint32_t pixelsPerMetre, std::vector<std::uint8_t>& png) {
  if (const cairo_status_t status = cairo_surface_status(surface); status != CAIRO_STATUS_SUCCESS)
    return status;
  if (cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return CAIRO_STATUS_SURFACE_TYPE_MISMATCH;
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  if (width == 0 || height == 0) return CAIRO_STATUS_WRITE_ERROR;
  cairo_surface_flush(surface);

  SurfacePtr converted;
  cairo_format_t format = cairo_image_surface_get_format(surface);
  if (format == CAIRO_FORMAT_RGB16_565 || format == CAIRO_FORMAT_RGB30) {
    converted = as_rgb24(surface, width, height);
    if (const cairo_status_t status = cairo_surface_status(converted.get()); status != CAIRO_STATUS_SUCCESS)
      return status;
    surface = converted.get();
    format = CAIRO_FORMAT_RGB24;
  } else if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24 && format != CAIRO_FORMAT_A8 &&
             format != CAIRO_FORMAT_A1) {
    return CAIRO_STATUS_INVALID_FORMAT;
  }
  const Pixels pixels{width, height, cairo_image_surface_get_stride(surface),
                      cairo_image_surface_get_data(surface)};

  Encoding encoding;
  with_layout(format, [&](auto layout) {
    using Format = decltype(layout);
    std::vector<Rgba> palette;
    std::vector<std::uint8_t> indices;
    if (index_pixels<Format>(pixels, palette, indices)) {
      encode_palette(pixels, palette, indices, encoding);
    } else {
      encode_truecolour<Format>(pixels, encoding);
    }
  });
  png.reserve(encoding.rows.size() / 8 + 1024);
  Sink sink{&png};
  return write_png(encoding, width, height, pixelsPerMetre, sink);
}

bool supported(cairo_format_t format) {
  return format == CAIRO_FORMAT_ARGB32 || format == CAIRO_FORMAT_RGB24 || format == CAIRO_FORMAT_A8 ||
         format == CAIRO_FORMAT_A1;
}

}  // namespace

bool png_palette_of(cairo_format_t format, const std::vector<std::uint32_t>& raws,
                    std::vector<PngColour>* palette, std::vector<std::uint8_t>* entries) {
  if (!supported(format) || raws.size() > kPaletteLimit) return false;
  std::array<std::uint8_t, kPaletteLimit> entry{};
  with_layout(format, [&](auto layout) {
    order_palette<decltype(layout)>(raws.data(), raws.size(), *palette, entry);
  });
  entries->assign(entry.begin(), entry.begin() + static_cast<std::ptrdiff_t>(raws.size()));
  return true;
}

bool png_index_surface(cairo_surface_t* surface, std::vector<PngColour>* palette,
                       std::vector<std::uint8_t>* indices) {
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
      cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) {
    return false;
  }
  const cairo_format_t format = cairo_image_surface_get_format(surface);
  const Pixels pixels{cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface),
                      cairo_image_surface_get_stride(surface), cairo_image_surface_get_data(surface)};
  if (!supported(format) || pixels.width <= 0 || pixels.height <= 0) return false;
  cairo_surface_flush(surface);
  return with_layout(format,
                     [&](auto layout) { return index_pixels<decltype(layout)>(pixels, *palette, *indices); });
}

cairo_status_t png_encode_palette_rows(int width, int height, const std::vector<PngColour>& palette,
                                       const std::vector<std::uint8_t>& rows, std::uint32_t pixelsPerMetre,
                                       std::vector<std::uint8_t>* png) {
  if (png == nullptr) return CAIRO_STATUS_NULL_POINTER;
  png->clear();
  cairo_status_t status;
  try {
    Encoding encoding;
    set_palette(palette, encoding);
    encoding.rowBytes =
        (static_cast<std::size_t>(width) * static_cast<std::size_t>(encoding.bitDepth) + 7) / 8;
    encoding.rows = rows;
    png->reserve(encoding.rows.size() / 8 + 1024);
    Sink sink{png};
    status = write_png(encoding, width, height, pixelsPerMetre, sink);
  } catch (const std::bad_alloc&) {
    status = CAIRO_STATUS_NO_MEMORY;
  }
  if (status != CAIRO_STATUS_SUCCESS) *png = {};
  return status;
}

cairo_status_t png_encode_surface(cairo_surface_t* surface, std::vector<std::uint8_t>* png,
                                  std::uint32_t pixelsPerMetre) {
  if (png == nullptr) return CAIRO_STATUS_NULL_POINTER;
  png->clear();
  cairo_status_t status;
  try {
    status = encode(surface, pixelsPerMetre, *png);
  } catch (const std::bad_alloc&) {
    status = CAIRO_STATUS_NO_MEMORY;
  }
  if (status != CAIRO_STATUS_SUCCESS) *png = {};
  return status;
}

}  // namespace tolvex
