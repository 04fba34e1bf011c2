// From the text a QR code carries back to a validated document with its computed amounts, and
// on into XML.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "tolvex/document.hpp"
#include "tolvex/error.hpp"
#include "tolvex/result.hpp"

namespace tolvex {

// The validated document a text carries, with its computed amounts: the container unpacked, the
// CRC-32 checked, the fields rebuilt. A text shorter than 4 characters is Errc::unknown_document.
[[nodiscard]] Result<DocumentPtr<>> decode(std::string_view text);

// The older entries, with out-parameters; removed at 2.0.

// Unpacks the container, checks the CRC-32, rebuilds and validates the document and derives its
// amounts. A text shorter than 4 characters is ERROR_UNKNOWN_DOCUMENT, no place for the
// document ERROR_NULL_POINTER; a document that fails validation is not handed out.
TOLVEX_DEPRECATED("tolvex::decode") [[nodiscard]] ErrorCode decode_document(const char* text, std::size_t length, DocumentPtr<>* document);

// decode_document, then the document as XML text (xmlLength may be null).
TOLVEX_DEPRECATED("tolvex::decode and tolvex::to_xml") [[nodiscard]] ErrorCode decode_to_xml(const char* text, std::size_t length, std::string* xml,
                                      std::size_t* xmlLength);

}  // namespace tolvex
