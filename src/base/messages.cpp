#include "base/messages.h"

namespace tolvex {

ErrorCode report(const Message& message) noexcept { return set_error_message(message.code, message.text); }

ErrorCode report(const Message& message, std::string_view detail) noexcept {
  return set_error(message.code, message.text, detail);
}

ErrorCode report_field(std::string_view name, const Message& message) noexcept {
  return set_error(message.code, name, message.text);
}

}  // namespace tolvex
