// Writing a document's fields into a FieldBuffer in the fixed order of its family. The text
// carries no names or types, so a reader knows each field only by its position: the orders
// here are a wire format and must not change.
#pragma once

#include "cli/error.h"
#include "codec/field_buffer.h"
#include "document/document.h"

namespace tolvex {

// Copies the header and appends the fields of the family that the header names. A null
// document is ERROR_NULL_POINTER; a family other than PAY, INVOICE and INVOICE ITEMS writes
// no fields, which the sequence limit check then refuses.
ErrorCode serialise_document(FieldBuffer& buffer, const Document* document);

}  // namespace tolvex
