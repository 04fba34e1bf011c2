// A document in its JSON form, both ways: the field names are the XML element names, lists are
// arrays, dates "YYYY-MM-DD" texts, enumerations and flag sets their XML words, decimals JSON
// numbers as XML writing writes them. The root object names its family as the XML root does:
//   {"Pay": {"InvoiceID": ..., "Payments": [{"Amount": 25.3, ...}]}}
#pragma once

#include <string>
#include <string_view>

#include "tolvex/document.hpp"
#include "tolvex/result.hpp"

namespace tolvex {

// The document of a JSON text (not validated). JSON that cannot be read, or that does not have
// the shape of a document, is Errc::xml (code 9) with a message that says JSON and where.
[[nodiscard]] Result<DocumentPtr<>> read_json(std::string_view json);

// The document as JSON, computed amounts included, in one line.
[[nodiscard]] Result<std::string> to_json(const Document& document);

// The text of a JSON document: read_json, then encode.
[[nodiscard]] Result<std::string> encode_json(std::string_view json);

}  // namespace tolvex
