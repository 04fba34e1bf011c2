// The picture entries that take positional options and the thread's render settings, kept until
// 2.0 with their behaviour: a null text is drawn as the empty text, and with a logo fails as
// reading the header of a null text does.
#include "image/logo_compose.h"
#include "image/picture_output.h"
#include "picture/text_picture.h"
#include "tolvex/header.hpp"

namespace tolvex {
namespace {

PictureOptions plain(std::int32_t pixelSize) { return {.size = pixelSize}; }

// The logo directory was always put in front of the file name as written.
ErrorCode logo_picture(const char* text, LogoRotation rotation, LogoVariation variation, bool frame,
                       const char* logoDirectory, Picture* picture) {
  if (text == nullptr) return read_header(nullptr, 0, nullptr);
  const std::string_view prefix = logoDirectory != nullptr ? logoDirectory : "";
  DocumentHeader header;
  if (const ErrorCode code = read_header(text, std::char_traits<char>::length(text), &header)) return code;
  return qr_logo_picture(text, header.family(), rotation, variation, frame, prefix, picture);
}

ErrorCode plain_picture(const char* text, std::int32_t pixelSize, Picture* picture) {
  return text_picture(text != nullptr ? std::string_view(text) : std::string_view(), plain(pixelSize), picture);
}

}  // namespace

ErrorCode qr_write_file(const char* text, std::int32_t pixelSize, ImageFormat format, const char* fileName) {
  Picture picture;
  if (const ErrorCode code = plain_picture(text, pixelSize, &picture)) return code;
  return write_picture_file(picture, format, fileName);
}

ErrorCode qr_write_memory(const char* text, std::int32_t pixelSize, ImageFormat format,
                          std::vector<std::uint8_t>* bytes) {
  Picture picture;
  if (const ErrorCode code = plain_picture(text, pixelSize, &picture)) return code;
  return write_picture_memory(picture, format, bytes);
}

ErrorCode qr_logo_write_file(const char* text, LogoRotation rotation, LogoVariation variation, bool frame,
                             const char* logoDirectory, ImageFormat format, const char* fileName) {
  Picture picture;
  if (const ErrorCode code = logo_picture(text, rotation, variation, frame, logoDirectory, &picture)) return code;
  return write_picture_file(picture, format, fileName);
}

ErrorCode qr_logo_write_memory(const char* text, LogoRotation rotation, LogoVariation variation, bool frame,
                               const char* logoDirectory, ImageFormat format,
                               std::vector<std::uint8_t>* bytes) {
  Picture picture;
  if (const ErrorCode code = logo_picture(text, rotation, variation, frame, logoDirectory, &picture)) return code;
  return write_picture_memory(picture, format, bytes);
}

ErrorCode qr_write_png_file(const char* text, std::int32_t pixelSize, const char* fileName) {
  Picture picture;
  if (const ErrorCode code = plain_picture(text, pixelSize, &picture)) return code;
  return write_picture_file(picture, ImageFormat::png, fileName);
}

ErrorCode qr_write_png_memory(const char* text, std::int32_t pixelSize, std::vector<std::uint8_t>* png) {
  Picture picture;
  if (const ErrorCode code = plain_picture(text, pixelSize, &picture)) return code;
  return write_picture_memory(picture, ImageFormat::png, png);
}

ErrorCode qr_logo_write_png_file(const char* text, LogoRotation rotation, LogoVariation variation, bool frame,
                                 const char* logoDirectory, const char* fileName) {
  Picture picture;
  if (const ErrorCode code = logo_picture(text, rotation, variation, frame, logoDirectory, &picture)) return code;
  return write_picture_file(picture, ImageFormat::png, fileName);
}

ErrorCode qr_logo_write_png_memory(const char* text, LogoRotation rotation, LogoVariation variation, bool frame,
                                   const char* logoDirectory, std::vector<std::uint8_t>* png) {
  Picture picture;
  if (const ErrorCode code = logo_picture(text, rotation, variation, frame, logoDirectory, &picture)) return code;
  return write_picture_memory(picture, ImageFormat::png, png);
}

}  // namespace tolvex
