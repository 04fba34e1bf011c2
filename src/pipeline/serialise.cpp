#include "pipeline/serialise.h"

#include "pipeline/families.h"

namespace tolvex {

ErrorCode serialise_document(FieldBuffer& buffer, const Document* document) {
  if (document == nullptr) return set_error_message(ERROR_NULL_POINTER, "Document cannot be NULL.");
  buffer.header = document->header;
  if (const FamilyFormat* format = family_format(document->header)) format->serialise(buffer, *document);
  return ERROR_OK;
}

ErrorCode deserialise_document(FieldBuffer& buffer, DocumentPtr<>* document) {
  if (document == nullptr) return set_error_message(ERROR_NULL_POINTER, "Document pointer cannot be NULL. ");
  const FamilyFormat* format = family_format(buffer.header);
  if (format == nullptr) return set_error_message(ERROR_UNKNOWN_DOCUMENT, "Unknown document family. ");
  DocumentPtr<> rebuilt = format->deserialise(buffer);
  // Version, document type and reserved bits included.
  rebuilt->header = buffer.header;
  *document = std::move(rebuilt);
  return ERROR_OK;
}

}  // namespace tolvex
