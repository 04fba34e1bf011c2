#include "scan/hostile_files.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "codec/checksum.h"
#include "scan/pictures.h"

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


}  // namespace

std::vector<Hostile> hostile_files() {
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
       "ERROR_ILLEGAL_ARGUMENT: PDF page too large.  "},
      {"PNG cut short", Bytes(png.begin(), png.begin() + 60), ERROR_IO,
       "ERROR_IO: Cannot read PNG picture.  "},
      {"JPEG header alone", Bytes{0xFF, 0xD8, 0xFF, 0xE0}, ERROR_IO, "ERROR_IO: Cannot read JPEG picture.  "},
      {"PDF without pages", Bytes(garbage.begin(), garbage.end()), ERROR_IO,
       "ERROR_IO: Cannot read PDF document.  "},
      {"GIF", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}, ERROR_ILLEGAL_ARGUMENT,
       "ERROR_ILLEGAL_ARGUMENT: Unknown file format, expected PNG, JPEG or PDF.  "},
      {"empty file", Bytes{}, ERROR_ILLEGAL_ARGUMENT,
       "ERROR_ILLEGAL_ARGUMENT: Unknown file format, expected PNG, JPEG or PDF.  "},
  };
}

}  // namespace tolvex::test
