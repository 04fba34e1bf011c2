// Reading the QR codes of a picture (PNG, JPEG, WebP, HEIC, BMP) or of every page of a PDF or
// TIFF document back into the tolvex texts they carry and the documents those texts decode to.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tolvex/error.hpp"
#include "tolvex/result.hpp"

namespace tolvex {

// One QR code found.
struct ScannedCode {
  std::string text;           // the code's content, as UTF-8 text
  std::int32_t page = 1;      // the PDF or TIFF page it was found on, from 1; 1 for a picture
  bool tolvex = false;        // the text unpacks as a tolvex container (base32hex, header, LZMA)
  ErrorCode code = ERROR_OK;  // 0 when it decoded into a document; the failure of decoding a
                              // tolvex code; ERROR_BAD_FORMAT for any other code
  std::string xml;            // the document's XML when code is 0
  std::string error;          // the error line when code is not 0: decoding's, or "Not a tolvex
                              // code. " with what the code holds
};

// The codes of a picture, PDF or TIFF in memory, page by page and, on a page, in reading order;
// an empty list when there is none. Reading stops on a page (or picture) as soon as an attempt
// has found a tolvex code that decodes. Failures: the format is none of those read
// (ERROR_ILLEGAL_ARGUMENT "Unknown file format, expected PNG, JPEG, PDF, TIFF, WebP, HEIC or
// BMP. "), the file cannot be read (ERROR_IO; "PDF document is encrypted. " for one that needs a
// password), or a reading limit (pixels, pages, file size) is exceeded (ERROR_ILLEGAL_ARGUMENT).
// A failure on one page of a PDF or TIFF has "page N" as its detail.
// How a file is read; a new choice is a member with a default, so no signature changes.
struct ScanOptions {
  // Decoding the file and reading its codes runs in a worker process (tolvex-reader) with a
  // bounded address space (1 GiB), no files, sockets or new processes: a file that crashes or
  // exhausts a decoder ends the worker, and the caller gets ERROR_IO "File could not be read:
  // ..." naming why. false reads in the caller's process, with the same results and no bound
  // beyond the reading limits.
  bool isolated = true;
  // Isolated only: a file still being read after this long ends its worker, ERROR_IO "File
  // could not be read: it took longer than 10 s. ".
  std::chrono::seconds timeout{10};
};

// The codes of a picture or PDF file's bytes, as scan_memory finds them. The worker is found
// through the environment variable TOLVEX_READER, else beside the library or program, else
// where it is installed; ERROR_IO "Cannot start the reader. " names the path tried.
[[nodiscard]] Result<std::vector<ScannedCode>> scan(std::span<const std::uint8_t> fileBytes,
                                                    const ScanOptions& options = {});

// scan on the contents of a file; every failure names the file as scan_file does.
[[nodiscard]] Result<std::vector<ScannedCode>> scan_file(const std::filesystem::path& file,
                                                         const ScanOptions& options = {});

// The position of the first code that decoded into a document, or why there is none, as
// scan_first_document records it.
[[nodiscard]] Result<std::size_t> first_document(const std::vector<ScannedCode>& codes, std::string_view source);

// The older entries, with out-parameters; removed at 2.0. They read as ScanOptions{} chooses:
// in a worker, within 10 s.
TOLVEX_DEPRECATED("tolvex::scan") [[nodiscard]] ErrorCode scan_memory(const std::uint8_t* bytes, std::size_t size,
                                    std::vector<ScannedCode>* codes);

// scan_memory on the contents of a file. Every failure has the file as its detail, followed by
// ", page N" for one on a page: "<file>, page 2".
TOLVEX_DEPRECATED("tolvex::scan_file(const std::filesystem::path&)") [[nodiscard]] ErrorCode scan_file(const char* path, std::vector<ScannedCode>* codes);

// The first code that decoded into a document. When there is none, records why and returns
// it: ERROR_UNKNOWN_DOCUMENT "No QR code found. " for an empty list; the decoding failure of
// the first tolvex code when there is one; otherwise ERROR_BAD_FORMAT "Not a tolvex code. "
// with what the first code holds. source (a file name, or empty) opens the detail of the two
// new messages.
TOLVEX_DEPRECATED("tolvex::first_document") [[nodiscard]] ErrorCode scan_first_document(const std::vector<ScannedCode>& codes, std::string_view source,
                                            std::size_t* index);

// What a text that is not a tolvex code holds, briefly: "QR code holds a URL: ..." or
// "QR code holds text: ...", at most 40 characters of it.
[[nodiscard]] std::string scan_describe_text(std::string_view text);

}  // namespace tolvex
