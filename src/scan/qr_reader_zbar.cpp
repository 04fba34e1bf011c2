#include <zbar.h>

#include <memory>

#include "scan/qr_readers.h"

namespace tolvex {
namespace {

using namespace zbar;

struct ZbarScannerDeleter {
  void operator()(zbar_image_scanner_t* scanner) const { zbar_image_scanner_destroy(scanner); }
};
struct ZbarImageDeleter {
  void operator()(zbar_image_t* image) const { zbar_image_destroy(image); }
};

}  // namespace

std::vector<std::string> zbar_read_texts(const GrayImage& picture) {
  if (picture.width == 0 || picture.height == 0) return {};
  const std::unique_ptr<zbar_image_scanner_t, ZbarScannerDeleter> scanner(zbar_image_scanner_create());
  const std::unique_ptr<zbar_image_t, ZbarImageDeleter> image(zbar_image_create());
  if (!scanner || !image) return {};
  zbar_image_scanner_set_config(scanner.get(), ZBAR_NONE, ZBAR_CFG_ENABLE, 0);
  zbar_image_scanner_set_config(scanner.get(), ZBAR_QRCODE, ZBAR_CFG_ENABLE, 1);
  zbar_image_set_format(image.get(), zbar_fourcc('Y', '8', '0', '0'));
  zbar_image_set_size(image.get(), static_cast<unsigned>(picture.width),
                      static_cast<unsigned>(picture.height));
  // zbar only reads the pixels; the image is destroyed before the picture.
  zbar_image_set_data(image.get(), picture.pixels.data(), picture.pixels.size(), nullptr);
  std::vector<std::string> texts;
  if (zbar_scan_image(scanner.get(), image.get()) <= 0) return texts;
  for (const zbar_symbol_t* symbol = zbar_image_first_symbol(image.get()); symbol != nullptr;
       symbol = zbar_symbol_next(symbol)) {
    texts.emplace_back(zbar_symbol_get_data(symbol), zbar_symbol_get_data_length(symbol));
  }
  return texts;
}

}  // namespace tolvex
