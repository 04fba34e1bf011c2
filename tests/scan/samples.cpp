#include "scan/samples.h"

#include <jpeglib.h>
#include <libheif/heif.h>
#include <tiffio.h>
#include <webp/encode.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace tolvex::test {
namespace {

// A TIFF file growing in memory, for libtiff's client interface.
struct GrowingFile {
  Bytes bytes;
  toff_t position = 0;
};

GrowingFile& grown(thandle_t handle) { return *static_cast<GrowingFile*>(handle); }

tmsize_t file_read(thandle_t handle, void* buffer, tmsize_t size) {
  GrowingFile& file = grown(handle);
  const toff_t count = std::min<toff_t>(size, file.position < file.bytes.size() ? file.bytes.size() - file.position : 0);
  std::memcpy(buffer, file.bytes.data() + file.position, count);
  file.position += count;
  return static_cast<tmsize_t>(count);
}

tmsize_t file_write(thandle_t handle, void* buffer, tmsize_t size) {
  GrowingFile& file = grown(handle);
  if (file.position + size > file.bytes.size()) file.bytes.resize(file.position + size);
  std::memcpy(file.bytes.data() + file.position, buffer, size);
  file.position += size;
  return size;
}

toff_t file_seek(thandle_t handle, toff_t offset, int whence) {
  GrowingFile& file = grown(handle);
  const auto delta = static_cast<std::int64_t>(offset);
  std::int64_t base = 0;
  if (whence == SEEK_CUR) base = static_cast<std::int64_t>(file.position);
  if (whence == SEEK_END) base = static_cast<std::int64_t>(file.bytes.size());
  file.position = static_cast<toff_t>(base + delta);
  return file.position;
}

int file_close(thandle_t) { return 0; }
toff_t file_size(thandle_t handle) { return grown(handle).bytes.size(); }
int no_map(thandle_t, void**, toff_t*) { return 0; }
void no_unmap(thandle_t, void*, toff_t) {}

void write_tiff_page(TIFF* tiff, const GrayImage& page, TiffPage storage) {
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(page.width));
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(page.height));
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(16));
  std::vector<std::uint8_t> row;
  switch (storage) {
    case TiffPage::gray:
      TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
      TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
      TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
      TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
      break;
    case TiffPage::rgb_lzw:
      TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
      TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
      TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
      TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
      break;
    case TiffPage::bilevel_g4:
      TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
      TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
      TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
      TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
      TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(page.height));
      break;
    case TiffPage::palette_zip: {
      TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
      TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
      TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
      TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
      // A palette that reverses the scale: index i is grey 255 - i.
      std::vector<std::uint16_t> map(256);
      for (int i = 0; i < 256; ++i) map[i] = static_cast<std::uint16_t>((255 - i) * 257);
      TIFFSetField(tiff, TIFFTAG_COLORMAP, map.data(), map.data(), map.data());
      break;
    }
  }
  for (int y = 0; y < page.height; ++y) {
    const std::uint8_t* source = page.pixels.data() + static_cast<std::size_t>(y) * page.width;
    row.assign(static_cast<std::size_t>(page.width) * 3, 0);
    for (int x = 0; x < page.width; ++x) {
      const std::uint8_t gray = source[x];
      switch (storage) {
        case TiffPage::gray: row[x] = gray; break;
        case TiffPage::rgb_lzw: row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = gray; break;
        case TiffPage::bilevel_g4:
          if (gray < 128) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
          break;
        case TiffPage::palette_zip: row[x] = static_cast<std::uint8_t>(255 - gray); break;
      }
    }
    if (TIFFWriteScanline(tiff, row.data(), static_cast<std::uint32_t>(y), 0) != 1) {
      throw std::runtime_error("cannot write a TIFF row");
    }
  }
  if (TIFFWriteDirectory(tiff) != 1) throw std::runtime_error("cannot write a TIFF page");
}

void put16(Bytes& bytes, std::uint32_t value) {
  bytes.push_back(static_cast<std::uint8_t>(value));
  bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}
void put32(Bytes& bytes, std::uint32_t value) {
  put16(bytes, value & 0xFFFF);
  put16(bytes, value >> 16);
}

std::uint8_t bmp_index(std::uint8_t gray, BmpKind kind) {
  switch (kind) {
    case BmpKind::bits1: return gray < 128 ? 0 : 1;
    case BmpKind::bits4:
    case BmpKind::rle4: return static_cast<std::uint8_t>(gray >> 4);
    default: return gray;
  }
}

heif_error heif_append(heif_context*, const void* data, std::size_t size, void* userdata) {
  auto* bytes = static_cast<Bytes*>(userdata);
  bytes->insert(bytes->end(), static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + size);
  return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
}

}  // namespace

GrayImage gray_of(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  return gray_from_surface(surface);
}

GrayImage white_like(const GrayImage& picture) {
  GrayImage white = picture;
  std::fill(white.pixels.begin(), white.pixels.end(), 255);
  return white;
}

Bytes tiff_of(const std::vector<GrayImage>& pages, TiffPage storage) {
  GrowingFile file;
  TIFF* tiff = TIFFClientOpen("sample", "w", &file, file_read, file_write, file_seek, file_close, file_size, no_map,
                              no_unmap);
  if (tiff == nullptr) throw std::runtime_error("cannot open a TIFF to write");
  for (const GrayImage& page : pages) write_tiff_page(tiff, page, storage);
  TIFFClose(tiff);
  return file.bytes;
}

Bytes webp_of(const GrayImage& picture, bool lossless) {
  std::vector<std::uint8_t> rgb;
  for (const std::uint8_t gray : picture.pixels) rgb.insert(rgb.end(), {gray, gray, gray});
  std::uint8_t* output = nullptr;
  const std::size_t size =
      lossless ? WebPEncodeLosslessRGB(rgb.data(), picture.width, picture.height, picture.width * 3, &output)
               : WebPEncodeRGB(rgb.data(), picture.width, picture.height, picture.width * 3, 90, &output);
  if (size == 0) throw std::runtime_error("cannot write WebP");
  Bytes bytes(output, output + size);
  WebPFree(output);
  return bytes;
}

std::optional<Bytes> heic_of(const GrayImage& picture) {
  if (heif_have_encoder_for_format(heif_compression_HEVC) == 0) return std::nullopt;
  const std::unique_ptr<heif_context, void (*)(heif_context*)> context(heif_context_alloc(), heif_context_free);
  heif_encoder* rawEncoder = nullptr;
  if (heif_context_get_encoder_for_format(context.get(), heif_compression_HEVC, &rawEncoder).code != heif_error_Ok) {
    return std::nullopt;
  }
  const std::unique_ptr<heif_encoder, void (*)(heif_encoder*)> encoder(rawEncoder, heif_encoder_release);
  heif_encoder_set_lossy_quality(encoder.get(), 90);
  heif_image* rawImage = nullptr;
  if (heif_image_create(picture.width, picture.height, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &rawImage)
          .code != heif_error_Ok) {
    throw std::runtime_error("cannot make a HEIF picture");
  }
  const std::unique_ptr<heif_image, void (*)(const heif_image*)> image(rawImage, heif_image_release);
  heif_image_add_plane(image.get(), heif_channel_interleaved, picture.width, picture.height, 8);
  int stride = 0;
  std::uint8_t* plane = heif_image_get_plane(image.get(), heif_channel_interleaved, &stride);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const std::uint8_t gray = picture.pixels[static_cast<std::size_t>(y) * picture.width + x];
      std::fill_n(plane + static_cast<std::ptrdiff_t>(y) * stride + 3 * x, 3, gray);
    }
  }
  if (heif_context_encode_image(context.get(), image.get(), encoder.get(), nullptr, nullptr).code != heif_error_Ok) {
    throw std::runtime_error("cannot encode HEIC");
  }
  Bytes bytes;
  heif_writer writer{1, heif_append};
  if (heif_context_write(context.get(), &writer, &bytes).code != heif_error_Ok) {
    throw std::runtime_error("cannot write HEIC");
  }
  return bytes;
}

std::uint8_t bmp_luminance(std::uint8_t gray, BmpKind kind) {
  switch (kind) {
    case BmpKind::bits1: return gray < 128 ? 0 : 255;
    case BmpKind::bits4:
    case BmpKind::rle4: return static_cast<std::uint8_t>((gray >> 4) * 17);
    case BmpKind::bits16: {
      // Five bits of red and blue, six of green, each scaled back to 0..255 and weighed.
      const unsigned five = ((gray >> 3) * 255 + 15) / 31;
      const unsigned six = ((gray >> 2) * 255 + 31) / 63;
      return gray_luminance(five, six, five);
    }
    default: return gray;
  }
}

Bytes bmp_of(const GrayImage& picture, BmpKind kind, bool topDown) {
  const bool os2 = kind == BmpKind::os2_bits24;
  const unsigned bits = kind == BmpKind::bits1                             ? 1
                        : kind == BmpKind::bits4 || kind == BmpKind::rle4  ? 4
                        : kind == BmpKind::bits8 || kind == BmpKind::rle8  ? 8
                        : kind == BmpKind::bits16                          ? 16
                        : kind == BmpKind::bits32                          ? 32
                                                                           : 24;
  const unsigned colours = bits <= 8 ? 1u << bits : 0;
  const std::uint32_t compression = kind == BmpKind::rle8 ? 1 : kind == BmpKind::rle4 ? 2 : bits == 16 ? 3 : 0;
  // The pixel rows, bottom-up unless asked otherwise.
  Bytes pixels;
  for (int row = 0; row < picture.height; ++row) {
    const int y = topDown ? row : picture.height - 1 - row;
    const std::uint8_t* source = picture.pixels.data() + static_cast<std::size_t>(y) * picture.width;
    if (compression == 1 || compression == 2) {
      // Runs of equal indices, at most 254 pixels each (an even count keeps RLE4's nibbles equal).
      for (int x = 0; x < picture.width;) {
        int run = 1;
        while (x + run < picture.width && run < 254 && source[x + run] / (bits == 4 ? 16 : 1) ==
                                                           source[x] / (bits == 4 ? 16 : 1)) {
          ++run;
        }
        const std::uint8_t index = bmp_index(source[x], kind);
        pixels.push_back(static_cast<std::uint8_t>(run));
        pixels.push_back(bits == 4 ? static_cast<std::uint8_t>(index << 4 | index) : index);
        x += run;
      }
      pixels.insert(pixels.end(), {0, 0});
      continue;
    }
    Bytes line;
    for (int x = 0; x < picture.width; ++x) {
      const std::uint8_t gray = source[x];
      switch (bits) {
        case 1:
          if (x % 8 == 0) line.push_back(0);
          line.back() |= static_cast<std::uint8_t>(bmp_index(gray, kind) << (7 - x % 8));
          break;
        case 4:
          if (x % 2 == 0) line.push_back(0);
          line.back() |= static_cast<std::uint8_t>(bmp_index(gray, kind) << (x % 2 == 0 ? 4 : 0));
          break;
        case 8: line.push_back(gray); break;
        case 16: put16(line, (gray >> 3) << 11 | (gray >> 2) << 5 | (gray >> 3)); break;
        case 24: line.insert(line.end(), {gray, gray, gray}); break;
        default: line.insert(line.end(), {gray, gray, gray, 0}); break;  // alpha left 0, as writers do
      }
    }
    while (line.size() % 4 != 0) line.push_back(0);
    pixels.insert(pixels.end(), line.begin(), line.end());
  }
  if (compression == 1 || compression == 2) pixels.insert(pixels.end(), {0, 1});
  const std::uint32_t headerSize = os2 ? 12 : 40;
  const std::uint32_t masks = compression == 3 ? 12 : 0;
  const std::uint32_t palette = colours * (os2 ? 3 : 4);
  const std::uint32_t offset = 14 + headerSize + masks + palette;
  Bytes bmp = {'B', 'M'};
  put32(bmp, offset + static_cast<std::uint32_t>(pixels.size()));
  put32(bmp, 0);
  put32(bmp, offset);
  put32(bmp, headerSize);
  const int height = topDown ? -picture.height : picture.height;
  if (os2) {
    put16(bmp, static_cast<std::uint32_t>(picture.width));
    put16(bmp, static_cast<std::uint32_t>(picture.height));
    put16(bmp, 1);
    put16(bmp, bits);
  } else {
    put32(bmp, static_cast<std::uint32_t>(picture.width));
    put32(bmp, static_cast<std::uint32_t>(height));
    put16(bmp, 1);
    put16(bmp, bits);
    put32(bmp, compression);
    put32(bmp, static_cast<std::uint32_t>(pixels.size()));
    put32(bmp, 2835);
    put32(bmp, 2835);
    put32(bmp, colours);
    put32(bmp, 0);
  }
  if (masks != 0) {
    put32(bmp, 0xF800);
    put32(bmp, 0x07E0);
    put32(bmp, 0x001F);
  }
  for (unsigned i = 0; i < colours; ++i) {
    const std::uint8_t gray = bits == 1 ? static_cast<std::uint8_t>(i * 255) : bits == 4 ? static_cast<std::uint8_t>(i * 17)
                                                                                           : static_cast<std::uint8_t>(i);
    bmp.insert(bmp.end(), {gray, gray, gray});
    if (!os2) bmp.push_back(0);
  }
  bmp.insert(bmp.end(), pixels.begin(), pixels.end());
  return bmp;
}

Bytes cmyk_jpeg_of(const GrayImage& picture, CmykJpeg kind) {
  jpeg_compress_struct compress{};
  jpeg_error_mgr errors{};
  compress.err = jpeg_std_error(&errors);
  jpeg_create_compress(&compress);
  unsigned char* output = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&compress, &output, &size);
  compress.image_width = static_cast<JDIMENSION>(picture.width);
  compress.image_height = static_cast<JDIMENSION>(picture.height);
  compress.input_components = 4;
  compress.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&compress);
  jpeg_set_colorspace(&compress, kind == CmykJpeg::ycck ? JCS_YCCK : JCS_CMYK);
  jpeg_set_quality(&compress, 90, TRUE);
  compress.write_Adobe_marker = kind == CmykJpeg::plain ? FALSE : TRUE;
  jpeg_start_compress(&compress, TRUE);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(picture.width) * 4);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const std::uint8_t gray = picture.pixels[static_cast<std::size_t>(y) * picture.width + x];
      // Black ink only; Adobe stores the ink inverted (255 no ink).
      const std::uint8_t black = kind == CmykJpeg::plain ? static_cast<std::uint8_t>(255 - gray) : gray;
      const std::uint8_t none = kind == CmykJpeg::plain ? 0 : 255;
      std::uint8_t* pixel = row.data() + 4 * x;
      pixel[0] = pixel[1] = pixel[2] = none;
      pixel[3] = black;
    }
    JSAMPROW line = row.data();
    jpeg_write_scanlines(&compress, &line, 1);
  }
  jpeg_finish_compress(&compress);
  jpeg_destroy_compress(&compress);
  Bytes bytes(output, output + size);
  std::free(output);
  return bytes;
}

}  // namespace tolvex::test
