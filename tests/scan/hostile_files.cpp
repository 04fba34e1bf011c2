#include "scan/hostile_files.h"

#include <turbojpeg.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <memory>
#include <string>

#include "codec/checksum.h"
#include "scan/pictures.h"
#include "scan/samples.h"

namespace tolvex::test {
namespace {

void put32(Bytes& bytes, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

// A PNG file whose header claims width x height pixels and that holds no pixel at all.
Bytes png_claiming(std::uint32_t width, std::uint32_t height) {
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  put32(png, 13);
  const std::size_t chunk = png.size();
  png.insert(png.end(), {'I', 'H', 'D', 'R'});
  put32(png, width);
  put32(png, height);
  png.insert(png.end(), {8, 0, 0, 0, 0});  // 8-bit greyscale
  put32(png, crc32(png.data() + chunk, png.size() - chunk));
  // An empty data chunk: the header is read only up to the first one.
  put32(png, 0);
  const std::uint8_t data[] = {'I', 'D', 'A', 'T'};
  png.insert(png.end(), std::begin(data), std::end(data));
  put32(png, crc32(data, sizeof data));
  put32(png, 0);
  png.insert(png.end(), {'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82});
  return png;
}

// A real JPEG whose frame header is changed to claim width x height pixels.
Bytes jpeg_claiming(std::uint16_t width, std::uint16_t height) {
  Bytes jpeg = test::jpeg_of(test::plain_code("CLAIM", 2).get(), 75);
  for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8);
      jpeg[i + 6] = static_cast<std::uint8_t>(height);
      jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8);
      jpeg[i + 8] = static_cast<std::uint8_t>(width);
      return jpeg;
    }
  }
  ADD_FAILURE() << "no baseline frame header";
  return jpeg;
}

void put16le(Bytes& bytes, std::uint32_t value) {
  bytes.push_back(static_cast<std::uint8_t>(value));
  bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}
void put32le(Bytes& bytes, std::uint32_t value) {
  put16le(bytes, value & 0xFFFF);
  put16le(bytes, value >> 16);
}

// A little-endian TIFF of count pages (a chain of directories), each claiming width x height
// grey pixels in one strip of a single byte.
Bytes tiff_claiming(std::uint32_t width, std::uint32_t height, int count) {
  Bytes tiff = {'I', 'I', 42, 0};
  put32le(tiff, 8);
  constexpr std::uint32_t kEntries = 9;
  constexpr std::uint32_t kDirectory = 2 + kEntries * 12 + 4;
  for (int page = 0; page < count; ++page) {
    const auto at = static_cast<std::uint32_t>(tiff.size());
    const auto entry = [&tiff](std::uint16_t tag, std::uint16_t type, std::uint32_t value) {
      put16le(tiff, tag);
      put16le(tiff, type);
      put32le(tiff, 1);
      put32le(tiff, value);
    };
    put16le(tiff, kEntries);
    entry(256, 4, width);          // ImageWidth
    entry(257, 4, height);         // ImageLength
    entry(258, 3, 8);              // BitsPerSample
    entry(259, 3, 1);              // Compression: none
    entry(262, 3, 1);              // Photometric: black is zero
    entry(273, 4, 0);              // StripOffsets: the header's first byte
    entry(277, 3, 1);              // SamplesPerPixel
    entry(278, 4, height);         // RowsPerStrip
    entry(279, 4, 1);              // StripByteCounts
    put32le(tiff, page + 1 < count ? at + kDirectory : 0);
  }
  return tiff;
}

// A BMP whose 40-byte header claims width x height pixels of 24 bits and that holds none.
Bytes bmp_claiming(std::int32_t width, std::int32_t height, std::uint32_t headerSize = 40,
                   std::uint32_t compression = 0) {
  Bytes bmp = {'B', 'M'};
  put32le(bmp, 54);
  put32le(bmp, 0);
  put32le(bmp, 54);
  put32le(bmp, headerSize);
  put32le(bmp, static_cast<std::uint32_t>(width));
  put32le(bmp, static_cast<std::uint32_t>(height));
  put16le(bmp, 1);
  put16le(bmp, 24);
  put32le(bmp, compression);
  for (int i = 0; i < 5; ++i) put32le(bmp, 0);
  return bmp;
}

// A lossless WebP whose header is changed to claim 16384 x 16384 pixels, its format's largest.
Bytes webp_of_largest_size() {
  const GrayImage picture = gray_of(plain_code("CLAIM", 2).get());
  Bytes webp = webp_of(picture, true);
  // RIFF header (12), chunk header "VP8L" and size (8), signature byte: then 14 bits each of
  // width - 1 and height - 1.
  if (webp.size() < 25 || std::string(webp.begin() + 12, webp.begin() + 16) != "VP8L") {
    ADD_FAILURE() << "no lossless chunk";
    return webp;
  }
  const std::uint32_t bits = 0x3FFFu | (0x3FFFu << 14) | (std::uint32_t{webp[24]} & 0xF0u) << 24;
  for (int i = 0; i < 4; ++i) webp[21 + i] = static_cast<std::uint8_t>(bits >> (8 * i));
  return webp;
}

std::string stream(const std::string& dictionary, const std::string& data) {
  return "<< " + dictionary + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
}

// One A4 page covered by a grey image of 30000 x 30000 pixels: encoding holds the rest of the
// image's dictionary, data its stream.
Bytes pdf_of_page_image(const std::string& encoding, const std::string& data) {
  return pdf_of_objects({
      "<< /Type /Catalog /Pages 2 0 R >>",
      "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R /Resources << /XObject << /I 5 0 "
      "R >> >> >>",
      stream("", "q 595 0 0 842 0 0 cm /I Do Q"),
      stream("/Type /XObject /Subtype /Image /Width 30000 /Height 30000 /ColorSpace /DeviceGray " + encoding,
             data),
  });
}

// One page drawing an image of 30000 x 30000 pixels in JBIG2: a page information segment
// claiming that size and the end of the page, 682 bytes in all.
Bytes pdf_of_huge_jbig2_image() {
  Bytes segments;
  put32(segments, 0);
  segments.insert(segments.end(), {48, 0, 1});  // page information, no references, page 1
  put32(segments, 19);
  put32(segments, 30000);
  put32(segments, 30000);
  put32(segments, 0);
  put32(segments, 0);
  segments.insert(segments.end(), {0, 0, 0});
  put32(segments, 1);
  segments.insert(segments.end(), {49, 0, 1});  // end of page
  put32(segments, 0);
  return pdf_of_page_image("/BitsPerComponent 1 /Filter /JBIG2Decode",
                           std::string(segments.begin(), segments.end()));
}

// One page drawing a grey image of 30000 x 30000 pixels, a few hundred KB of Flate data.
Bytes pdf_of_huge_flate_image() {
  constexpr std::size_t kSide = 30000;
  std::vector<unsigned char> row(kSide + 1, 0);
  z_stream z{};
  deflateInit(&z, 9);
  std::string compressed;
  unsigned char out[1 << 16];
  for (std::size_t y = 0; y <= kSide; ++y) {
    z.next_in = row.data();
    z.avail_in = y < kSide ? static_cast<uInt>(kSide) : 0;
    const int flush = y < kSide ? Z_NO_FLUSH : Z_FINISH;
    do {
      z.next_out = out;
      z.avail_out = sizeof out;
      deflate(&z, flush);
      compressed.append(reinterpret_cast<char*>(out), sizeof out - z.avail_out);
    } while (z.avail_out == 0);
  }
  deflateEnd(&z);
  return pdf_of_page_image("/BitsPerComponent 8 /Filter /FlateDecode", compressed);
}

// A blank progressive JPEG of 8000 x 8000 pixels whose last scan, a refinement of every
// coefficient, is repeated until the file has 5000 scans: about 600 KB.
Bytes progressive_jpeg_of_many_scans() {
  constexpr int kSide = 8000;
  constexpr int kScans = 5000;
  const std::vector<unsigned char> blank(static_cast<std::size_t>(kSide) * kSide, 255);
  const std::unique_ptr<void, int (*)(tjhandle)> encoder(tjInitCompress(), tjDestroy);
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  if (tjCompress2(encoder.get(), blank.data(), kSide, 0, kSide, TJPF_GRAY, &jpeg, &size, TJSAMP_GRAY, 75,
                  TJFLAG_PROGRESSIVE) != 0) {
    ADD_FAILURE() << tjGetErrorStr2(encoder.get());
    return {};
  }
  const Bytes written(jpeg, jpeg + size);
  tjFree(jpeg);
  std::size_t last = 0;
  int scans = 0;
  for (std::size_t i = 2; i + 1 < written.size(); ++i) {
    if (written[i] == 0xFF && written[i + 1] == 0xDA) {
      last = i;
      ++scans;
    }
  }
  const std::size_t end = written.size() - 2;  // the end of image marker
  Bytes file(written.begin(), written.begin() + static_cast<std::ptrdiff_t>(end));
  for (int i = scans; i < kScans; ++i) {
    file.insert(file.end(), written.begin() + static_cast<std::ptrdiff_t>(last),
                written.begin() + static_cast<std::ptrdiff_t>(end));
  }
  file.insert(file.end(), {0xFF, 0xD9});
  return file;
}

}  // namespace

const Bytes& pdf_of_huge_image(bool jbig2) {
  static const Bytes jbig2Pdf = pdf_of_huge_jbig2_image();
  static const Bytes flatePdf = pdf_of_huge_flate_image();
  return jbig2 ? jbig2Pdf : flatePdf;
}

const Bytes& jpeg_of_many_scans() {
  static const Bytes jpeg = progressive_jpeg_of_many_scans();
  return jpeg;
}

Bytes pdf_of_nested_forms() {
  std::vector<std::string> objects = {
      "<< /Type /Catalog /Pages 2 0 R >>",
      "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R /Resources << /XObject << /F 5 0 R >> >> >>",
      stream("", "/F Do"),
  };
  constexpr int kLevels = 6;
  for (int level = 0; level < kLevels; ++level) {
    std::string content;
    if (level + 1 < kLevels) {
      for (int i = 0; i < 20; ++i) content += "/F Do\n";
    } else {
      content = "0 0 595 842 re f";
    }
    const std::string resources =
        level + 1 < kLevels ? " /Resources << /XObject << /F " + std::to_string(6 + level) + " 0 R >> >>" : "";
    objects.push_back(stream("/Type /XObject /Subtype /Form /BBox [0 0 595 842]" + resources, content));
  }
  return pdf_of_objects(objects);
}

std::string memory_line(const Hostile& file) {
  return std::string(file.line) + (file.page != 0 ? "page " + std::to_string(file.page) : "");
}

std::string file_line(const Hostile& file, const std::string& path) {
  if (file.toolLine != nullptr) return file.toolLine;
  return std::string(file.line) + path + (file.page != 0 ? ", page " + std::to_string(file.page) : "");
}

std::vector<Hostile> hostile_files() {
  static constexpr const char* kUnknown =
      "ERROR_ILLEGAL_ARGUMENT: Unknown file format, expected PNG, JPEG, PDF, TIFF, WebP, HEIC or BMP.  ";
  // tolvexdecode keeps its line for a file of no known format, without the file.
  static constexpr const char* kToolUnknown = "ERROR_ILLEGAL_ARGUMENT: Unknown file format, expected PNG, JPEG or PDF.  ";
  const Bytes png = test::png_of(test::plain_code("SHORT", 4).get());
  const std::string garbage = "%PDF-1.7\n1 0 obj << /Type /Catalog /Pages 9 0 R >> endobj\ntrailer\n";
  return {
      {"PNG of 100000 x 100000 pixels", png_claiming(100000, 100000), ERROR_ILLEGAL_ARGUMENT,
       "ERROR_ILLEGAL_ARGUMENT: Picture too large.  "},
      {"PNG of 8001 x 8000 pixels", png_claiming(8001, 8000), ERROR_ILLEGAL_ARGUMENT,
       "ERROR_ILLEGAL_ARGUMENT: Picture too large.  "},
      {"PNG a pixel high and 70000 wide", png_claiming(70000, 1), ERROR_ILLEGAL_ARGUMENT,
       "ERROR_ILLEGAL_ARGUMENT: Picture too large.  "},
      {"JPEG of 65000 x 65000 pixels", jpeg_claiming(65000, 65000), ERROR_ILLEGAL_ARGUMENT,
       "ERROR_ILLEGAL_ARGUMENT: Picture too large.  "},
      {"PDF of 10000 pages", test::blank_pdf(10000, 595, 842), ERROR_ILLEGAL_ARGUMENT,
       "ERROR_ILLEGAL_ARGUMENT: Too many PDF pages.  "},
      {"PDF of 101 pages", test::blank_pdf(101, 595, 842), ERROR_ILLEGAL_ARGUMENT,
       "ERROR_ILLEGAL_ARGUMENT: Too many PDF pages.  "},
      {"PDF page of 5 x 5 metres", test::blank_pdf(1, 14173, 14173), ERROR_ILLEGAL_ARGUMENT,
       "ERROR_ILLEGAL_ARGUMENT: PDF page too large.  ", 1},
      {"TIFF of 100000 x 100000 pixels", tiff_claiming(100000, 100000, 1), ERROR_ILLEGAL_ARGUMENT,
       "ERROR_ILLEGAL_ARGUMENT: Picture too large.  ", 1},
      {"TIFF of 101 pages", tiff_claiming(1, 1, 101), ERROR_ILLEGAL_ARGUMENT,
       "ERROR_ILLEGAL_ARGUMENT: Too many TIFF pages.  "},
      {"TIFF of 100 pages, the first 8001 x 8000", tiff_claiming(8001, 8000, 100), ERROR_ILLEGAL_ARGUMENT,
       "ERROR_ILLEGAL_ARGUMENT: Picture too large.  ", 1},
      {"BMP of 100000 x 100000 pixels", bmp_claiming(100000, 100000), ERROR_ILLEGAL_ARGUMENT,
       "ERROR_ILLEGAL_ARGUMENT: Picture too large.  "},
      {"BMP of 100000 x 100000 pixels top-down", bmp_claiming(100000, -100000), ERROR_ILLEGAL_ARGUMENT,
       "ERROR_ILLEGAL_ARGUMENT: Picture too large.  "},
      {"BMP of the most negative height", bmp_claiming(10, INT32_MIN), ERROR_ILLEGAL_ARGUMENT,
       "ERROR_ILLEGAL_ARGUMENT: Picture too large.  "},
      {"BMP with a header of 2 GB", bmp_claiming(10, 10, 0x7FFFFFF0), ERROR_IO, "ERROR_IO: Cannot read BMP picture.  "},
      {"BMP of 10 x 10 pixels and no pixel data", bmp_claiming(10, 10), ERROR_IO,
       "ERROR_IO: Cannot read BMP picture.  "},
      {"BMP holding a JPEG", bmp_claiming(10, 10, 40, 4), ERROR_ILLEGAL_ARGUMENT,
       "ERROR_ILLEGAL_ARGUMENT: BMP picture of a kind not read (compression or depth).  "},
      {"WebP of 16384 x 16384 pixels", webp_of_largest_size(), ERROR_ILLEGAL_ARGUMENT,
       "ERROR_ILLEGAL_ARGUMENT: Picture too large.  "},
      {"PDF of one JBIG2 image of 30000 x 30000 pixels", pdf_of_huge_image(true), ERROR_ILLEGAL_ARGUMENT,
       "ERROR_ILLEGAL_ARGUMENT: PDF image too large.  "},
      {"PDF of one Flate image of 30000 x 30000 pixels", pdf_of_huge_image(false), ERROR_ILLEGAL_ARGUMENT,
       "ERROR_ILLEGAL_ARGUMENT: PDF image too large.  "},
      {"progressive JPEG of 5000 scans over 8000 x 8000 pixels", jpeg_of_many_scans(), ERROR_ILLEGAL_ARGUMENT,
       "ERROR_ILLEGAL_ARGUMENT: Too many JPEG scans.  "},
      {"PNG cut short", Bytes(png.begin(), png.begin() + 60), ERROR_IO,
       "ERROR_IO: Cannot read PNG picture.  "},
      {"JPEG header alone", Bytes{0xFF, 0xD8, 0xFF, 0xE0}, ERROR_IO, "ERROR_IO: Cannot read JPEG picture.  "},
      {"PDF without pages", Bytes(garbage.begin(), garbage.end()), ERROR_IO,
       "ERROR_IO: Cannot read PDF document.  "},
      {"GIF", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}, ERROR_ILLEGAL_ARGUMENT, kUnknown, 0, kToolUnknown},
      {"empty file", Bytes{}, ERROR_ILLEGAL_ARGUMENT, kUnknown, 0, kToolUnknown},
  };
}

}  // namespace tolvex::test
