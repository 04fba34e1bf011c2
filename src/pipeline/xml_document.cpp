#include "base/guard.h"
#include "base/memory_stream.h"
#include "base/messages.h"
#include "pipeline/families.h"
#include "tolvex/xml.hpp"
#include "xml/xml_read.h"
#include "xml/xml_write.h"

namespace tolvex {

ErrorCode xml_read_document(const char* text, std::size_t length, DocumentPtr<>* document) {
  if (document != nullptr) document->reset();
  XmlDocPtr tree;
  if (const ErrorCode code = xml_parse(text, length, &tree)) return code;
  const xmlNode* root = xmlDocGetRootElement(tree.get());
  const FamilyFormat* format = family_format_of_root(root);
  // A root that names no family is no document; validating that absence reports it.
  if (format == nullptr) return ERROR_OK;
  return format->readXml(root, document);
}

ErrorCode document_field(const Document* document, std::string_view path, XmlFieldValue* value) {
  if (document == nullptr) return report(messages::kDocumentCannotBeNull);
  const FamilyFormat* format = family_format(document->header);
  if (format == nullptr) return report(messages::kUnknownDocumentFamily);
  std::vector<std::string_view> names;
  for (std::size_t start = 0;;) {
    const std::size_t slash = path.find('/', start);
    names.push_back(path.substr(start, slash - start));
    if (slash == std::string_view::npos) break;
    start = slash + 1;
  }
  XmlTreeFinder finder(names);
  format->findXml(finder, *document);
  if (!finder.found()) return report_field(path, messages::kNamesNoFieldOfTheDocument);
  if (value != nullptr) *value = finder.value();
  return ERROR_OK;
}

ErrorCode xml_write_document(const Document* document, std::string* text, std::size_t* length) {
  if (document == nullptr) return report(messages::kDocumentCannotBeNull);
  const FamilyFormat* format = family_format(document->header);
  if (format == nullptr) return report(messages::kErrorInGettingRootAndType);
  if (document->header.document_type() >= format->typeNames.size()) {
    return report(format->unknownTypeMessage);
  }
  if (document->header.version() != 0) {
    return report(messages::kDocumentVersionNotSupported);
  }

  MemoryStream out;
  xml_write_root_start(out, format->root, format->typeNames[document->header.document_type()]);
  XmlTreeWriter writer(out);
  format->writeXml(writer, *document);
  xml_write_root_end(out, format->root);

  if (out.failed()) return report(messages::kNotEnoughMemory);
  std::string written = memory_stream_take_text(out);
  if (length != nullptr) *length = written.size();
  if (text != nullptr) *text = std::move(written);
  return ERROR_OK;
}

Result<DocumentPtr<>> read_xml(std::string_view xml) {
  return guarded_result<DocumentPtr<>>([&](DocumentPtr<>& document) {
    if (const ErrorCode code = xml_read_document(xml.data(), xml.size(), &document)) return code;
    return document ? ERROR_OK : document_validate(nullptr);
  });
}

Result<std::string> to_xml(const Document& document) {
  return guarded_result<std::string>(
      [&](std::string& text) { return xml_write_document(&document, &text, nullptr); });
}

Result<XmlFieldValue> document_field(const Document& document, std::string_view path) {
  return guarded_result<XmlFieldValue>(
      [&](XmlFieldValue& value) { return document_field(&document, path, &value); });
}

}  // namespace tolvex
