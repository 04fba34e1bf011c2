// TEMPORARY stand-ins for the JSON form, until its real definitions land; removed as soon as they
// do. read_json refuses every input, to_json wraps the XML in a one-member object.
#include <string>

#include "base/guard.h"
#include "base/messages.h"
#include "tolvex/encode.hpp"
#include "tolvex/json.hpp"
#include "tolvex/xml.hpp"

namespace tolvex {

Result<DocumentPtr<>> read_json(std::string_view) {
  return error_of(report(messages::kUnexpectedFailure));
}

Result<std::string> to_json(const Document& document) {
  Result<std::string> xml = to_xml(document);
  if (!xml) return xml;
  std::string json = "{\"xml\": \"";
  for (const char c : *xml) {
    if (c == '"' || c == '\\') json += '\\';
    if (c == '\n') {
      json += "\\n";
      continue;
    }
    json += c;
  }
  return json + "\"}";
}

Result<std::string> encode_json(std::string_view json) {
  Result<DocumentPtr<>> document = read_json(json);
  if (!document) return std::move(document).error();
  return encode(**document);
}

}  // namespace tolvex
