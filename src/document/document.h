// Building a family's document: what every family's creation and free operations share.
#pragma once

#include <memory>

#include "tolvex/document.hpp"

namespace tolvex {

// What each family's creation operation does: a family record with every field absent, its
// header naming the family, its slots set.
template <typename Family>
DocumentPtr<Family> document_new(unsigned family, void (*free)(Document*), void (*deriveAmounts)(Document*),
                                 ErrorCode (*validate)(const Document*)) {
  DocumentPtr<Family> document(std::make_unique<Family>().release());
  document->header.set_family(family);
  document->free = free;
  document->deriveAmounts = deriveAmounts;
  document->validate = validate;
  return document;
}

// What each family's free slot does: taking ownership back releases every field, record and
// list item with the document.
template <typename Family>
void document_release(Document* document) {
  const std::unique_ptr<Family> owned(static_cast<Family*>(document));
}

}  // namespace tolvex
