// What holds for every code that reading reports, whatever bytes it read; reading in this process.
#pragma once

#include <span>
#include <string>
#include <utility>
#include <vector>

#include "tolvex/decode.hpp"
#include "require.h"
#include "scan/picture_load.h"
#include "tolvex/scan.hpp"

namespace tolvex::fuzz {

// The decoders themselves, in this process: through the reading worker a fuzzer would see only
// the answers of another process.
inline ErrorCode scan_here(const std::uint8_t* data, std::size_t size, std::vector<ScannedCode>* codes) {
  Result<std::vector<ScannedCode>> found = scan(std::span<const std::uint8_t>(data, size), ScanOptions{.isolated = false});
  if (!found) return static_cast<ErrorCode>(found.error().code);
  *codes = std::move(*found);
  return ERROR_OK;
}

inline void require_consistent(const std::vector<ScannedCode>& codes) {
  for (const ScannedCode& code : codes) {
    require(code.page >= 1, "pages count from 1");
    if (code.code == ERROR_OK) {
      require(code.tolvex && code.error.empty(), "a document comes from a tolvex code");
      std::string xml;
      require(decode_to_xml(code.text.data(), code.text.size(), &xml, nullptr) == ERROR_OK && xml == code.xml,
              "the XML is the one its text decodes to");
    } else {
      require(code.xml.empty() && !code.error.empty(), "a failed code has its error line and no XML");
      require(code.tolvex || code.code == ERROR_BAD_FORMAT, "a code that is not tolvex is ERROR_BAD_FORMAT");
      require(code.error.find('\n') == std::string::npos, "the error line is one line");
    }
  }
}

inline void require_clean_failure(ErrorCode code, const std::vector<ScannedCode>& codes) {
  require(code == ERROR_IO || code == ERROR_ILLEGAL_ARGUMENT,
          "a file fails only as unreadable or beyond a limit");
  require(codes.empty(), "nothing is handed out on failure");
}

// One format's harness: inputs of other formats are skipped, so that the fuzzer spends its time
// in that decoder; a file either fails cleanly or gives consistent codes.
inline int fuzz_one_format(ScanFormat format, const std::uint8_t* data, std::size_t size) {
  if (scan_format(data, size) != format) return 0;
  std::vector<ScannedCode> codes;
  const ErrorCode code = scan_here(data, size, &codes);
  if (code != ERROR_OK) {
    require_clean_failure(code, codes);
    return 0;
  }
  require_consistent(codes);
  return 0;
}

}  // namespace tolvex::fuzz
