#include "tolvex/encode.hpp"

#include "base/guard.h"
#include "base/messages.h"
#include "codec/container.h"
#include "codec/field_buffer.h"
#include "pipeline/serialise.h"
#include "tolvex/xml.hpp"

namespace tolvex {

ErrorCode encode_document(const Document* document, std::string* text) {
  if (text == nullptr) return report(messages::kBase32hexPointerCannotBeNull);
  if (const ErrorCode code = document_validate(document)) return code;
  FieldBuffer buffer;
  if (const ErrorCode code = serialise_document(buffer, document)) return code;
  if (const ErrorCode code = check_sequence_limit(buffer, serialisation_settings())) return code;
  return container_encode(buffer.header, field_buffer_join(buffer), text);
}

ErrorCode encode_xml(const char* xml, std::size_t length, std::string* text) {
  return encode_xml_keep_document(xml, length, text, nullptr, true);
}

ErrorCode encode_xml_keep_document(const char* xml, std::size_t length, std::string* text,
                                   DocumentPtr<>* document, bool drop) {
  if (text == nullptr) return report(messages::kBase32hexCannotBeNull);
  DocumentPtr<> read;
  if (const ErrorCode code = xml_read_document(xml, length, &read)) return code;
  // A root that names no family leaves no document; validation reports that.
  if (const ErrorCode code = encode_document(read.get(), text)) return code;
  if (document == nullptr) return ERROR_OK;
  if (drop) {
    document->reset();
  } else {
    *document = std::move(read);
  }
  return ERROR_OK;
}

Result<std::string> encode_xml(std::string_view xml) {
  return guarded_result<std::string>(
      [&](std::string& text) { return encode_xml(xml.data(), xml.size(), &text); });
}

Result<std::string> encode(const Document& document) {
  return guarded_result<std::string>([&](std::string& text) { return encode_document(&document, &text); });
}

}  // namespace tolvex
