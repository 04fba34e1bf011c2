// Finding and reading the QR codes of one picture: a few cheap attempts in a fixed order, each
// a barcode reader on the picture or on a variant of it, stopping after the first attempt that
// finds a code the caller wants.
#pragma once

#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "scan/gray_image.h"

namespace tolvex {

enum class QrAttempt {
  zxing,           // zxing-cpp trying hard, in four rotations, with its local-average binariser
  zxing_inverted,  // the same on the inverted picture: light modules on a dark ground
  zxing_enlarged,  // zxing-cpp at twice the size, for pictures of one or two pixels a module
  zxing_enlarged_inverted,
  zbar,         // libzbar, whose finder succeeds on some pictures where zxing-cpp's fails
  straightened  // zxing-cpp on each symbol found by its finder patterns and resampled upright
};

inline constexpr std::array<QrAttempt, 6> kQrAttempts = {
    QrAttempt::zxing,  QrAttempt::zxing_inverted, QrAttempt::zxing_enlarged, QrAttempt::zxing_enlarged_inverted,
    QrAttempt::zbar,   QrAttempt::straightened};

[[nodiscard]] std::string_view qr_attempt_name(QrAttempt attempt);

// The texts of the QR codes one attempt reads, in the order its reader reports them.
[[nodiscard]] std::vector<std::string> qr_read_attempt(const GrayImage& picture, QrAttempt attempt);

// Runs the attempts in order and gathers the texts they read, each text once, until an attempt
// has read a text for which wanted is true.
[[nodiscard]] std::vector<std::string> qr_read_texts(const GrayImage& picture,
                                                     const std::function<bool(const std::string&)>& wanted,
                                                     std::span<const QrAttempt> attempts = kQrAttempts);

// The cheap attempts, for pictures that are most likely clean (an image embedded in a PDF
// page): what they miss, the whole list finds on the rendered page.
inline constexpr std::array<QrAttempt, 2> kQrCleanAttempts = {QrAttempt::zxing, QrAttempt::zxing_enlarged};

}  // namespace tolvex
