// A whole document to and from XML text: the root element chooses the family.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "tolvex/document.hpp"
#include "tolvex/error.hpp"
#include "tolvex/field.hpp"
#include "tolvex/result.hpp"

namespace tolvex {

// The document of an XML text (not validated): the root element chooses the family. A root that
// names no family is Errc::null_pointer "Document cannot be null. ", as encoding reports it.
[[nodiscard]] Result<DocumentPtr<>> read_xml(std::string_view xml);

// The document as XML, computed amounts included, in one line.
[[nodiscard]] Result<std::string> to_xml(const Document& document);

// A field's value by the path of its XML element names ("Payments/0/BankAccounts/1/IBAN").
[[nodiscard]] Result<XmlFieldValue> document_field(const Document& document, std::string_view path);

// The older entries, with out-parameters; removed at 2.0.

// Reads one document from XML text (not necessarily NUL-terminated). On success returns 0 and
// stores the document, or no document when the root element names no family.
TOLVEX_DEPRECATED("tolvex::read_xml") [[nodiscard]] ErrorCode xml_read_document(const char* text, std::size_t length, DocumentPtr<>* document);

// Writes the document as XML, computed amounts included, in one line. text and length may each
// be null; what is given receives the text and its length in bytes. A document type without a
// name is ERROR_XML; a document of a version this writer does not know is refused
// (ERROR_UNKNOWN_DOCUMENT) rather than written as something else.
TOLVEX_DEPRECATED("tolvex::to_xml") [[nodiscard]] ErrorCode xml_write_document(const Document* document, std::string* text, std::size_t* length);

// The field, record or list of the document that a path of XML element names names, with its
// value as XML writing gives it: "InvoiceID", "SupplierParty/PostalAddress/CityName",
// "Payments/0/BankAccounts/1/IBAN" (list items by position from 0), "TaxCategorySummaries" (a
// list and its count). Computed amounts are reached like carried ones. A path that names no
// element of the document's family is ERROR_ILLEGAL_ARGUMENT; one that names an absent field
// succeeds with the value not present.
TOLVEX_DEPRECATED("tolvex::document_field(const Document&, std::string_view)") [[nodiscard]] ErrorCode
document_field(const Document* document, std::string_view path, XmlFieldValue* value);

}  // namespace tolvex
