// Reading a document from XML text with libxml2, and the value readers the family mappings use.
#pragma once

#include <cstddef>

#include "cli/error.h"
#include "document/document.h"

namespace tolvex {

// Reads one document from XML text (not necessarily NUL-terminated). On success returns 0 and
// stores the document, or no document when the root element names no family.
ErrorCode xml_read_document(const char* text, std::size_t length, DocumentPtr<>& document);

}  // namespace tolvex
