#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>

#include "scan/qr_readers.h"

namespace tolvex {

std::vector<std::string> zxing_read_texts(const GrayImage& picture) {
  if (picture.width == 0 || picture.height == 0) return {};
  const ZXing::ImageView view(picture.pixels.data(), picture.width, picture.height, ZXing::ImageFormat::Lum);
  const auto hints = ZXing::DecodeHints()
                         .setFormats(ZXing::BarcodeFormat::QRCode)
                         .setTryHarder(true)
                         .setTryRotate(true)
                         .setTryDownscale(true);
  std::vector<std::string> texts;
  for (const ZXing::Result& result : ZXing::ReadBarcodes(view, hints)) {
    if (result.isValid()) texts.push_back(result.text());
  }
  return texts;
}

}  // namespace tolvex
