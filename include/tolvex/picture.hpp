// The QR code of a text as a picture, in one call: plain or composed into the logo picture of
// the text's family, as a PNG, SVG or PDF file or the bytes of one.
//
//   auto png = tolvex::render(text, {.logo = tolvex::LogoOptions{.directory = "logo/"}});
//   auto written = tolvex::write_picture(text, "code.pdf", {.format = tolvex::ImageFormat::pdf});
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "tolvex/error.hpp"
#include "tolvex/picture_options.hpp"
#include "tolvex/result.hpp"

namespace tolvex {

// The complete file of the text's picture. Level L, the smallest version. A text no code holds
// is Errc::qr; a plain side above kLargestImageSize Errc::illegal_argument; with a logo, a text
// whose header cannot be read fails as reading the header does, and a missing or unreadable logo
// picture is Errc::missing_logo.
[[nodiscard]] Result<std::vector<std::uint8_t>> render(std::string_view text, const PictureOptions& options = {});

// render, written as a file that is replaced only once complete. A file that cannot be made or
// written is Errc::io.
[[nodiscard]] Result<void> write_picture(std::string_view text, const std::filesystem::path& file,
                                         const PictureOptions& options = {});

// The older entries: NUL-terminated texts, positional options, out-parameters, and the calling
// thread's render settings (render_set_background, render_set_format). Removed at 2.0.
TOLVEX_DEPRECATED("tolvex::write_picture") [[nodiscard]] ErrorCode qr_write_file(const char* text,
                                                                               std::int32_t pixelSize,
                                                                               ImageFormat format,
                                                                               const char* fileName);
TOLVEX_DEPRECATED("tolvex::render") [[nodiscard]] ErrorCode qr_write_memory(const char* text, std::int32_t pixelSize,
                                                                          ImageFormat format,
                                                                          std::vector<std::uint8_t>* bytes);
TOLVEX_DEPRECATED("tolvex::write_picture with PictureOptions::logo") [[nodiscard]] ErrorCode qr_logo_write_file(
    const char* text, LogoRotation rotation, LogoVariation variation, bool frame, const char* logoDirectory,
    ImageFormat format, const char* fileName);
TOLVEX_DEPRECATED("tolvex::render with PictureOptions::logo") [[nodiscard]] ErrorCode qr_logo_write_memory(
    const char* text, LogoRotation rotation, LogoVariation variation, bool frame, const char* logoDirectory,
    ImageFormat format, std::vector<std::uint8_t>* bytes);
TOLVEX_DEPRECATED("tolvex::write_picture") [[nodiscard]] ErrorCode qr_write_png_file(const char* text,
                                                                                   std::int32_t pixelSize,
                                                                                   const char* fileName);
TOLVEX_DEPRECATED("tolvex::render") [[nodiscard]] ErrorCode qr_write_png_memory(const char* text,
                                                                              std::int32_t pixelSize,
                                                                              std::vector<std::uint8_t>* png);
TOLVEX_DEPRECATED("tolvex::write_picture with PictureOptions::logo") [[nodiscard]] ErrorCode qr_logo_write_png_file(
    const char* text, LogoRotation rotation, LogoVariation variation, bool frame, const char* logoDirectory,
    const char* fileName);
TOLVEX_DEPRECATED("tolvex::render with PictureOptions::logo") [[nodiscard]] ErrorCode qr_logo_write_png_memory(
    const char* text, LogoRotation rotation, LogoVariation variation, bool frame, const char* logoDirectory,
    std::vector<std::uint8_t>* png);

}  // namespace tolvex
