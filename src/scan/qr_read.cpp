#include "scan/qr_read.h"

#include <algorithm>

#include "scan/qr_readers.h"
#include "scan/qr_straighten.h"

namespace tolvex {
namespace {

// Enlarging a picture whose shorter side reaches this is not needed: its modules are large
// enough already. Nor is a picture enlarged past a few megapixels, which a long strip would be.
// Twice the size read more degraded pictures than three or four times (scan_variant_sweep).
constexpr int kEnlargeBelowSide = 400;
constexpr int kEnlargeFactor = 2;
constexpr long kEnlargedMaxPixels = 4'000'000;

bool worth_enlarging(const GrayImage& picture) {
  return std::min(picture.width, picture.height) < kEnlargeBelowSide &&
         static_cast<long>(picture.width) * picture.height * kEnlargeFactor * kEnlargeFactor <=
             kEnlargedMaxPixels;
}

}  // namespace

std::string_view qr_attempt_name(QrAttempt attempt) {
  switch (attempt) {
    case QrAttempt::zxing:
      return "zxing";
    case QrAttempt::zxing_inverted:
      return "zxing inverted";
    case QrAttempt::zxing_enlarged:
      return "zxing enlarged";
    case QrAttempt::zxing_enlarged_inverted:
      return "zxing enlarged inverted";
    case QrAttempt::zbar:
      return "zbar";
    case QrAttempt::straightened:
      return "straightened";
  }
  return "";
}

std::vector<std::string> qr_read_attempt(const GrayImage& picture, QrAttempt attempt) {
  switch (attempt) {
    case QrAttempt::zxing:
      return zxing_read_texts(picture);
    case QrAttempt::zxing_inverted:
      return zxing_read_texts(gray_inverted(picture));
    case QrAttempt::zxing_enlarged:
      return worth_enlarging(picture) ? zxing_read_texts(gray_enlarged(picture, kEnlargeFactor))
                                      : std::vector<std::string>{};
    case QrAttempt::zxing_enlarged_inverted:
      return worth_enlarging(picture)
                 ? zxing_read_texts(gray_inverted(gray_enlarged(picture, kEnlargeFactor)))
                 : std::vector<std::string>{};
    case QrAttempt::zbar:
      return zbar_read_texts(picture);
    case QrAttempt::straightened: {
      std::vector<std::string> texts;
      for (const GrayImage& upright : qr_straightened(picture)) {
        for (std::string& text : zxing_read_texts(upright)) texts.push_back(std::move(text));
      }
      return texts;
    }
  }
  return {};
}

std::vector<std::string> qr_read_texts(const GrayImage& picture,
                                       const std::function<bool(const std::string&)>& wanted,
                                       std::span<const QrAttempt> attempts) {
  std::vector<std::string> texts;
  for (const QrAttempt attempt : attempts) {
    bool found = false;
    for (std::string& text : qr_read_attempt(picture, attempt)) {
      found = found || wanted(text);
      if (std::find(texts.begin(), texts.end(), text) == texts.end()) texts.push_back(std::move(text));
    }
    if (found) break;
  }
  return texts;
}

}  // namespace tolvex
