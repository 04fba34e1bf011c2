#include "tolvex/scan.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "base/guard.h"
#include "base/messages.h"
#include "codec/container.h"
#include "scan/pdf_images.h"
#include "scan/pdf_pages.h"
#include "scan/picture_load.h"
#include "scan/qr_read.h"
#include "scan/scan_isolation.h"
#include "scan/scan_limits.h"
#include "tolvex/decode.hpp"

namespace tolvex {
namespace {

constexpr std::size_t kDescribedCharacters = 40;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// A checksum failure still means the text has the container's shape: a tolvex code whose
// content was changed. Texts that are not base32hex, too short for the header or not an LZMA
// stream are something else.
bool is_container(const std::string& text) {
  DocumentHeader header;
  std::string fields;
  const ErrorCode code = container_decode(text.data(), text.size(), &header, &fields);
  return code == ERROR_OK || code == ERROR_CHECKSUM;
}

ErrorCode report_foreign_code(std::string_view text, std::string_view source) {
  std::string detail(source);
  if (!detail.empty()) detail += ": ";
  detail += scan_describe_text(text);
  return report(messages::kNotATolvexCode, detail);
}

ScannedCode scanned(std::string text, std::int32_t page) {
  ScannedCode code;
  code.text = std::move(text);
  code.page = page;
  code.tolvex = is_container(code.text);
  code.code = code.tolvex ? decode_to_xml(code.text.data(), code.text.size(), &code.xml, nullptr)
                          : report_foreign_code(code.text, {});
  if (code.code != ERROR_OK) code.error = error_line();
  return code;
}

bool decodes(const std::string& text) {
  std::string xml;
  return is_container(text) && decode_to_xml(text.data(), text.size(), &xml, nullptr) == ERROR_OK;
}

void scan_picture(const GrayImage& picture, std::int32_t page, std::vector<ScannedCode>& codes) {
  for (std::string& text : qr_read_texts(picture, decodes)) codes.push_back(scanned(std::move(text), page));
}

bool starts_with_ignoring_case(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

}  // namespace

ErrorCode scan_in_process(const std::uint8_t* bytes, std::size_t size, std::vector<ScannedCode>* codes) {
  if (codes == nullptr) return report(messages::kCodesPointerCannotBeNull);
  if (bytes == nullptr && size > 0) return report(messages::kInputCannotBeNull);
  std::vector<ScannedCode> found;
  const auto visit = [&found](int page, const GrayImage& picture) {
    scan_picture(picture, page, found);
    return ERROR_OK;
  };
  const ScanFormat format = scan_format(bytes, size);
  if (format == ScanFormat::pdf || format == ScanFormat::tiff) {
    if (format == ScanFormat::pdf) {
      if (const ErrorCode code = pdf_check_image_sizes(bytes, size)) return code;
    }
    // A page's code is looked for at 150 dpi first: most codes read there at a quarter of the cost.
    const auto find = [&found](int page, const GrayImage& picture, bool& any) {
      const std::size_t before = found.size();
      scan_picture(picture, page, found);
      any = found.size() > before;
      return ERROR_OK;
    };
    // Before that, the page's images with the cheap attempts: a code embedded as a picture reads
    // there in a fraction of a rendering. Only a tolvex code ends the page's search; a page whose
    // images hold none is rendered, which finds what they hold again.
    const auto findInImages = [&found](int page, const std::vector<GrayImage>& images, bool& any) {
      std::vector<std::string> texts;
      for (const GrayImage& image : images) {
        for (std::string& text : qr_read_texts(image, decodes, kQrCleanAttempts)) {
          any = any || decodes(text);
          if (std::ranges::find(texts, text) == texts.end()) texts.push_back(std::move(text));
        }
      }
      if (any) {
        for (std::string& text : texts) found.push_back(scanned(std::move(text), page));
      }
      return ERROR_OK;
    };
    const bool images = format == ScanFormat::pdf && pdf_has_image_objects(bytes, size);
    const ErrorCode code =
        format == ScanFormat::pdf
            ? pdf_find_on_pages(bytes, size, find, images ? PdfImagesFinder(findInImages) : PdfImagesFinder())
            : tiff_visit_pages(bytes, size, visit);
    if (code != ERROR_OK) return code;
  } else {
    GrayImage picture;
    ErrorCode code = ERROR_OK;
    switch (format) {
      case ScanFormat::png: code = load_png(bytes, size, &picture); break;
      case ScanFormat::jpeg: code = load_jpeg(bytes, size, &picture); break;
      case ScanFormat::webp: code = load_webp(bytes, size, &picture); break;
      case ScanFormat::heic: code = load_heic(bytes, size, &picture); break;
      case ScanFormat::bmp: code = load_bmp(bytes, size, &picture); break;
      default: return report(messages::kUnknownPictureFileFormat);
    }
    if (code != ERROR_OK) return code;
    scan_picture(picture, 1, found);
  }
  *codes = std::move(found);
  return ERROR_OK;
}

namespace {

// The worker checks the arguments again; checking here keeps a null list from a worker's answer.
ErrorCode scan_bytes(const std::uint8_t* bytes, std::size_t size, const ScanOptions& options,
                     std::vector<ScannedCode>* codes) {
  if (!options.isolated) return scan_in_process(bytes, size, codes);
  if (codes == nullptr) return report(messages::kCodesPointerCannotBeNull);
  if (bytes == nullptr && size > 0) return report(messages::kInputCannotBeNull);
  return scan_isolated(bytes, size, options.timeout, codes);
}

// Reads a file, within the size bound, in the way the options choose.
ErrorCode scan_file_bytes(const char* path, const ScanOptions& options, std::vector<ScannedCode>* codes) {
  if (path == nullptr) return report(messages::kFileNameCannotBeNull);
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
  if (!file) return report(messages::kCannotReadInputFile, path);
  // A regular file's size is known before reading; a pipe is measured as it is read.
  struct stat status {};
  if (fstat(fileno(file.get()), &status) == 0 && S_ISREG(status.st_mode) &&
      static_cast<std::uint64_t>(status.st_size) > kScanMaxFileBytes) {
    return report(messages::kInputFileTooLarge, path);
  }
  std::vector<std::uint8_t> bytes;
  std::uint8_t block[65536];
  for (std::size_t n; (n = std::fread(block, 1, sizeof block, file.get())) > 0;) {
    if (bytes.size() + n > kScanMaxFileBytes) return report(messages::kInputFileTooLarge, path);
    bytes.insert(bytes.end(), block, block + n);
  }
  if (std::ferror(file.get())) return report(messages::kCannotReadInputFile, path);
  const ErrorCode code = scan_bytes(bytes.data(), bytes.size(), options, codes);
  if (code == ERROR_OK) return code;
  // The file opens the detail, before the page of a PDF or TIFF: "<file>, page N".
  const Error failure = recorded_error();
  std::string detail(path);
  if (!failure.detail.empty()) detail.append(", ").append(failure.detail);
  return set_error(code, failure.message, detail);
}

}  // namespace

ErrorCode scan_memory(const std::uint8_t* bytes, std::size_t size, std::vector<ScannedCode>* codes) {
  return scan_bytes(bytes, size, ScanOptions{}, codes);
}

ErrorCode scan_file(const char* path, std::vector<ScannedCode>* codes) {
  return scan_file_bytes(path, ScanOptions{}, codes);
}

ErrorCode scan_first_document(const std::vector<ScannedCode>& codes, std::string_view source,
                              std::size_t* index) {
  if (index == nullptr) return report(messages::kIndexPointerCannotBeNull);
  for (std::size_t i = 0; i < codes.size(); ++i) {
    if (codes[i].code == ERROR_OK) {
      *index = i;
      return ERROR_OK;
    }
  }
  if (codes.empty()) return report(messages::kNoQrCodeFound, source);
  for (const ScannedCode& code : codes) {
    if (!code.tolvex) continue;
    // Decoding again records its failure, so that the error line is the one decoding gives.
    std::string xml;
    return decode_to_xml(code.text.data(), code.text.size(), &xml, nullptr);
  }
  return report_foreign_code(codes.front().text, source);
}

std::string scan_describe_text(std::string_view text) {
  if (text.empty()) return std::string(messages::kQrCodeIsEmpty.text);
  const bool url = starts_with_ignoring_case(text, "http://") || starts_with_ignoring_case(text, "https://");
  std::string described(url ? messages::kQrCodeHoldsUrl.text : messages::kQrCodeHoldsText.text);
  std::size_t characters = 0;
  std::size_t i = 0;
  for (; i < text.size() && characters < kDescribedCharacters; ++characters) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t length = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    if (i + length > text.size()) length = text.size() - i;
    if (c < 0x20 || c == 0x7F) {
      described += ' ';  // line ends and tabs would break the one error line
    } else {
      described.append(text.substr(i, length));
    }
    i += length;
  }
  if (i < text.size()) described += "...";
  return described;
}

Result<std::vector<ScannedCode>> scan(std::span<const std::uint8_t> fileBytes, const ScanOptions& options) {
  return guarded_result<std::vector<ScannedCode>>([&](std::vector<ScannedCode>& codes) {
    return scan_bytes(fileBytes.data(), fileBytes.size(), options, &codes);
  });
}

Result<std::vector<ScannedCode>> scan_file(const std::filesystem::path& file, const ScanOptions& options) {
  return guarded_result<std::vector<ScannedCode>>(
      [&](std::vector<ScannedCode>& codes) { return scan_file_bytes(file.c_str(), options, &codes); });
}

Result<std::size_t> first_document(const std::vector<ScannedCode>& codes, std::string_view source) {
  return guarded_result<std::size_t>(
      [&](std::size_t& index) { return scan_first_document(codes, source, &index); });
}

}  // namespace tolvex
