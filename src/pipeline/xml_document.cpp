#include "base/memory_stream.h"
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
  if (document == nullptr) return set_error_message(ERROR_NULL_POINTER, "Document cannot be null. ");
  const FamilyFormat* format = family_format(document->header);
  if (format == nullptr) return set_error_message(ERROR_UNKNOWN_DOCUMENT, "Unknown document family. ");
  std::vector<std::string_view> names;
  for (std::size_t start = 0;;) {
    const std::size_t slash = path.find('/', start);
    names.push_back(path.substr(start, slash - start));
    if (slash == std::string_view::npos) break;
    start = slash + 1;
  }
  XmlTreeFinder finder(names);
  format->findXml(finder, *document);
  if (!finder.found()) return set_error(ERROR_ILLEGAL_ARGUMENT, path, " names no field of the document. ");
  if (value != nullptr) *value = finder.value();
  return ERROR_OK;
}

ErrorCode xml_write_document(const Document* document, std::string* text, std::size_t* length) {
  if (document == nullptr) return set_error_message(ERROR_NULL_POINTER, "Document cannot be null. ");
  const FamilyFormat* format = family_format(document->header);
  if (format == nullptr) return set_error_message(ERROR_XML, "Error in getting root and type");
  if (document->header.document_type() >= format->typeNames.size()) {
    return set_error_message(ERROR_XML, format->unknownTypeMessage);
  }
  if (document->header.version() != 0) {
    return set_error_message(ERROR_UNKNOWN_DOCUMENT, "Document version is not supported. ");
  }

  MemoryStream out;
  xml_write_root_start(out, format->root, format->typeNames[document->header.document_type()]);
  XmlTreeWriter writer(out);
  format->writeXml(writer, *document);
  xml_write_root_end(out, format->root);

  if (out.failed()) return set_error_message(ERROR_IO, "Not enough memory. ");
  std::string written = memory_stream_take_text(out);
  if (length != nullptr) *length = written.size();
  if (text != nullptr) *text = std::move(written);
  return ERROR_OK;
}

}  // namespace tolvex
