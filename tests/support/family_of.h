// The family a test text's header names, for drawing it with its logo as the pictures' callers do.
#pragma once

#include <string_view>

#include "tolvex/header.hpp"

namespace tolvex::test {

// The header's family, or 15 (a family without logos) when the text has no readable header.
inline unsigned family_of(std::string_view text) {
  DocumentHeader header;
  if (read_header(text.data(), text.size(), &header) != ERROR_OK) return 15;
  return header.family();
}

}  // namespace tolvex::test
