// What a text tells before it is decoded, and the longest text encoding accepts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tolvex/document.hpp"
#include "tolvex/error.hpp"

namespace tolvex {

// The two header bytes at the start of an encoded container, found without decompressing.
// The whole text must still be valid. Fewer than 4 characters, or fewer than 2 bytes once
// trailing "=" are dropped, is ERROR_UNKNOWN_DOCUMENT; a null text is ERROR_NULL_POINTER.
// header may be null to only check the text.
[[nodiscard]] ErrorCode read_header(const char* text, std::size_t length, DocumentHeader* header);

// The calling thread's sequence limit: the longest field text, in bytes, that encoding
// accepts (550 until changed).
std::uint32_t serialisation_sequence_limit();
void serialisation_set_sequence_limit(std::uint32_t limit);

}  // namespace tolvex
