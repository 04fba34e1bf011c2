// Decoding: a base32hex text back into a validated document with its computed amounts, and on
// into XML.
#pragma once

#include <cstddef>
#include <string>

#include "cli/error.h"
#include "codec/field_buffer.h"
#include "document/document.h"

namespace tolvex {

// Rebuilds a document from a split buffer by the family its header names. Lists always come
// back present, list items never null; a count larger than the fields left is cut to them.
// A header naming no family is ERROR_UNKNOWN_DOCUMENT.
ErrorCode deserialise_document(FieldBuffer& buffer, DocumentPtr<>* document);

// Decodes, checks the CRC-32, rebuilds and validates the document and derives its amounts.
ErrorCode decode_document(const char* text, std::size_t length, DocumentPtr<>* document);

// decode_document, then the document as XML text (xmlLength may be null).
ErrorCode decode_to_xml(const char* text, std::size_t length, std::string* xml, std::size_t* xmlLength);

}  // namespace tolvex
