// What holds for every code that scan_memory reports, whatever bytes it read.
#pragma once

#include <string>
#include <vector>

#include "tolvex/decode.hpp"
#include "require.h"
#include "tolvex/scan.hpp"

namespace tolvex::fuzz {

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

}  // namespace tolvex::fuzz
