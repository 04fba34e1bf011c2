// Writing a document back as XML: one line in the vocabulary that XML reading accepts,
// computed amounts included.
#pragma once

#include <string>
#include <string_view>

#include "cli/error.h"
#include "document/document.h"

namespace tolvex {

// The namespace of the tolvex XML vocabulary, written as the default namespace of every root.
inline constexpr std::string_view kTolvexNamespace = "http://tolvex.org/tolvex";
inline constexpr std::string_view kXmlSchemaInstanceNamespace = "http://www.w3.org/2001/XMLSchema-instance";

// Writes the document as XML. text and length may each be null; what is given receives the
// text and its length in bytes. A document of a version this writer does not know is refused
// (ERROR_UNKNOWN_DOCUMENT) rather than written as something else.
ErrorCode xml_write_document(const Document* document, std::string* text, std::size_t* length);

}  // namespace tolvex
