// Windows bitmaps, read by hand: every offset and count the file states is checked against its
// length before it is followed, and the picture's size against the limits before allocating.
#include <array>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "base/messages.h"
#include "scan/picture_load.h"

namespace tolvex {
namespace {

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;

// The file's bytes, read little-endian at checked offsets.
class Reader {
 public:
  Reader(const std::uint8_t* bytes, std::size_t size) : bytes_(bytes), size_(size) {}
  [[nodiscard]] bool has(std::uint64_t at, std::uint64_t count) const { return at <= size_ && count <= size_ - at; }
  [[nodiscard]] std::uint32_t u16(std::size_t at) const { return bytes_[at] | (std::uint32_t{bytes_[at + 1]} << 8); }
  [[nodiscard]] std::uint32_t u32(std::size_t at) const { return u16(at) | (u16(at + 2) << 16); }
  [[nodiscard]] std::uint8_t byte(std::size_t at) const { return bytes_[at]; }
  [[nodiscard]] std::size_t size() const { return size_; }

 private:
  const std::uint8_t* bytes_;
  std::size_t size_;
};

// One colour channel given by a bit mask, scaled to 0..255.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t maximum = 0;

  explicit Channel(std::uint32_t bits) : mask(bits) {
    if (mask == 0) return;
    shift = std::countr_zero(mask);
    maximum = mask >> shift;
  }
  [[nodiscard]] unsigned of(std::uint32_t pixel) const {
    if (maximum == 0) return 0;
    return static_cast<unsigned>((static_cast<std::uint64_t>((pixel & mask) >> shift) * 255 + maximum / 2) / maximum);
  }
};

struct Header {
  std::int64_t width = 0;
  std::int64_t height = 0;  // rows as stored, always positive
  bool topDown = false;
  std::uint32_t bits = 0;
  std::uint32_t compression = kRgb;
  std::uint32_t colours = 0;
  std::size_t paletteAt = 0;
  std::size_t paletteEntry = 4;  // bytes of one palette entry: 3 in the oldest header
  std::array<std::uint32_t, 3> masks{};
  std::size_t pixelsAt = 0;
};

// The header, or the message to fail with.
const Message* read_header(const Reader& file, Header& header) {
  if (!file.has(0, 18)) return &messages::kCannotReadBmpPicture;
  header.pixelsAt = file.u32(10);
  const std::uint32_t headerSize = file.u32(14);
  if (headerSize == 12) {  // the OS/2 and Windows 2 header
    if (!file.has(14, 12)) return &messages::kCannotReadBmpPicture;
    header.width = file.u16(18);
    header.height = file.u16(20);
    header.bits = file.u16(24);
    header.paletteEntry = 3;
  } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 || headerSize == 124) {
    if (!file.has(14, headerSize)) return &messages::kCannotReadBmpPicture;
    header.width = static_cast<std::int32_t>(file.u32(18));
    const auto height = static_cast<std::int32_t>(file.u32(22));
    header.topDown = height < 0;
    header.height = std::llabs(static_cast<std::int64_t>(height));
    header.bits = file.u16(28);
    header.compression = file.u32(30);
    header.colours = file.u32(46);
    // The masks follow a 40-byte header, and are part of the longer ones.
    if (header.compression == kBitFields) {
      if (!file.has(54, 12)) return &messages::kCannotReadBmpPicture;
      header.masks = {file.u32(54), file.u32(58), file.u32(62)};
    }
  } else {
    return &messages::kCannotReadBmpPicture;
  }
  header.paletteAt = 14 + headerSize + (headerSize == 40 && header.compression == kBitFields ? 12 : 0);
  const bool palette = header.bits == 1 || header.bits == 4 || header.bits == 8;
  const bool direct = header.bits == 16 || header.bits == 24 || header.bits == 32;
  const bool known = (header.compression == kRgb && (palette || direct)) ||
                     (header.compression == kRle8 && header.bits == 8) ||
                     (header.compression == kRle4 && header.bits == 4) ||
                     (header.compression == kBitFields && (header.bits == 16 || header.bits == 32));
  if (!known) return &messages::kUnsupportedBmpPicture;
  if (header.compression == kRgb && header.bits == 16) header.masks = {0x7C00, 0x03E0, 0x001F};
  if (header.compression == kRgb && header.bits == 32) header.masks = {0xFF0000, 0xFF00, 0xFF};
  return nullptr;
}

// The luminance of each palette index; indices past the palette are black.
const Message* read_palette(const Reader& file, const Header& header, std::array<std::uint8_t, 256>& gray) {
  gray.fill(0);
  const std::uint32_t most = 1u << header.bits;
  const std::uint32_t count = header.colours == 0 || header.colours > most ? most : header.colours;
  if (!file.has(header.paletteAt, std::uint64_t{count} * header.paletteEntry)) {
    return &messages::kCannotReadBmpPicture;
  }
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t at = header.paletteAt + i * header.paletteEntry;
    gray[i] = gray_luminance(file.byte(at + 2), file.byte(at + 1), file.byte(at));
  }
  return nullptr;
}

const Message* read_rows(const Reader& file, const Header& header, const std::array<std::uint8_t, 256>& gray,
                         GrayImage& image) {
  const std::uint64_t stride = (static_cast<std::uint64_t>(header.width) * header.bits + 31) / 32 * 4;
  if (!file.has(header.pixelsAt, stride * static_cast<std::uint64_t>(header.height))) {
    return &messages::kCannotReadBmpPicture;
  }
  const Channel red(header.masks[0]);
  const Channel green(header.masks[1]);
  const Channel blue(header.masks[2]);
  for (std::int64_t row = 0; row < header.height; ++row) {
    const std::size_t at = header.pixelsAt + static_cast<std::size_t>(row * stride);
    const std::int64_t y = header.topDown ? row : header.height - 1 - row;
    std::uint8_t* out = image.pixels.data() + y * header.width;
    for (std::int64_t x = 0; x < header.width; ++x) {
      const auto column = static_cast<std::size_t>(x);
      switch (header.bits) {
        case 1: out[x] = gray[(file.byte(at + column / 8) >> (7 - column % 8)) & 1]; break;
        case 4: out[x] = gray[(file.byte(at + column / 2) >> (column % 2 == 0 ? 4 : 0)) & 0xF]; break;
        case 8: out[x] = gray[file.byte(at + column)]; break;
        case 24:
          out[x] = gray_luminance(file.byte(at + 3 * column + 2), file.byte(at + 3 * column + 1),
                                  file.byte(at + 3 * column));
          break;
        default: {
          const std::uint32_t pixel = header.bits == 16 ? file.u16(at + 2 * column) : file.u32(at + 4 * column);
          out[x] = gray_luminance(red.of(pixel), green.of(pixel), blue.of(pixel));
        }
      }
    }
  }
  return nullptr;
}

// Run-length coded rows (8 or 4 bits an index). Pixels the runs skip stay white; a run past the
// row's end is cut at the edge; the data ends at its end marker or the file's end.
const Message* read_runs(const Reader& file, const Header& header, const std::array<std::uint8_t, 256>& gray,
                         GrayImage& image) {
  if (header.pixelsAt > file.size()) return &messages::kCannotReadBmpPicture;
  const bool four = header.compression == kRle4;
  std::int64_t x = 0;
  std::int64_t row = 0;
  const auto put = [&](std::uint32_t index) {
    if (x < header.width && row < header.height) {
      const std::int64_t y = header.topDown ? row : header.height - 1 - row;
      image.pixels[static_cast<std::size_t>(y * header.width + x)] = gray[index];
    }
    ++x;
  };
  std::size_t at = header.pixelsAt;
  while (file.has(at, 2) && row < header.height) {
    const std::uint32_t count = file.byte(at);
    const std::uint32_t value = file.byte(at + 1);
    at += 2;
    if (count > 0) {
      for (std::uint32_t i = 0; i < count; ++i) put(four ? (i % 2 == 0 ? value >> 4 : value & 0xF) : value);
    } else if (value == 0) {  // end of the row
      x = 0;
      ++row;
    } else if (value == 1) {  // end of the picture
      break;
    } else if (value == 2) {  // move right and up
      if (!file.has(at, 2)) return &messages::kCannotReadBmpPicture;
      x += file.byte(at);
      row += file.byte(at + 1);
      at += 2;
    } else {  // value pixels as they are, padded to a whole 16-bit word
      const std::size_t bytes = four ? (value + 1) / 2 : value;
      if (!file.has(at, bytes)) return &messages::kCannotReadBmpPicture;
      for (std::uint32_t i = 0; i < value; ++i) {
        const std::uint8_t byte = file.byte(at + (four ? i / 2 : i));
        put(four ? (i % 2 == 0 ? byte >> 4 : byte & 0xF) : byte);
      }
      at += bytes + bytes % 2;
    }
  }
  return nullptr;
}

}  // namespace

ErrorCode load_bmp(const std::uint8_t* bytes, std::size_t size, GrayImage* image) {
  const Reader file(bytes, size);
  Header header;
  if (const Message* failure = read_header(file, header)) return report(*failure);
  if (const ErrorCode code = check_picture_size(header.width, header.height)) return code;
  std::array<std::uint8_t, 256> gray{};
  if (header.bits <= 8) {
    if (const Message* failure = read_palette(file, header, gray)) return report(*failure);
  }
  GrayImage result;
  result.width = static_cast<int>(header.width);
  result.height = static_cast<int>(header.height);
  result.pixels.assign(static_cast<std::size_t>(header.width * header.height), 255);
  const bool runs = header.compression == kRle8 || header.compression == kRle4;
  if (const Message* failure = runs ? read_runs(file, header, gray, result) : read_rows(file, header, gray, result)) {
    return report(*failure);
  }
  *image = std::move(result);
  return ERROR_OK;
}

}  // namespace tolvex
