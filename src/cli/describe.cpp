#include "cli/describe.h"

#include <string>

#include "tolvex/decode.hpp"
#include "tolvex/summary.hpp"

namespace tolvex {

void describe(std::string_view text, PictureOptions& options) {
  const Result<DocumentPtr<>> document = decode(text);
  if (!document) return;
  Result<std::string> summary = tolvex::summary(**document);
  if (!summary) return;
  std::string description = std::move(*summary);
  while (!description.empty() && description.back() == '\n') description.pop_back();
  options.title = description.substr(0, description.find('\n'));
  options.description = std::move(description);
}

}  // namespace tolvex
