// WebP (the web's pictures) and HEIF/HEIC (phones' photographs) into luminance.
#include <libheif/heif.h>
#include <webp/decode.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#include "base/messages.h"
#include "scan/picture_load.h"
#include "scan/scan_limits.h"

namespace tolvex {
namespace {

// WebP's luma is of limited range (16 to 235); the readers expect black at 0 and white at 255.
std::uint8_t full_range(unsigned luma) {
  const int value = (static_cast<int>(luma) - 16) * 255 / 219;
  return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

struct HeifContextDeleter {
  void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HeifHandleDeleter {
  void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct HeifImageDeleter {
  void operator()(heif_image* image) const { heif_image_release(image); }
};
struct HeifOptionsDeleter {
  void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};

// libheif loads its decoder plugins once; the count it keeps is never released, so that they stay.
void heif_start() {
  static std::once_flag once;
  std::call_once(once, [] { heif_init(nullptr); });
}

}  // namespace

void prepare_picture_decoders() { heif_start(); }

ErrorCode load_webp(const std::uint8_t* bytes, std::size_t size, GrayImage* image) {
  WebPDecoderConfig config;
  if (WebPInitDecoderConfig(&config) == 0) return report(messages::kCannotReadWebpPicture);
  if (WebPGetFeatures(bytes, size, &config.input) != VP8_STATUS_OK) return report(messages::kCannotReadWebpPicture);
  const int width = config.input.width;
  const int height = config.input.height;
  if (const ErrorCode code = check_picture_size(width, height)) return code;
  // Luma, chroma and alpha planes into our own buffers; the chroma is decoded and not looked at.
  const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  const int chromaWidth = (width + 1) / 2;
  const std::size_t chroma = static_cast<std::size_t>(chromaWidth) * static_cast<std::size_t>((height + 1) / 2);
  std::vector<std::uint8_t> luma(pixels);
  std::vector<std::uint8_t> blue(chroma);
  std::vector<std::uint8_t> red(chroma);
  std::vector<std::uint8_t> alpha(pixels, 255);
  WebPYUVABuffer& planes = config.output.u.YUVA;
  config.output.colorspace = MODE_YUVA;
  config.output.is_external_memory = 1;
  planes = {luma.data(), blue.data(), red.data(), alpha.data(), width, chromaWidth, chromaWidth, width,
            luma.size(), blue.size(), red.size(), alpha.size()};
  const VP8StatusCode status = WebPDecode(bytes, size, &config);
  WebPFreeDecBuffer(&config.output);
  if (status != VP8_STATUS_OK) return report(messages::kCannotReadWebpPicture);
  GrayImage result;
  result.width = width;
  result.height = height;
  result.pixels.resize(pixels);
  for (std::size_t i = 0; i < pixels; ++i) {
    // Over white paper: what is transparent shows white.
    const unsigned opaque = alpha[i];
    result.pixels[i] = static_cast<std::uint8_t>((full_range(luma[i]) * opaque + 255 * (255 - opaque) + 127) / 255);
  }
  *image = std::move(result);
  return ERROR_OK;
}

ErrorCode load_heic(const std::uint8_t* bytes, std::size_t size, GrayImage* image) {
  heif_start();
  const std::unique_ptr<heif_context, HeifContextDeleter> context(heif_context_alloc());
  if (!context) return report(messages::kNotEnoughMemory);
  heif_context_set_maximum_image_size_limit(context.get(), kScanMaxPictureSide);
  // Decoding in the calling thread: the reading worker may start no threads.
  heif_context_set_max_decoding_threads(context.get(), 0);
  if (heif_context_read_from_memory_without_copy(context.get(), bytes, size, nullptr).code != heif_error_Ok) {
    return report(messages::kCannotReadHeicPicture);
  }
  heif_image_handle* rawHandle = nullptr;
  if (heif_context_get_primary_image_handle(context.get(), &rawHandle).code != heif_error_Ok) {
    return report(messages::kCannotReadHeicPicture);
  }
  const std::unique_ptr<heif_image_handle, HeifHandleDeleter> handle(rawHandle);
  // The size as shown, after the rotation the file asks for.
  if (const ErrorCode code = check_picture_size(heif_image_handle_get_width(handle.get()),
                                                heif_image_handle_get_height(handle.get()))) {
    return code;
  }
  const std::unique_ptr<heif_decoding_options, HeifOptionsDeleter> options(heif_decoding_options_alloc());
  if (!options) return report(messages::kNotEnoughMemory);
  // Decoded as coded: HEVC gives YCbCr, whose luma is the picture's luminance; a picture coded
  // as RGB is asked for again as interleaved RGB.
  heif_image* rawImage = nullptr;
  heif_error decoded =
      heif_decode_image(handle.get(), &rawImage, heif_colorspace_undefined, heif_chroma_undefined, options.get());
  std::unique_ptr<heif_image, HeifImageDeleter> decodedImage(rawImage);
  if (decoded.code == heif_error_Ok && decodedImage &&
      heif_image_get_colorspace(decodedImage.get()) == heif_colorspace_RGB) {
    rawImage = nullptr;
    decoded = heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB, heif_chroma_interleaved_RGB,
                                options.get());
    decodedImage.reset(rawImage);
  }
  if (decoded.code == heif_error_Unsupported_feature && decoded.subcode == heif_suberror_Unsupported_codec) {
    return report(messages::kHeicDecoderMissing);
  }
  if (decoded.code != heif_error_Ok || !decodedImage) return report(messages::kCannotReadHeicPicture);
  const bool rgb = heif_image_get_colorspace(decodedImage.get()) == heif_colorspace_RGB;
  const heif_channel channel = rgb ? heif_channel_interleaved : heif_channel_Y;
  const int width = heif_image_get_width(decodedImage.get(), channel);
  const int height = heif_image_get_height(decodedImage.get(), channel);
  if (const ErrorCode code = check_picture_size(width, height)) return code;
  if (heif_image_get_bits_per_pixel_range(decodedImage.get(), channel) != 8) {
    return report(messages::kCannotReadHeicPicture);
  }
  int stride = 0;
  const std::uint8_t* plane = heif_image_get_plane_readonly(decodedImage.get(), channel, &stride);
  if (plane == nullptr || stride < (rgb ? 3 : 1) * width) return report(messages::kCannotReadHeicPicture);
  GrayImage result;
  result.width = width;
  result.height = height;
  result.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = plane + static_cast<std::ptrdiff_t>(y) * stride;
    std::uint8_t* out = result.pixels.data() + static_cast<std::ptrdiff_t>(y) * width;
    for (int x = 0; x < width; ++x) out[x] = rgb ? gray_luminance(row[3 * x], row[3 * x + 1], row[3 * x + 2]) : row[x];
  }
  *image = std::move(result);
  return ERROR_OK;
}

}  // namespace tolvex
