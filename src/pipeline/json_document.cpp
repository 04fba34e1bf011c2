// A whole document to and from its JSON form: {"<root element>": {"type": ..., fields...}}.
#include <string>

#include "base/guard.h"
#include "base/messages.h"
#include "json/json_tree.h"
#include "json/json_value.h"
#include "pipeline/families.h"
#include "tolvex/encode.hpp"
#include "tolvex/json.hpp"

namespace tolvex {
namespace {

ErrorCode json_read_document(std::string_view text, DocumentPtr<>& document) {
  JsonValue root;
  if (const ErrorCode code = json_parse(text, &root)) return code;
  // Exactly one member, so the family is never a guess between two.
  if (root.kind != JsonValue::Kind::object || root.members.size() != 1) {
    return report(messages::kJsonNotADocument);
  }
  const JsonMember& member = root.members.front();
  const FamilyFormat* format = family_format_of_root_name(member.name);
  if (format == nullptr) return report(messages::kJsonNotADocument);
  const std::string path = "/" + member.name;
  if (member.value.kind != JsonValue::Kind::object) return report_field(path, messages::kJsonNotAnObject);
  return format->readJson(member.value, path, &document);
}

// The checks of XML writing, in its order, so that a document fails alike in both forms.
ErrorCode json_write_document(const Document& document, std::string& text) {
  const FamilyFormat* format = family_format(document.header);
  if (format == nullptr) return report(messages::kErrorInGettingRootAndType);
  if (document.header.document_type() >= format->typeNames.size()) {
    return report(format->unknownTypeMessage);
  }
  if (document.header.version() != 0) return report(messages::kDocumentVersionNotSupported);

  std::string out = "{";
  JsonTreeWriter root(out);
  root.object(format->root, [&](JsonTreeWriter& inner) {
    inner.word("type", format->typeNames[document.header.document_type()]);
    format->writeJson(inner, document);
  });
  out += '}';
  if (const ErrorCode code = root.result()) return code;
  text = std::move(out);
  return ERROR_OK;
}

}  // namespace

Result<DocumentPtr<>> read_json(std::string_view json) {
  return guarded_result<DocumentPtr<>>([&](DocumentPtr<>& document) { return json_read_document(json, document); });
}

Result<std::string> to_json(const Document& document) {
  return guarded_result<std::string>([&](std::string& text) { return json_write_document(document, text); });
}

Result<std::string> encode_json(std::string_view json) {
  Result<DocumentPtr<>> document = read_json(json);
  if (!document) return std::move(document).error();
  return encode(**document);
}

}  // namespace tolvex
