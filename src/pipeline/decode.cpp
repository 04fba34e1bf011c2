#include "tolvex/decode.hpp"

#include "base/guard.h"

#include <string_view>

#include "base/messages.h"
#include "codec/container.h"
#include "codec/field_buffer.h"
#include "pipeline/serialise.h"
#include "tolvex/xml.hpp"

namespace tolvex {

ErrorCode decode_document(const char* text, std::size_t length, DocumentPtr<>* document) {
  if (length < 4) return report(messages::kHeaderNotFound);
  if (document == nullptr) return report(messages::kDocumentPointerCannotBeNull);

  FieldBuffer buffer;
  std::string fields;
  if (const ErrorCode code = container_decode(text, length, &buffer.header, &fields)) return code;
  // The payload is a zero-terminated text: a zero byte, which no encoder writes, ends it.
  field_buffer_split(buffer, std::string_view(fields).substr(0, fields.find('\0')));

  DocumentPtr<> decoded;
  if (const ErrorCode code = deserialise_document(buffer, &decoded)) return code;
  if (const ErrorCode code = document_validate(decoded.get())) return code;
  document_derive_amounts(decoded.get());
  *document = std::move(decoded);
  return ERROR_OK;
}

ErrorCode decode_to_xml(const char* text, std::size_t length, std::string* xml, std::size_t* xmlLength) {
  if (xml == nullptr) return report(messages::kXmlPointerCannotBeNull);
  DocumentPtr<> document;
  if (const ErrorCode code = decode_document(text, length, &document)) return code;
  return xml_write_document(document.get(), xml, xmlLength);
}

Result<DocumentPtr<>> decode(std::string_view text) {
  return guarded_result<DocumentPtr<>>(
      [&](DocumentPtr<>& document) { return decode_document(text.data(), text.size(), &document); });
}

}  // namespace tolvex
