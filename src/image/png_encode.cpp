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

// A pixel as the PNG holds it: red, green, blue, alpha, straight (not premultiplied).
struct Rgba {
  std::uint8_t red, green, blue, alpha;
  bool operator==(const Rgba&) const = default;
};

// cairo's writer un-premultiplies ARGB32 this way: a transparent pixel is all zero, other
// channels are rounded c * 255 / a kept to eight bits.
Rgba from_argb32(std::uint32_t pixel) {
  const std::uint32_t alpha = pixel >> 24;
  if (alpha == 0) return {0, 0, 0, 0};
  const auto channel = [alpha](std::uint32_t c) { return static_cast<std::uint8_t>((c * 255 + alpha / 2) / alpha); };
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
  cairo_format_t format;
  int width;
  int height;
  int stride;
  const unsigned char* data;

  const unsigned char* row(int y) const { return data + static_cast<std::ptrdiff_t>(y) * stride; }

  // The stored value of pixel x of a row, comparable between pixels: equal values give equal colours.
  std::uint32_t raw(const unsigned char* row, int x) const {
    switch (format) {
      case CAIRO_FORMAT_A8:
        return row[x];
      case CAIRO_FORMAT_A1:
        return (row[x / 8] >> (x % 8)) & 1u;  // least significant bit first, as the words hold them
      default: {
        std::uint32_t pixel;
        std::memcpy(&pixel, row + static_cast<std::ptrdiff_t>(x) * 4, sizeof pixel);
        return format == CAIRO_FORMAT_RGB24 ? pixel & 0xFFFFFFu : pixel;
      }
    }
  }

  Rgba colour(std::uint32_t raw) const {
    switch (format) {
      case CAIRO_FORMAT_ARGB32:
        return from_argb32(raw);
      case CAIRO_FORMAT_A8:
        return grey(static_cast<std::uint8_t>(raw));
      case CAIRO_FORMAT_A1:
        return grey(raw != 0 ? 0xFF : 0x00);
      default:
        return from_rgb24(raw);
    }
  }
};

// What goes into the file: the rows as PNG bytes and the header values they need.
struct Encoding {
  int colourType = PNG_COLOR_TYPE_PALETTE;
  int bitDepth = 8;
  int filters = PNG_FILTER_NONE;
  int strategy = Z_DEFAULT_STRATEGY;
  std::vector<png_color> palette;
  std::vector<png_byte> transparency;  // alpha of the first palette entries; empty when all are opaque
  std::size_t rowBytes = 0;
  std::vector<png_byte> rows;
};

// The palette of the picture and each pixel's index in it, or false past 256 colours. A pixel
// equal to the one before it takes its index without a look-up.
bool index_pixels(const Pixels& pixels, std::vector<Rgba>& palette, std::vector<std::uint8_t>& indices) {
  std::array<std::uint32_t, kPaletteLimit> raws{};
  std::size_t count = 0;
  indices.resize(static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(pixels.height));
  std::uint8_t* index = indices.data();
  for (int y = 0; y < pixels.height; ++y) {
    const unsigned char* row = pixels.row(y);
    std::uint32_t previous = 0;
    std::uint8_t previousIndex = 0;
    bool started = false;
    for (int x = 0; x < pixels.width; ++x) {
      const std::uint32_t raw = pixels.raw(row, x);
      if (!started || raw != previous) {
        const auto found = std::find(raws.begin(), raws.begin() + static_cast<std::ptrdiff_t>(count), raw);
        if (found == raws.begin() + static_cast<std::ptrdiff_t>(count)) {
          if (count == kPaletteLimit) return false;
          raws[count++] = raw;
        }
        previous = raw;
        previousIndex = static_cast<std::uint8_t>(found - raws.begin());
        started = true;
      }
      *index++ = previousIndex;
    }
  }
  // Different stored values can decode to one colour (pixels whose alpha is 0); they share an
  // entry, and entries that are not opaque go first so that the transparency chunk stays short.
  std::vector<Rgba> colours(count);
  for (std::size_t i = 0; i < count; ++i) colours[i] = pixels.colour(raws[i]);
  palette.clear();
  for (const bool opaque : {false, true}) {
    for (const Rgba& colour : colours) {
      if ((colour.alpha == 0xFF) == opaque && std::find(palette.begin(), palette.end(), colour) == palette.end())
        palette.push_back(colour);
    }
  }
  std::array<std::uint8_t, kPaletteLimit> entry{};
  for (std::size_t i = 0; i < count; ++i)
    entry[i] = static_cast<std::uint8_t>(std::find(palette.begin(), palette.end(), colours[i]) - palette.begin());
  for (std::uint8_t& value : indices) value = entry[value];
  return true;
}

void encode_palette(const Pixels& pixels, const std::vector<Rgba>& palette,
                    const std::vector<std::uint8_t>& indices, Encoding& encoding) {
  encoding.colourType = PNG_COLOR_TYPE_PALETTE;
  encoding.bitDepth = palette.size() <= 2 ? 1 : palette.size() <= 4 ? 2 : palette.size() <= 16 ? 4 : 8;
  // Each row of modules repeats over several rows of pixels: "up" turns the repeats into zeros,
  // and zlib's run-length strategy packs zeros and flat stretches fast.
  encoding.filters = PNG_FILTER_NONE | PNG_FILTER_UP;
  encoding.strategy = Z_RLE;
  for (const Rgba& colour : palette) {
    encoding.palette.push_back({colour.red, colour.green, colour.blue});
    if (colour.alpha != 0xFF) encoding.transparency.push_back(colour.alpha);
  }
  const auto width = static_cast<std::size_t>(pixels.width);
  const int depth = encoding.bitDepth;
  const int perByte = 8 / depth;
  encoding.rowBytes = (width * static_cast<std::size_t>(depth) + 7) / 8;
  encoding.rows.assign(encoding.rowBytes * static_cast<std::size_t>(pixels.height), 0);
  for (int y = 0; y < pixels.height; ++y) {
    const std::uint8_t* index = indices.data() + static_cast<std::size_t>(y) * width;
    png_byte* out = encoding.rows.data() + static_cast<std::size_t>(y) * encoding.rowBytes;
    if (depth == 8) {
      std::memcpy(out, index, width);
      continue;
    }
    for (std::size_t x = 0; x < width; ++x) {
      const int shift = 8 - depth * (1 + static_cast<int>(x % static_cast<std::size_t>(perByte)));
      out[x / static_cast<std::size_t>(perByte)] |= static_cast<png_byte>(index[x] << shift);
    }
  }
}

void encode_truecolour(const Pixels& pixels, Encoding& encoding) {
  bool opaque = true;
  for (int y = 0; y < pixels.height && opaque; ++y) {
    const unsigned char* row = pixels.row(y);
    for (int x = 0; x < pixels.width && opaque; ++x) opaque = pixels.colour(pixels.raw(row, x)).alpha == 0xFF;
  }
  encoding.colourType = opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA;
  encoding.bitDepth = 8;
  encoding.filters = PNG_ALL_FILTERS;
  encoding.strategy = Z_DEFAULT_STRATEGY;
  const std::size_t channels = opaque ? 3 : 4;
  encoding.rowBytes = static_cast<std::size_t>(pixels.width) * channels;
  encoding.rows.resize(encoding.rowBytes * static_cast<std::size_t>(pixels.height));
  png_byte* out = encoding.rows.data();
  for (int y = 0; y < pixels.height; ++y) {
    const unsigned char* row = pixels.row(y);
    for (int x = 0; x < pixels.width; ++x) {
      const Rgba colour = pixels.colour(pixels.raw(row, x));
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
cairo_status_t write_png(const Encoding& encoding, int width, int height, Sink& sink) {
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
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), encoding.bitDepth,
               encoding.colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (encoding.colourType == PNG_COLOR_TYPE_PALETTE) {
    png_set_PLTE(png, info, encoding.palette.data(), static_cast<int>(encoding.palette.size()));
    if (!encoding.transparency.empty()) {
      png_set_tRNS(png, info, encoding.transparency.data(), static_cast<int>(encoding.transparency.size()),
                   nullptr);
    }
  }
  png_set_filter(png, PNG_FILTER_TYPE_BASE, encoding.filters);
  png_set_compression_strategy(png, encoding.strategy);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    png_write_row(png, encoding.rows.data() + static_cast<std::size_t>(y) * encoding.rowBytes);
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

cairo_status_t encode(cairo_surface_t* surface, std::vector<std::uint8_t>& png) {
  if (const cairo_status_t status = cairo_surface_status(surface); status != CAIRO_STATUS_SUCCESS) return status;
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
  const Pixels pixels{format, width, height, cairo_image_surface_get_stride(surface),
                      cairo_image_surface_get_data(surface)};

  Encoding encoding;
  std::vector<Rgba> palette;
  std::vector<std::uint8_t> indices;
  if (index_pixels(pixels, palette, indices)) {
    encode_palette(pixels, palette, indices, encoding);
  } else {
    encode_truecolour(pixels, encoding);
  }
  indices = {};
  png.reserve(encoding.rows.size() / 8 + 1024);
  Sink sink{&png};
  return write_png(encoding, width, height, sink);
}

}  // namespace

cairo_status_t png_encode_surface(cairo_surface_t* surface, std::vector<std::uint8_t>* png) {
  if (png == nullptr) return CAIRO_STATUS_NULL_POINTER;
  png->clear();
  cairo_status_t status;
  try {
    status = encode(surface, *png);
  } catch (const std::bad_alloc&) {
    status = CAIRO_STATUS_NO_MEMORY;
  }
  if (status != CAIRO_STATUS_SUCCESS) *png = {};
  return status;
}

}  // namespace tolvex
