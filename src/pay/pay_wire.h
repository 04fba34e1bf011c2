// The PAY family's wire order, in both directions. The text carries no names: a reader knows
// each field only by its position, so this order is a wire format and must not change.
#pragma once

#include "codec/field_buffer.h"
#include "document/document.h"
#include "tolvex/pay.hpp"

namespace tolvex {

// Appends the fields of the document in wire order.
void serialise_pay(FieldBuffer& buffer, const Pay& pay);

// A PAY document from the fields at the buffer's cursor; missing fields come back absent.
[[nodiscard]] DocumentPtr<Pay> deserialise_pay(FieldBuffer& buffer);

}  // namespace tolvex
