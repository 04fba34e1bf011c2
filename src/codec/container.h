// Turning a document into the text that the QR code carries: validate, serialise, put the
// CRC-32 of the text in front, compress, put the 16-bit payload length and the two header
// bytes in front, and write the whole container as base32hex.
//
// Container: header byte 0, header byte 1, payload length (little-endian 16 bits), raw LZMA1
// stream. Payload: CRC-32 of the text (little-endian), then the text.
#pragma once

#include <cstddef>
#include <string>

#include "cli/error.h"
#include "document/document.h"

namespace tolvex {

// Encodes a document, which is neither freed nor changed. A null text is ERROR_NULL_POINTER;
// otherwise the first failure of validation, serialisation, the sequence limit or compression
// is returned as it was recorded, and text is left unchanged.
ErrorCode encode_document(const Document* document, std::string* text);

// Reads the document from XML text (not necessarily terminated) and encodes it; the document
// is freed in every case.
ErrorCode encode_xml(const char* xml, std::size_t length, std::string* text);

// As encode_xml, but on success hands the document over through document unless drop is set,
// in which case the document is freed and *document reset. On failure document is untouched.
ErrorCode encode_xml_keep_document(const char* xml, std::size_t length, std::string* text,
                                   DocumentPtr<>* document, bool drop);

}  // namespace tolvex
