// The INVOICE ITEMS family's wire order, in both directions. The text carries no names, so this
// order is a wire format and must not change.
#pragma once

#include "codec/field_buffer.h"
#include "document/document.h"
#include "tolvex/invoice_items.hpp"

namespace tolvex {

// Appends the carried fields of the document in wire order.
void serialise_invoice_items(FieldBuffer& buffer, const InvoiceItems& items);

// An INVOICE ITEMS document from the fields at the buffer's cursor; missing fields come back
// absent.
[[nodiscard]] DocumentPtr<InvoiceItems> deserialise_invoice_items(FieldBuffer& buffer);

}  // namespace tolvex
