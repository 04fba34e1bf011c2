#include "image/png_compose.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <random>
#include <string>

#include "image/logo_cache.h"
#include "image/png_encode.h"
#include "image/render.h"

namespace tolvex {

namespace {

// Deflate by hand for the code rows: a run of a byte is the byte and copies at distance 1,
// which is all that rows of a few flat colours need, in one block of Huffman codes made once
// per logo.
struct Code {
  std::uint32_t bits;  // in the order they are written, least significant first
  int length;
};

constexpr std::size_t kLiteralLengthSymbols = 286;
constexpr std::size_t kEndOfBlock = 256;
constexpr std::array<int, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                             31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<int, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                              2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};

std::size_t length_index(std::size_t length) {
  std::size_t index = 0;
  while (index + 1 < kLengthBase.size() && static_cast<std::size_t>(kLengthBase[index + 1]) <= length)
    ++index;
  return index;
}

struct RunCodes {
  std::array<Code, 256> literal{};
  std::array<Code, 259> copy{};  // a length 3 to 258 with its extra bits and distance 1
  Code endOfBlock{};
  std::vector<Code> header;  // the block's header: not the last, dynamic codes, their lengths
};

// Symbols as literals and copies of the byte before, for counting or writing.
template <typename Out>
void put_run(Out& out, std::uint8_t value, std::size_t run) {
  out.literal(value);
  while (run >= 3) {
    // A copy leaves no remainder of 1 or 2 behind a longest one.
    const std::size_t copy = run <= 258 ? run : run - 258 < 3 ? run - 3 : 258;
    out.copy(copy);
    run -= copy;
  }
  for (; run > 0; --run) out.literal(value);
}

template <typename Out>
void put_runs(Out& out, const std::uint8_t* bytes, std::size_t size) {
  for (std::size_t i = 0; i < size;) {
    std::size_t end = i + 1;
    while (end < size && bytes[end] == bytes[i]) ++end;
    put_run(out, bytes[i], end - i - 1);
    i = end;
  }
}

struct SymbolCounts {
  std::vector<std::uint32_t> counts = std::vector<std::uint32_t>(kLiteralLengthSymbols, 0);
  void literal(std::uint8_t value) { ++counts[value]; }
  void copy(std::size_t length) { ++counts[257 + length_index(length)]; }
};

// Code lengths of a Huffman code for the counts, none longer than limit; a symbol counted 0 gets
// none.
std::vector<int> huffman_lengths(std::vector<std::uint32_t> counts, int limit) {
  const std::size_t size = counts.size();
  for (;;) {
    std::vector<std::pair<std::uint64_t, std::vector<std::size_t>>> nodes;
    for (std::size_t symbol = 0; symbol < size; ++symbol) {
      if (counts[symbol] > 0) nodes.push_back({counts[symbol], {symbol}});
    }
    std::vector<int> lengths(size, 0);
    if (nodes.size() == 1) lengths[nodes[0].second[0]] = 1;
    while (nodes.size() > 1) {
      std::sort(nodes.begin(), nodes.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
      auto last = std::move(nodes.back());
      nodes.pop_back();
      auto& next = nodes.back();
      next.first += last.first;
      next.second.insert(next.second.end(), last.second.begin(), last.second.end());
      for (const std::size_t symbol : next.second) ++lengths[symbol];
    }
    if (*std::max_element(lengths.begin(), lengths.end()) <= limit) return lengths;
    // Flatter counts give a shallower tree.
    for (std::uint32_t& count : counts) {
      if (count > 0) count = count / 2 + 1;
    }
  }
}

// The canonical codes of the lengths, bits reversed for writing.
std::vector<Code> canonical_codes(const std::vector<int>& lengths) {
  std::array<std::uint32_t, 17> perLength{};
  for (const int length : lengths) ++perLength[static_cast<std::size_t>(length)];
  perLength[0] = 0;
  std::array<std::uint32_t, 17> next{};
  std::uint32_t code = 0;
  for (std::size_t bits = 1; bits < next.size(); ++bits) {
    code = (code + perLength[bits - 1]) << 1;
    next[bits] = code;
  }
  std::vector<Code> codes(lengths.size(), Code{0, 0});
  for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol) {
    const int length = lengths[symbol];
    if (length == 0) continue;
    std::uint32_t value = next[static_cast<std::size_t>(length)]++;
    std::uint32_t bits = 0;
    for (int i = 0; i < length; ++i, value >>= 1) bits = bits << 1 | (value & 1u);
    codes[symbol] = {bits, length};
  }
  return codes;
}

// Codes for the counts, every literal and length given one; one distance code, 1.
RunCodes run_codes(std::vector<std::uint32_t> counts) {
  for (std::uint32_t& count : counts) count = std::max<std::uint32_t>(count, 1);
  const std::vector<int> lengths = huffman_lengths(counts, 15);
  const std::vector<Code> codes = canonical_codes(lengths);
  RunCodes run;
  for (std::size_t value = 0; value < 256; ++value) run.literal[value] = codes[value];
  run.endOfBlock = codes[kEndOfBlock];
  constexpr Code kDistanceOne{0, 1};
  for (std::size_t length = 3; length <= 258; ++length) {
    const std::size_t index = length_index(length);
    const Code& code = codes[257 + index];
    const auto extra = static_cast<std::uint32_t>(length - static_cast<std::size_t>(kLengthBase[index]));
    run.copy[length] = {
        code.bits | extra << code.length | kDistanceOne.bits << (code.length + kLengthExtra[index]),
        code.length + kLengthExtra[index] + kDistanceOne.length};
  }
  // The header: the code lengths of 286 literal and length symbols and of one distance symbol,
  // themselves coded by a code of the 16 lengths 0 to 15, whose lengths come in the usual order.
  std::vector<int> all(lengths.begin(), lengths.end());
  all.push_back(kDistanceOne.length);
  std::vector<std::uint32_t> lengthCounts(19, 0);
  for (const int length : all) ++lengthCounts[static_cast<std::size_t>(length)];
  const std::vector<int> lengthLengths = huffman_lengths(lengthCounts, 7);
  const std::vector<Code> lengthCodes = canonical_codes(lengthLengths);
  static constexpr std::array<std::size_t, 19> kOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                         11, 4,  12, 3, 13, 2, 14, 1, 15};
  run.header.push_back({0 | 2u << 1, 3});  // not the last block, dynamic codes
  run.header.push_back({static_cast<std::uint32_t>(kLiteralLengthSymbols - 257), 5});
  run.header.push_back({0, 5});  // one distance code
  run.header.push_back({static_cast<std::uint32_t>(kOrder.size() - 4), 4});
  for (const std::size_t symbol : kOrder)
    run.header.push_back({static_cast<std::uint32_t>(lengthLengths[symbol]), 3});
  for (const int length : all) run.header.push_back(lengthCodes[static_cast<std::size_t>(length)]);
  return run;
}

class BitWriter {
 public:
  BitWriter(std::vector<std::uint8_t>& out, const RunCodes& codes) : out_(out), codes_(codes) {}

  void put(Code code) {
    bits_ |= static_cast<std::uint64_t>(code.bits) << count_;
    count_ += code.length;
    if (count_ >= 32) {
      for (int i = 0; i < 4; ++i) out_.push_back(static_cast<std::uint8_t>(bits_ >> (8 * i)));
      bits_ >>= 32;
      count_ -= 32;
    }
  }
  void literal(std::uint8_t value) { put(codes_.literal[value]); }
  void copy(std::size_t length) { put(codes_.copy[length]); }

  // The last bits, padded with zeros to a whole byte.
  void align() {
    for (; count_ > 0; count_ -= 8) {
      out_.push_back(static_cast<std::uint8_t>(bits_));
      bits_ >>= 8;
    }
    count_ = 0;
    bits_ = 0;
  }

 private:
  std::vector<std::uint8_t>& out_;
  const RunCodes& codes_;
  std::uint64_t bits_ = 0;
  int count_ = 0;
};

}  // namespace

// A logo picture split where the modules can fall: the rows above and below are compressed
// once, the rows between kept as palette entries (each distinct row once) for the modules to
// be set into.
struct LogoPngParts {
  int width = 0;
  int height = 0;
  int codeTop = 0;  // pixel rows [codeTop, codeBottom) are built for every code
  int codeBottom = 0;
  std::vector<std::uint8_t> baseRows;  // distinct rows of the code part, width entries each
  std::vector<std::size_t> baseRow;    // offset in baseRows of each row of the code part
  std::uint8_t dark = 0;               // the modules' entry
  RunCodes codes;
  std::vector<std::uint8_t> head;  // signature, IHDR, PLTE and tRNS
  std::vector<std::uint8_t> top;   // zlib header and the rows above, ending in a full flush
  uLong topAdler = 1;
  uLong topCrc = 0;                  // of "IDAT" and top
  std::vector<std::uint8_t> bottom;  // the rows below, ending the stream's last block
  uLong bottomAdler = 1;
  z_off_t bottomLength = 0;  // filtered bytes
  uLong bottomCrc = 0;
  uLong upAdler = 1;  // of a row filtered by "up" that repeats the row above
};

namespace {

constexpr int kMaximumSide = 32767;
constexpr std::uint8_t kFilterNone = 0;
constexpr std::uint8_t kFilterUp = 2;

bool composable(cairo_format_t format) {
  return format == CAIRO_FORMAT_ARGB32 || format == CAIRO_FORMAT_RGB24;
}

std::uint32_t stored(cairo_format_t format, std::uint32_t pixel) {
  return format == CAIRO_FORMAT_RGB24 ? pixel & 0xFFFFFFu : pixel;
}

// Opaque black over anything: the modules' stored value.
std::uint32_t dark_value(cairo_format_t format) { return stored(format, 0xFF000000u); }

// The stored value of the picture's background as picture_draw_base paints it, from one pixel
// painted the same way.
std::optional<std::uint32_t> background_value(const Picture& picture) {
  struct Known {
    RenderSettings settings;
    std::uint32_t value;
  };
  thread_local std::optional<Known> known;
  const RenderSettings& settings = picture.render;
  if (known && known->settings.red == settings.red && known->settings.green == settings.green &&
      known->settings.blue == settings.blue && known->settings.alpha == settings.alpha &&
      known->settings.format == settings.format) {
    return known->value;
  }
  Picture pixel;
  pixel.width = 1;
  pixel.height = 1;
  pixel.render = settings;
  const SurfacePtr surface(cairo_image_surface_create(settings.format, 1, 1));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return std::nullopt;
  {
    const ContextPtr context(cairo_create(surface.get()));
    picture_draw_base(pixel, context.get());
  }
  cairo_surface_flush(surface.get());
  std::uint32_t value;
  std::memcpy(&value, cairo_image_surface_get_data(surface.get()), sizeof value);
  known = Known{settings, stored(settings.format, value)};
  return known->value;
}

ModulePixels pixels_of(const Picture& picture) {
  return module_pixels(
      module_matrix(picture.boxX, picture.boxY, picture.boxSide, picture.symbol.width(), picture.margin),
      picture.symbol);
}

// ---- The plain picture: one bit a pixel, written by the usual writer from rows built here.

void set_bits(std::uint8_t* row, int left, int right) {
  for (int x = left; x < right && (x & 7) != 0; ++x)
    row[x >> 3] |= static_cast<std::uint8_t>(0x80u >> (x & 7));
  int x = (left + 7) & ~7;
  if (x >= right) return;
  const int whole = (right & ~7) - x;
  if (whole > 0) std::memset(row + (x >> 3), 0xFF, static_cast<std::size_t>(whole >> 3));
  for (x = std::max(x, right & ~7); x < right; ++x)
    row[x >> 3] |= static_cast<std::uint8_t>(0x80u >> (x & 7));
}

std::optional<cairo_status_t> compose_plain(const Picture& picture, std::uint32_t pixelsPerMetre,
                                            std::vector<std::uint8_t>* png) {
  const cairo_format_t format = picture.render.format;
  const std::optional<std::uint32_t> background = background_value(picture);
  if (!background) return std::nullopt;
  const int width = picture.width;
  const int height = picture.height;
  const auto rowBytes = static_cast<std::size_t>((width + 7) / 8);
  // One bit a pixel, set where a module is.
  std::vector<std::uint8_t> mask(rowBytes * static_cast<std::size_t>(height), 0);
  std::vector<std::uint8_t> line(rowBytes);
  const ModulePixels pixels = pixels_of(picture);
  bool anyDark = false;
  int written = 0;  // rows below this one are still empty
  for (std::size_t row = 0; row < pixels.top.size(); ++row) {
    const int top = std::max(pixels.top[row], 0);
    const int bottom = std::min(pixels.bottom[row], height);
    if (top >= bottom) continue;
    std::fill(line.begin(), line.end(), 0);
    for (std::size_t run = pixels.first[row]; run < pixels.first[row + 1]; ++run) {
      const int left = std::max(pixels.runs[run].left, 0);
      const int right = std::min(pixels.runs[run].right, width);
      if (left < right) {
        set_bits(line.data(), left, right);
        anyDark = true;
      }
    }
    for (int y = top; y < bottom; ++y) {
      std::uint8_t* out = mask.data() + static_cast<std::size_t>(y) * rowBytes;
      if (y >= written) {
        std::memcpy(out, line.data(), rowBytes);
      } else {
        for (std::size_t i = 0; i < rowBytes; ++i) out[i] |= line[i];
      }
    }
    written = std::max(written, bottom);
  }
  const auto padding = static_cast<std::uint8_t>(0xFFu >> (width & 7 ? width & 7 : 8));
  const auto all_dark = [&] {
    for (std::size_t i = 0; i < mask.size(); ++i) {
      const bool last = (i + 1) % rowBytes == 0;
      if (mask[i] != (last ? static_cast<std::uint8_t>(~padding) : 0xFFu)) return false;
    }
    return true;
  };

  // The palette in the order the writer meets the values, from the top left pixel on.
  const std::uint32_t dark = dark_value(format);
  std::vector<std::uint32_t> values;
  if (*background == dark || !anyDark) {
    values = {*background};
  } else if ((mask[0] & 0x80u) != 0 && all_dark()) {
    values = {dark};
  } else if ((mask[0] & 0x80u) != 0) {
    values = {dark, *background};
  } else {
    values = {*background, dark};
  }
  std::vector<PngColour> palette;
  std::vector<std::uint8_t> entries;
  if (!png_palette_of(format, values, &palette, &entries)) return std::nullopt;
  if (palette.size() == 1) {
    std::fill(mask.begin(), mask.end(), 0);
  } else if (entries[values[0] == dark ? 0 : 1] == 0) {
    // The modules take entry 0: every bit turns over, the padding at the end of a row stays 0.
    for (std::size_t row = 0; row < mask.size(); row += rowBytes) {
      for (std::size_t i = row; i < row + rowBytes; ++i) mask[i] = static_cast<std::uint8_t>(~mask[i]);
      mask[row + rowBytes - 1] &= static_cast<std::uint8_t>(~padding);
    }
  }
  return png_encode_palette_rows(width, height, palette, mask, pixelsPerMetre, png);
}

// ---- The logo picture.

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void put_chunk(std::vector<std::uint8_t>& out, const char* type, const std::uint8_t* data, std::size_t size) {
  put_u32(out, static_cast<std::uint32_t>(size));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  if (size > 0) out.insert(out.end(), data, data + size);
  put_u32(out,
          static_cast<std::uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

// The rows [begin, end) of the indices filtered as the writer filters them ("up" for a repeated
// row, none otherwise, none for the first), compressed by zlib's run-length strategy; with the
// zlib header, ending in a full flush, or raw, ending the stream. False when zlib fails.
bool deflate_rows(const std::vector<std::uint8_t>& indices, int width, int begin, int end, bool first,
                  std::vector<std::uint8_t>& out, uLong& adler, z_off_t& length) {
  const auto rowBytes = static_cast<std::size_t>(width);
  std::vector<std::uint8_t> filtered;
  filtered.reserve((rowBytes + 1) * static_cast<std::size_t>(end - begin));
  for (int y = begin; y < end; ++y) {
    const std::uint8_t* row = indices.data() + static_cast<std::size_t>(y) * rowBytes;
    if (y > begin && std::memcmp(row, row - rowBytes, rowBytes) == 0) {
      filtered.push_back(kFilterUp);
      filtered.insert(filtered.end(), rowBytes, 0);
    } else {
      filtered.push_back(kFilterNone);
      filtered.insert(filtered.end(), row, row + rowBytes);
    }
  }
  adler = adler32(adler32(0, nullptr, 0), filtered.data(), static_cast<uInt>(filtered.size()));
  length = static_cast<z_off_t>(filtered.size());
  z_stream stream{};
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, first ? 15 : -15, 8, Z_RLE) != Z_OK)
    return false;
  out.resize(deflateBound(&stream, static_cast<uLong>(filtered.size())) + 16);
  stream.next_in = filtered.data();
  stream.avail_in = static_cast<uInt>(filtered.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  const int result = deflate(&stream, first ? Z_FULL_FLUSH : Z_FINISH);
  const bool done = first ? result == Z_OK && stream.avail_in == 0 : result == Z_STREAM_END;
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return done;
}

// The code rows as symbols, and their Adler-32 when asked: a row that the same base row and the
// same module rows make repeats the one above and goes as an "up" row of zeros.
template <typename Out>
uLong code_rows(const LogoPngParts& parts, const ModulePixels& pixels, Out& out, bool checksum) {
  const int width = parts.width;
  const std::size_t moduleRows = pixels.top.size();
  std::vector<std::uint8_t> line(static_cast<std::size_t>(width) + 1);
  line[0] = kFilterNone;
  uLong adler = adler32(0, nullptr, 0);
  const z_off_t rowLength = width + 1;
  std::size_t first = 0;  // the module rows that cover y are [first, last)
  std::size_t last = 0;
  std::size_t previousBase = SIZE_MAX;
  std::size_t previousFirst = SIZE_MAX;
  std::size_t previousLast = SIZE_MAX;
  for (int y = parts.codeTop; y < parts.codeBottom; ++y) {
    while (first < moduleRows && pixels.bottom[first] <= y) ++first;
    last = std::max(last, first);
    while (last < moduleRows && pixels.top[last] <= y) ++last;
    const std::size_t base = parts.baseRow[static_cast<std::size_t>(y - parts.codeTop)];
    if (base == previousBase && first == previousFirst && last == previousLast) {
      out.literal(kFilterUp);
      put_run(out, 0, static_cast<std::size_t>(width) - 1);
      if (checksum) adler = adler32_combine(adler, parts.upAdler, rowLength);
      continue;
    }
    previousBase = base;
    previousFirst = first;
    previousLast = last;
    std::memcpy(line.data() + 1, parts.baseRows.data() + base, static_cast<std::size_t>(width));
    for (std::size_t row = first; row < last; ++row) {
      for (std::size_t run = pixels.first[row]; run < pixels.first[row + 1]; ++run) {
        const int left = std::max(pixels.runs[run].left, 0);
        const int right = std::min(pixels.runs[run].right, width);
        if (left < right)
          std::memset(line.data() + 1 + left, parts.dark, static_cast<std::size_t>(right - left));
      }
    }
    put_runs(out, line.data(), line.size());
    if (checksum) adler = adler32(adler, line.data(), static_cast<uInt>(line.size()));
  }
  return adler;
}

// Codes for the code rows of a logo, made from the rows of a code of random modules of a
// middling version drawn into them: the same for every document, so that a picture's file does
// not depend on which document came first.
RunCodes sample_codes(const LogoPngParts& parts, const Picture& picture) {
  constexpr int kSampleWidth = 57;
  QrBitMatrix modules{};
  std::mt19937 random(kSampleWidth);
  for (std::uint8_t& byte : modules) byte = static_cast<std::uint8_t>(random());
  const QrSymbol sample(kSampleWidth, modules);
  const ModulePixels pixels = module_pixels(
      module_matrix(picture.boxX, picture.boxY, picture.boxSide, kSampleWidth, picture.margin), sample);
  SymbolCounts counts;
  code_rows(parts, pixels, counts, false);
  ++counts.counts[kEndOfBlock];
  return run_codes(counts.counts);
}

std::shared_ptr<const LogoPngParts> prepare_logo(const Picture& picture) {
  const cairo_format_t format = picture.render.format;
  const SurfacePtr base(cairo_image_surface_create(format, picture.width, picture.height));
  if (cairo_surface_status(base.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  {
    const ContextPtr context(cairo_create(base.get()));
    picture_draw_base(picture, context.get());
    if (cairo_status(context.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  }
  std::vector<PngColour> palette;
  std::vector<std::uint8_t> indices;
  if (!png_index_surface(base.get(), &palette, &indices)) return nullptr;
  const PngColour black{0, 0, 0, 0xFF};
  auto dark = std::find(palette.begin(), palette.end(), black);
  if (dark == palette.end()) {
    if (palette.size() == 256) return nullptr;
    palette.push_back(black);
    dark = palette.end() - 1;
  }

  auto parts = std::make_shared<LogoPngParts>();
  parts->width = picture.width;
  parts->height = picture.height;
  parts->dark = static_cast<std::uint8_t>(dark - palette.begin());
  // The box and a pixel around it for rounding.
  parts->codeTop = std::clamp(static_cast<int>(std::floor(picture.boxY)) - 1, 0, picture.height);
  parts->codeBottom = std::clamp(static_cast<int>(std::ceil(picture.boxY + picture.boxSide)) + 1,
                                 parts->codeTop, picture.height);
  const auto width = static_cast<std::size_t>(picture.width);
  for (int y = parts->codeTop; y < parts->codeBottom; ++y) {
    const std::uint8_t* row = indices.data() + static_cast<std::size_t>(y) * width;
    if (parts->baseRows.empty() ||
        std::memcmp(row, parts->baseRows.data() + parts->baseRows.size() - width, width) != 0) {
      parts->baseRows.insert(parts->baseRows.end(), row, row + width);
    }
    parts->baseRow.push_back(parts->baseRows.size() - width);
  }

  std::array<std::uint8_t, 13> header{};
  const auto be32 = [](std::uint8_t* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
  };
  be32(header.data(), static_cast<std::uint32_t>(picture.width));
  be32(header.data() + 4, static_cast<std::uint32_t>(picture.height));
  header[8] = 8;  // bits an entry
  header[9] = 3;  // palette
  static constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  parts->head.assign(std::begin(kSignature), std::end(kSignature));
  put_chunk(parts->head, "IHDR", header.data(), header.size());
  std::vector<std::uint8_t> entries;
  std::vector<std::uint8_t> transparency;
  for (const PngColour& colour : palette) {
    entries.insert(entries.end(), {colour.red, colour.green, colour.blue});
    if (colour.alpha != 0xFF) transparency.push_back(colour.alpha);
  }
  put_chunk(parts->head, "PLTE", entries.data(), entries.size());
  if (!transparency.empty()) put_chunk(parts->head, "tRNS", transparency.data(), transparency.size());

  z_off_t topLength = 0;
  if (!deflate_rows(indices, picture.width, 0, parts->codeTop, true, parts->top, parts->topAdler,
                    topLength) ||
      !deflate_rows(indices, picture.width, parts->codeBottom, picture.height, false, parts->bottom,
                    parts->bottomAdler, parts->bottomLength)) {
    return nullptr;
  }
  parts->topCrc = crc32(crc32(0, reinterpret_cast<const Bytef*>("IDAT"), 4), parts->top.data(),
                        static_cast<uInt>(parts->top.size()));
  parts->bottomCrc = crc32(0, parts->bottom.data(), static_cast<uInt>(parts->bottom.size()));
  parts->codes = sample_codes(*parts, picture);
  std::vector<std::uint8_t> up(width + 1, 0);
  up[0] = kFilterUp;
  parts->upAdler = adler32(adler32(0, nullptr, 0), up.data(), static_cast<uInt>(up.size()));
  return parts;
}

// What the parts of a logo depend on besides the logo picture itself.
std::string parts_key(const Picture& picture) {
  const double values[] = {static_cast<double>(picture.width),
                           static_cast<double>(picture.height),
                           picture.boxY,
                           picture.boxSide,
                           picture.logoX,
                           picture.logoY,
                           picture.render.red,
                           picture.render.green,
                           picture.render.blue,
                           picture.render.alpha,
                           static_cast<double>(picture.render.format)};
  return std::string(reinterpret_cast<const char*>(values), sizeof values);
}

std::optional<cairo_status_t> compose_logo(const Picture& picture, std::uint32_t pixelsPerMetre,
                                           std::vector<std::uint8_t>* png) {
  const std::string key = parts_key(picture);
  std::shared_ptr<const LogoPngParts> parts = logo_cache_parts(picture.logo.get(), key);
  if (!parts) {
    parts = prepare_logo(picture);
    if (!parts) return std::nullopt;
    logo_cache_keep_parts(picture.logo.get(), key, parts);
  }
  const int width = parts->width;
  const ModulePixels pixels = pixels_of(picture);
  const std::size_t moduleRows = pixels.top.size();
  // Every module pixel must lie in the rows composed here.
  for (std::size_t row = 0; row < moduleRows; ++row) {
    const int top = std::max(pixels.top[row], 0);
    const int bottom = std::min(pixels.bottom[row], parts->height);
    if (top < bottom && pixels.first[row] < pixels.first[row + 1] &&
        (top < parts->codeTop || bottom > parts->codeBottom)) {
      return std::nullopt;
    }
  }

  std::vector<std::uint8_t> code;
  code.reserve(16384);
  BitWriter writer(code, parts->codes);
  for (const Code& bits : parts->codes.header) writer.put(bits);
  const uLong codeAdler = code_rows(*parts, pixels, writer, true);
  writer.put(parts->codes.endOfBlock);
  // An empty stored block brings the part to a byte boundary, where the rows below begin.
  writer.put({0, 3});
  writer.align();
  code.insert(code.end(), {0x00, 0x00, 0xFF, 0xFF});
  const z_off_t rowLength = width + 1;
  const z_off_t codeLength = rowLength * (parts->codeBottom - parts->codeTop);
  const uLong adler = adler32_combine(adler32_combine(parts->topAdler, codeAdler, codeLength),
                                      parts->bottomAdler, parts->bottomLength);

  png->clear();
  png->reserve(parts->head.size() + parts->top.size() + code.size() + parts->bottom.size() + 64);
  png->insert(png->end(), parts->head.begin(), parts->head.end());
  if (pixelsPerMetre > 0) {
    std::array<std::uint8_t, 9> physical{};
    for (int i = 0; i < 4; ++i) {
      physical[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(pixelsPerMetre >> (24 - 8 * i));
      physical[static_cast<std::size_t>(i + 4)] = physical[static_cast<std::size_t>(i)];
    }
    physical[8] = 1;  // metres
    put_chunk(*png, "pHYs", physical.data(), physical.size());
  }
  std::array<std::uint8_t, 4> trailer{};
  for (int i = 0; i < 4; ++i)
    trailer[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(adler >> (24 - 8 * i));
  put_u32(*png, static_cast<std::uint32_t>(parts->top.size() + code.size() + parts->bottom.size() +
                                           trailer.size()));
  png->insert(png->end(), {'I', 'D', 'A', 'T'});
  png->insert(png->end(), parts->top.begin(), parts->top.end());
  png->insert(png->end(), code.begin(), code.end());
  png->insert(png->end(), parts->bottom.begin(), parts->bottom.end());
  png->insert(png->end(), trailer.begin(), trailer.end());
  uLong crc = crc32_combine(parts->topCrc, crc32(0, code.data(), static_cast<uInt>(code.size())),
                            static_cast<z_off_t>(code.size()));
  crc = crc32_combine(crc, parts->bottomCrc, static_cast<z_off_t>(parts->bottom.size()));
  crc = crc32(crc, trailer.data(), static_cast<uInt>(trailer.size()));
  put_u32(*png, static_cast<std::uint32_t>(crc));
  put_chunk(*png, "IEND", nullptr, 0);
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

std::optional<cairo_status_t> png_compose(const Picture& picture, std::uint32_t pixelsPerMetre,
                                          std::vector<std::uint8_t>* png) {
  if (png == nullptr || !composable(picture.render.format) || picture.width <= 0 || picture.height <= 0 ||
      picture.width > kMaximumSide || picture.height > kMaximumSide || !(picture.boxSide > 0)) {
    return std::nullopt;
  }
  try {
    std::optional<cairo_status_t> status = picture.logo ? compose_logo(picture, pixelsPerMetre, png)
                                                        : compose_plain(picture, pixelsPerMetre, png);
    if (status && *status != CAIRO_STATUS_SUCCESS) *png = {};
    return status;
  } catch (const std::bad_alloc&) {
    *png = {};
    return CAIRO_STATUS_NO_MEMORY;
  }
}

}  // namespace tolvex
