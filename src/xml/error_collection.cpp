#include "xml/error_collection.h"

#include <libxml/xmlerror.h>

#include <new>

namespace tolvex {
namespace {

thread_local ErrorCollection collection;

// Messages of the generic channel come without a position; they are printed with line 0.
constexpr int kGenericChannelLine = 0;

// The format is kept as it comes: its arguments are not needed to tell what went wrong, and
// formatting them would mean trusting a variadic call from C.
void collect_generic(void* /*context*/, const char* message, ...) {
  if (message != nullptr) collection.append(message, kGenericChannelLine);
}

// A template because libxml2 2.12 made the error pointer const; the handler's type decides.
template <typename ErrorPointer>
void collect_structured(void* /*context*/, ErrorPointer error) {
  if (error != nullptr && error->message != nullptr) collection.append(error->message, error->line);
}

}  // namespace

void ErrorCollection::append(std::string_view text, int line) noexcept {
  try {
    entries_.push_back(Entry{std::string(text), line});
  } catch (const std::bad_alloc&) {
    entries_.clear();
  }
}

std::string ErrorCollection::text() const {
  std::string text;
  for (const Entry& entry : entries_) {
    text.append(entry.text).append(" line:").append(std::to_string(entry.line)).append(",\n");
  }
  return text;
}

ErrorCollection& xml_error_collection() { return collection; }

void xml_install_error_handlers() {
  xmlSetGenericErrorFunc(nullptr, collect_generic);
  xmlSetStructuredErrorFunc(nullptr, collect_structured);
}

}  // namespace tolvex
