// A code found, as JSON: the object `tolvex read --json` lists and the service's reading answers.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "tolvex/scan.hpp"

namespace tolvex {

// {"file", "page", "tolvex", "text", then "document" (its JSON form) or "error" (the error line)}.
[[nodiscard]] nlohmann::ordered_json scanned_code_json(const std::string& file, const ScannedCode& code);

}  // namespace tolvex
