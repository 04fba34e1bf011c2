#include "image/picture_output.h"

#include "base/messages.h"
#include "image/output_file.h"

namespace tolvex {
namespace {

ErrorCode report_file_status(cairo_status_t status) {
  if (status == CAIRO_STATUS_SUCCESS) return ERROR_OK;
  if (status == CAIRO_STATUS_NO_MEMORY) return report(messages::kNotEnoughMemory);
  return report(messages::kCannotWriteImageToOutputFile);
}

}  // namespace

ErrorCode write_picture_file(const Picture& picture, ImageFormat format, const char* fileName) {
  if (fileName == nullptr || *fileName == '\0') return report_file_status(CAIRO_STATUS_WRITE_ERROR);
  std::vector<std::uint8_t> bytes;
  if (const cairo_status_t status = picture_encode(picture, format, &bytes); status != CAIRO_STATUS_SUCCESS)
    return report_file_status(status);
  return report_file_status(write_file_atomically(fileName, bytes) ? CAIRO_STATUS_SUCCESS
                                                                   : CAIRO_STATUS_WRITE_ERROR);
}

ErrorCode write_picture_memory(const Picture& picture, ImageFormat format, std::vector<std::uint8_t>* bytes) {
  if (bytes == nullptr) {
    static constexpr const Message* kMessages[] = {&messages::kPngBufferPointerCannotBeNull,
                                                   &messages::kSvgBufferPointerCannotBeNull,
                                                   &messages::kPdfBufferPointerCannotBeNull};
    return report(*kMessages[image_format_valid(format) ? static_cast<int>(format) : 0]);
  }
  std::vector<std::uint8_t> encoded;
  const cairo_status_t status = picture_encode(picture, format, &encoded);
  if (status == CAIRO_STATUS_NO_MEMORY) return report(messages::kNotEnoughMemory);
  if (status != CAIRO_STATUS_SUCCESS) return report(messages::kCannotWriteImage);
  *bytes = std::move(encoded);
  return ERROR_OK;
}

}  // namespace tolvex
