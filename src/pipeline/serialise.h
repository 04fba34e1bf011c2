// A whole document to and from its fields: the header chooses the family's wire order.
#pragma once

#include "base/error.h"
#include "codec/field_buffer.h"
#include "document/document.h"

namespace tolvex {

// Copies the header and appends the fields of the family that the header names. A null
// document is ERROR_NULL_POINTER; a family other than PAY, INVOICE and INVOICE ITEMS writes
// no fields, which the sequence limit check then refuses.
[[nodiscard]] ErrorCode serialise_document(FieldBuffer& buffer, const Document* document);

// Rebuilds a document from a split buffer by the family its header names, the header arriving
// as transmitted. Lists always come back present, list items never null; a count larger than
// the fields left is cut to them. A header naming no family is ERROR_UNKNOWN_DOCUMENT.
[[nodiscard]] ErrorCode deserialise_document(FieldBuffer& buffer, DocumentPtr<>* document);

}  // namespace tolvex
