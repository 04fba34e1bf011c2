// Reads QR codes back from PNG files with two independent decoders, zbarimg and ZXingReader,
// for round-trip tests of the pictures this project writes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvex::test {

// The content of the QR code in the PNG file as the raw bytes of its segments (kanji stay
// Shift JIS), or nullopt when the decoder finds no code.
std::optional<std::string> zbar_decode(const std::string& pngPath);
std::optional<std::string> zxing_decode(const std::string& pngPath);

// The content as UTF-8 text in the decoder's reading of the character set: kanji segments
// become their UTF-8 characters. zxing_decode_text reads a single line of text.
std::optional<std::string> zbar_decode_text(const std::string& pngPath);
std::optional<std::string> zxing_decode_text(const std::string& pngPath);

// zbar_decode_text for many files in one run of zbarimg: the first symbol of each file.
std::vector<std::optional<std::string>> zbar_decode_texts(const std::vector<std::string>& pngPaths);

// cairo numbers the surfaces and images of an SVG from counters of the whole process, so two
// SVGs of one picture differ in those numbers only: they become N here.
std::string without_cairo_ids(std::string_view content);

}  // namespace tolvex::test
