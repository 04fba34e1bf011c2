#include "base/messages.h"

#include <new>
#include <string>

namespace tolvex {

ErrorCode report(const Message& message) noexcept { return set_error_message(message.code, message.text); }

ErrorCode report(const Message& message, std::string_view detail) noexcept {
  return set_error(message.code, message.text, detail);
}

ErrorCode report_field(std::string_view name, const Message& message) noexcept {
  return set_error(message.code, name, message.text);
}

ErrorCode report_around(const Message& opening, std::string_view value, const Message& closing) noexcept {
  try {
    std::string text;
    text.reserve(opening.text.size() + value.size() + closing.text.size());
    text.append(opening.text).append(value).append(closing.text);
    return set_error_message(opening.code, text);
  } catch (const std::bad_alloc&) {
    return report(messages::kNotEnoughMemory);
  }
}

}  // namespace tolvex
