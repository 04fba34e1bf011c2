// From a document, or its XML, to the text the QR code carries: validate, serialise within the
// sequence limit, and pack the fields into the container.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "tolvex/document.hpp"
#include "tolvex/error.hpp"
#include "tolvex/result.hpp"

namespace tolvex {

// The text of an XML document: read, validated, serialised within the sequence limit and packed.
[[nodiscard]] Result<std::string> encode_xml(std::string_view xml);

// The text of a document, which is neither freed nor changed.
[[nodiscard]] Result<std::string> encode(const Document& document);

// The older entries, with out-parameters; removed at 2.0.

// Encodes a document, which is neither freed nor changed. A null text is ERROR_NULL_POINTER;
// otherwise the first failure of validation, serialisation, the sequence limit or compression
// is returned as it was recorded, and text is left unchanged.
TOLVEX_DEPRECATED("tolvex::encode") [[nodiscard]] ErrorCode encode_document(const Document* document, std::string* text);

// Reads the document from XML text (not necessarily terminated) and encodes it; the document
// is freed in every case.
TOLVEX_DEPRECATED("tolvex::encode_xml(std::string_view)") [[nodiscard]] ErrorCode encode_xml(const char* xml, std::size_t length, std::string* text);

// As encode_xml, but on success hands the document over through document unless drop is set,
// in which case the document is freed and *document reset. On failure document is untouched.
TOLVEX_DEPRECATED("tolvex::read_xml and tolvex::encode") [[nodiscard]] ErrorCode encode_xml_keep_document(const char* xml, std::size_t length, std::string* text,
                                                 DocumentPtr<>* document, bool drop);

}  // namespace tolvex
