// The INVOICE family's wire order, in both directions: 40 fields plus 5 per tax category
// summary. The text carries no names, so this order is a wire format and must not change; the
// document type travels in the header, not in the text.
#pragma once

#include "codec/field_buffer.h"
#include "document/document.h"
#include "tolvex/invoice.hpp"

namespace tolvex {

// Appends the carried fields of the document in wire order.
void serialise_invoice(FieldBuffer& buffer, const Invoice& invoice);

// An INVOICE document from the fields at the buffer's cursor; missing fields come back absent.
[[nodiscard]] DocumentPtr<Invoice> deserialise_invoice(FieldBuffer& buffer);

}  // namespace tolvex
