#include "image/png_memory.h"

#include "base/memory_stream.h"
#include "image/cairo_ptr.h"
#include "image/logo_compose.h"
#include "image/render.h"

namespace tolvex {
namespace {

ErrorCode encode_png(const SurfacePtr& surface, std::vector<std::uint8_t>* png) {
  if (png == nullptr) return set_error_message(ERROR_NULL_POINTER, "PNG buffer pointer cannot be NULL. ");
  MemoryStream stream;
  const cairo_status_t status = cairo_surface_write_to_png_stream(surface.get(), png_stream_append, &stream);
  if (status == CAIRO_STATUS_NO_MEMORY) return set_error_message(ERROR_IO, "Not enough memory. ");
  if (status != CAIRO_STATUS_SUCCESS) return set_error_message(ERROR_IO, "Cannot write image. ");
  stream.rewind();
  png->resize(stream.size());
  stream.read(png->data(), png->size());
  return ERROR_OK;
}

}  // namespace

cairo_status_t png_stream_append(void* closure, const unsigned char* data, unsigned int length) {
  auto& stream = *static_cast<MemoryStream*>(closure);
  if (length > 0 && memory_stream_write(stream, data, length) != length) return CAIRO_STATUS_WRITE_ERROR;
  return CAIRO_STATUS_SUCCESS;
}

ErrorCode qr_write_png_memory(const char* text, std::int32_t pixelSize, std::vector<std::uint8_t>* png) {
  SurfacePtr surface;
  if (const ErrorCode code = qr_render_surface(text, pixelSize, &surface)) return code;
  return encode_png(surface, png);
}

ErrorCode qr_logo_write_png_memory(const char* text, LogoRotation rotation, LogoVariation variation,
                                   bool frame, const char* logoDirectory, std::vector<std::uint8_t>* png) {
  SurfacePtr surface;
  if (const ErrorCode code =
          qr_logo_render_surface(text, rotation, variation, frame, logoDirectory, &surface)) {
    return code;
  }
  return encode_png(surface, png);
}

}  // namespace tolvex
