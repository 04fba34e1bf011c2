#include "scan/scan_report.h"

#include "tolvex/decode.hpp"
#include "tolvex/json.hpp"

namespace tolvex {

nlohmann::ordered_json scanned_code_json(const std::string& file, const ScannedCode& code) {
  nlohmann::ordered_json object{{"file", file}, {"page", code.page}, {"tolvex", code.tolvex}, {"text", code.text}};
  if (code.code == ERROR_OK) {
    const Result<DocumentPtr<>> document = decode(code.text);
    const Result<std::string> json = document ? to_json(**document) : Result<std::string>(document.error());
    if (json) {
      object["document"] = nlohmann::ordered_json::parse(*json, nullptr, false);
      return object;
    }
    object["error"] = json.error().line;
    return object;
  }
  object["error"] = code.error;
  return object;
}

}  // namespace tolvex
