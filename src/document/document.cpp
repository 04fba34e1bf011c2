#include "document/document.h"

#include "base/error.h"
#include "base/messages.h"

namespace tolvex {

void document_free(Document* document) {
  if (document != nullptr && document->free != nullptr) document->free(document);
}

void document_derive_amounts(Document* document) {
  if (document != nullptr && document->deriveAmounts != nullptr) document->deriveAmounts(document);
}

ErrorCode document_validate(const Document* document) {
  if (document == nullptr || document->validate == nullptr) {
    return report(messages::kDocumentCannotBeNull);
  }
  return document->validate(document);
}

}  // namespace tolvex
