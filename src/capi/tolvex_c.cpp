// The C interface of pictures, scanning and the per-thread settings.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/messages.h"
#include "capi/c_boundary.h"
#include "codec/field_buffer.h"
#include "image/logo_cache.h"
#include "image/picture.h"
#include "tolvex/picture.hpp"
#include "image/render.h"
#include "tolvex/decode.hpp"
#include "tolvex/encode.hpp"
#include "tolvex/stamp.hpp"
#include "tolvex/summary.hpp"
#if TOLVEX_READERS
#include "tolvex/scan.hpp"
#endif
#include "tolvex/tolvex.h"

namespace {

using tolvex::ErrorCode;
using tolvex::capi::guarded;
using tolvex::capi::guarded_void;
using tolvex::capi::hand_out_bytes;
using tolvex::capi::hand_out_text;

#if TOLVEX_READERS
ErrorCode hand_out_codes(const std::vector<tolvex::ScannedCode>& found, tolvex_scanned_code** codes,
                         std::size_t* count) {
  tolvex_scanned_code* array = nullptr;
  if (!found.empty()) {
    // calloc: every text pointer starts as NULL, so a failure halfway frees what was made.
    array = static_cast<tolvex_scanned_code*>(std::calloc(found.size(), sizeof(tolvex_scanned_code)));
    if (array == nullptr) return tolvex::report(tolvex::messages::kNotEnoughMemory);
  }
  for (std::size_t i = 0; i < found.size(); ++i) {
    const tolvex::ScannedCode& code = found[i];
    tolvex_scanned_code& out = array[i];
    out.page = code.page;
    out.tolvex = code.tolvex ? 1 : 0;
    out.status = code.code;
    ErrorCode failed = hand_out_text(code.text, &out.text, &out.text_length);
    if (failed == tolvex::ERROR_OK && code.code == tolvex::ERROR_OK) {
      failed = hand_out_text(code.xml, &out.xml, &out.xml_length);
    } else if (failed == tolvex::ERROR_OK) {
      failed = hand_out_text(code.error, &out.error_line, nullptr);
    }
    if (failed != tolvex::ERROR_OK) {
      tolvex_scanned_codes_free(array, found.size());
      return failed;
    }
  }
  *codes = array;
  *count = found.size();
  return tolvex::ERROR_OK;
}

ErrorCode check_code_outputs(tolvex_scanned_code** codes, std::size_t* count) {
  if (codes == nullptr || count == nullptr) {
    return tolvex::report(tolvex::messages::kCodesPointerCannotBeNull);
  }
  return tolvex::ERROR_OK;
}
#endif

// A format number from the caller: anything but the three is an illegal argument.
ErrorCode image_format(int32_t number, tolvex::ImageFormat* format) {
  const auto value = static_cast<tolvex::ImageFormat>(number);
  if (!tolvex::image_format_valid(value)) return tolvex::report(tolvex::messages::kIllegalImageFormat);
  *format = value;
  return tolvex::ERROR_OK;
}

int write_file(const char* text, int32_t size, int32_t format, const char* file_name) {
  tolvex::ImageFormat value{};
  if (const ErrorCode code = image_format(format, &value)) return code;
  return tolvex::qr_write_file(text, size, value, file_name);
}

int write_memory(const char* text, int32_t size, int32_t format, unsigned char** data, int32_t* data_size) {
  tolvex::ImageFormat value{};
  if (const ErrorCode code = image_format(format, &value)) return code;
  std::vector<std::uint8_t> bytes;
  // With no place for the data the library reports the null pointer itself, after rendering.
  if (const ErrorCode code = tolvex::qr_write_memory(text, size, value, data != nullptr ? &bytes : nullptr))
    return code;
  return hand_out_bytes(bytes, data, data_size);
}

int logo_write_file(const char* text, int32_t rotation, int32_t variation, int32_t frame,
                    const char* logo_directory, int32_t format, const char* file_name) {
  tolvex::ImageFormat value{};
  if (const ErrorCode code = image_format(format, &value)) return code;
  return tolvex::qr_logo_write_file(text, static_cast<tolvex::LogoRotation>(rotation),
                                    static_cast<tolvex::LogoVariation>(variation), frame != 0, logo_directory,
                                    value, file_name);
}

int logo_write_memory(const char* text, int32_t rotation, int32_t variation, int32_t frame,
                      const char* logo_directory, int32_t format, unsigned char** data, int32_t* data_size) {
  tolvex::ImageFormat value{};
  if (const ErrorCode code = image_format(format, &value)) return code;
  std::vector<std::uint8_t> bytes;
  if (const ErrorCode code = tolvex::qr_logo_write_memory(
          text, static_cast<tolvex::LogoRotation>(rotation), static_cast<tolvex::LogoVariation>(variation),
          frame != 0, logo_directory, value, data != nullptr ? &bytes : nullptr)) {
    return code;
  }
  return hand_out_bytes(bytes, data, data_size);
}

// The options of the C record, with the summary's texts when asked for.
ErrorCode print_options(const char* text, const tolvex_print_options* in, tolvex::PictureOptions* out) {
  if (const ErrorCode code = tolvex::capi::require(in, tolvex::messages::kOptionsPointerCannotBeNull)) return code;
  if (const ErrorCode code = image_format(in->format, &out->format)) return code;
  using tolvex::Length;
  using tolvex::LengthUnit;
  const auto mm = [](double value) { return Length{value, LengthUnit::millimetre}; };
  out->size = in->size;
  out->moduleSize = in->module_size;
  out->margin = in->margin;
  out->dpi = in->dpi;
  out->level = static_cast<tolvex::ErrorCorrection>(in->level);
  out->boostLevel = in->boost_level != 0;
  if (in->physical_size != 0) out->physicalSize = mm(in->physical_size);
  if (in->paper >= 0) {
    tolvex::PaperPlacement placement{.paper = static_cast<tolvex::Paper>(in->paper), .pageMargin = mm(in->page_margin)};
    if (in->paper > static_cast<int32_t>(tolvex::Paper::letter) || in->position < -1 ||
        in->position > static_cast<int32_t>(tolvex::PagePosition::bottom_right)) {
      return tolvex::report(tolvex::messages::kIllegalPaperOrPosition);
    }
    if (in->position < 0) {
      placement.at = tolvex::PagePoint{mm(in->at_x), mm(in->at_y)};
    } else {
      placement.position = static_cast<tolvex::PagePosition>(in->position);
    }
    out->paper = placement;
  }
  out->compactVector = in->compact != 0;
  if (in->logo_directory != nullptr) {
    out->logo = tolvex::LogoOptions{.directory = in->logo_directory,
                                    .rotation = static_cast<tolvex::LogoRotation>(in->rotation),
                                    .variation = static_cast<tolvex::LogoVariation>(in->variation),
                                    .frame = in->frame != 0};
  }
  if (in->describe != 0) {
    const tolvex::Result<tolvex::DocumentPtr<>> document = tolvex::decode(text != nullptr ? text : "");
    if (!document) return static_cast<ErrorCode>(document.error().code);
    const tolvex::Result<std::string> summary = tolvex::summary(**document);
    if (!summary) return static_cast<ErrorCode>(summary.error().code);
    // The first line names the document; the whole summary tells what it asks for.
    std::string description = *summary;
    while (!description.empty() && description.back() == '\n') description.pop_back();
    out->title = description.substr(0, description.find('\n'));
    out->description = std::move(description);
  }
  return tolvex::ERROR_OK;
}

}  // namespace

extern "C" {

void tolvex_print_options_init(tolvex_print_options* options) {
  if (options == nullptr) return;
  *options = tolvex_print_options{};
  options->margin = tolvex::kQuietZoneModules;
  options->paper = -1;
  options->page_margin = 10.0;
  options->compact = 1;
  options->describe = 1;
  options->frame = 1;
}

int tolvex_print_write_file(const char* text, const tolvex_print_options* options, const char* file_name) {
  return guarded([&] {
    tolvex::PictureOptions picture;
    if (const ErrorCode code = print_options(text, options, &picture)) return code;
    if (const ErrorCode code = tolvex::capi::require(file_name, tolvex::messages::kFileNamePointerCannotBeNull))
      return code;
    const tolvex::Result<void> written = tolvex::write_picture(text != nullptr ? text : "", file_name, picture);
    return written ? tolvex::ERROR_OK : static_cast<ErrorCode>(written.error().code);
  });
}

int tolvex_stamp_pdf(const char* text, const tolvex_print_options* options, int32_t page, const char* input,
                     const char* output) {
  return guarded([&] {
    if (const ErrorCode code = tolvex::capi::require(options, tolvex::messages::kOptionsPointerCannotBeNull)) return code;
    // The page's own place: no paper, and the format is the stamp's.
    tolvex_print_options own = *options;
    own.paper = -1;
    own.format = TOLVEX_FORMAT_PDF;
    tolvex::StampOptions stamp;
    if (const ErrorCode code = print_options(text, &own, &stamp.picture)) return code;
    if (options->position > static_cast<int32_t>(tolvex::PagePosition::bottom_right) || options->position < -1) {
      return tolvex::report(tolvex::messages::kIllegalPaperOrPosition);
    }
    if (options->position < 0) {
      stamp.at = tolvex::PagePoint{{options->at_x}, {options->at_y}};
    } else {
      stamp.position = static_cast<tolvex::PagePosition>(options->position);
    }
    stamp.pageMargin = tolvex::Length{options->page_margin};
    if (page != 0) stamp.page = page;
    if (const ErrorCode code = tolvex::capi::require(input, tolvex::messages::kFileNamePointerCannotBeNull)) return code;
    if (const ErrorCode code = tolvex::capi::require(output, tolvex::messages::kFileNamePointerCannotBeNull)) return code;
    const tolvex::Result<void> done = tolvex::stamp_pdf(text != nullptr ? text : "", input, output, stamp);
    return done ? tolvex::ERROR_OK : static_cast<ErrorCode>(done.error().code);
  });
}

int tolvex_print_write_memory(const char* text, const tolvex_print_options* options, unsigned char** data,
                              int32_t* data_size) {
  return guarded([&] {
    tolvex::PictureOptions picture;
    if (const ErrorCode code = print_options(text, options, &picture)) return code;
    if (const ErrorCode code = tolvex::capi::require(data, tolvex::messages::kDataPointerCannotBeNull))
      return code;
    const tolvex::Result<std::vector<std::uint8_t>> bytes = tolvex::render(text != nullptr ? text : "", picture);
    if (!bytes) return static_cast<ErrorCode>(bytes.error().code);
    return hand_out_bytes(*bytes, data, data_size);
  });
}

int tolvex_qr_write_file(const char* text, int32_t size, int32_t format, const char* file_name) {
  return guarded([&] { return write_file(text, size, format, file_name); });
}

int tolvex_qr_write_memory(const char* text, int32_t size, int32_t format, unsigned char** data,
                           int32_t* data_size) {
  return guarded([&] { return write_memory(text, size, format, data, data_size); });
}

int tolvex_qr_logo_write_file(const char* text, int32_t rotation, int32_t variation, int32_t frame,
                              const char* logo_directory, int32_t format, const char* file_name) {
  return guarded(
      [&] { return logo_write_file(text, rotation, variation, frame, logo_directory, format, file_name); });
}

int tolvex_qr_logo_write_memory(const char* text, int32_t rotation, int32_t variation, int32_t frame,
                                const char* logo_directory, int32_t format, unsigned char** data,
                                int32_t* data_size) {
  return guarded([&] {
    return logo_write_memory(text, rotation, variation, frame, logo_directory, format, data, data_size);
  });
}

int tolvex_qr_write_png_file(const char* text, int32_t size, const char* file_name) {
  return guarded([&] { return write_file(text, size, TOLVEX_FORMAT_PNG, file_name); });
}

int tolvex_qr_write_png_memory(const char* text, int32_t size, unsigned char** data, int32_t* data_size) {
  return guarded([&] { return write_memory(text, size, TOLVEX_FORMAT_PNG, data, data_size); });
}

int tolvex_qr_logo_write_png_file(const char* text, int32_t rotation, int32_t variation, int32_t frame,
                                  const char* logo_directory, const char* file_name) {
  return guarded([&] {
    return logo_write_file(text, rotation, variation, frame, logo_directory, TOLVEX_FORMAT_PNG, file_name);
  });
}

int tolvex_qr_logo_write_png_memory(const char* text, int32_t rotation, int32_t variation, int32_t frame,
                                    const char* logo_directory, unsigned char** data, int32_t* data_size) {
  return guarded([&] {
    return logo_write_memory(text, rotation, variation, frame, logo_directory, TOLVEX_FORMAT_PNG, data,
                             data_size);
  });
}

void tolvex_render_set_background(double red, double green, double blue, double alpha) {
  guarded_void([&] { tolvex::render_set_background(red, green, blue, alpha); });
}

void tolvex_render_set_format(int32_t cairo_format) {
  guarded_void([&] { tolvex::render_set_format(cairo_format); });
}

void tolvex_logo_cache_set_budget(int32_t bytes) {
  guarded_void([&] { tolvex::logo_cache_set_budget(bytes); });
}

void tolvex_logo_cache_free(void) {
  guarded_void([] { tolvex::logo_cache_free(); });
}

uint32_t tolvex_sequence_limit(void) { return tolvex::serialisation_sequence_limit(); }

void tolvex_set_sequence_limit(uint32_t bytes) { tolvex::serialisation_set_sequence_limit(bytes); }

int tolvex_scan_memory(const unsigned char* data, size_t size, tolvex_scanned_code** codes, size_t* count) {
  return guarded([&] {
#if TOLVEX_READERS
    if (const ErrorCode code = check_code_outputs(codes, count)) return code;
    std::vector<tolvex::ScannedCode> found;
    if (const ErrorCode code = tolvex::scan_memory(data, size, &found)) return code;
    return hand_out_codes(found, codes, count);
#else
    // The entry stays exported, so a program linked against either build still loads.
    static_cast<void>(data), static_cast<void>(size), static_cast<void>(codes), static_cast<void>(count);
    return tolvex::report(tolvex::messages::kReadingNotBuilt);
#endif
  });
}

int tolvex_scan_file(const char* file_name, tolvex_scanned_code** codes, size_t* count) {
  return guarded([&] {
#if TOLVEX_READERS
    if (const ErrorCode code = check_code_outputs(codes, count)) return code;
    std::vector<tolvex::ScannedCode> found;
    if (const ErrorCode code = tolvex::scan_file(file_name, &found)) return code;
    return hand_out_codes(found, codes, count);
#else
    // The entry stays exported, so a program linked against either build still loads.
    static_cast<void>(file_name), static_cast<void>(codes), static_cast<void>(count);
    return tolvex::report(tolvex::messages::kReadingNotBuilt);
#endif
  });
}

void tolvex_scanned_codes_free(tolvex_scanned_code* codes, size_t count) {
  if (codes == nullptr) return;
  for (std::size_t i = 0; i < count; ++i) {
    std::free(codes[i].text);
    std::free(codes[i].xml);
    std::free(codes[i].error_line);
  }
  std::free(codes);
}

}  // extern "C"
