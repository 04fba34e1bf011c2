#include "pipeline/serialise.h"

#include "base/messages.h"
#include "pipeline/families.h"

namespace tolvex {

ErrorCode serialise_document(FieldBuffer& buffer, const Document* document) {
  if (document == nullptr) return report(messages::kDocumentToSerialiseCannotBeNull);
  buffer.header = document->header;
  if (const FamilyFormat* format = family_format(document->header)) format->serialise(buffer, *document);
  return ERROR_OK;
}

ErrorCode deserialise_document(FieldBuffer& buffer, DocumentPtr<>* document) {
  if (document == nullptr) return report(messages::kDocumentPointerCannotBeNull);
  const FamilyFormat* format = family_format(buffer.header);
  if (format == nullptr) return report(messages::kUnknownDocumentFamily);
  DocumentPtr<> rebuilt = format->deserialise(buffer);
  // Version, document type and reserved bits included.
  rebuilt->header = buffer.header;
  *document = std::move(rebuilt);
  return ERROR_OK;
}

}  // namespace tolvex
