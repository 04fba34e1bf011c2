// From a document, or its XML, to the text the QR code carries: validate, serialise within the
// sequence limit, and pack the fields into the container.
#pragma once

#include <cstddef>
#include <string>

#include "tolvex/document.hpp"
#include "tolvex/error.hpp"

namespace tolvex {

// Encodes a document, which is neither freed nor changed. A null text is ERROR_NULL_POINTER;
// otherwise the first failure of validation, serialisation, the sequence limit or compression
// is returned as it was recorded, and text is left unchanged.
[[nodiscard]] ErrorCode encode_document(const Document* document, std::string* text);

// Reads the document from XML text (not necessarily terminated) and encodes it; the document
// is freed in every case.
[[nodiscard]] ErrorCode encode_xml(const char* xml, std::size_t length, std::string* text);

// As encode_xml, but on success hands the document over through document unless drop is set,
// in which case the document is freed and *document reset. On failure document is untouched.
[[nodiscard]] ErrorCode encode_xml_keep_document(const char* xml, std::size_t length, std::string* text,
                                                 DocumentPtr<>* document, bool drop);

}  // namespace tolvex
