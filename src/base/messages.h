// Every fixed text the library records with a failure, each with the code it goes with. The
// texts are part of the tools' observable output (golden tests hold every error line byte for
// byte, trailing spaces included): change one only where the change is meant to be seen.
// Sources name an entry of this table and never write a message literal of their own.
#pragma once

#include <span>
#include <string_view>

#include "base/error.h"

namespace tolvex {

struct Message {
  ErrorCode code;         // the code the text is recorded with
  std::string_view text;  // exactly as recorded
};

namespace messages {

inline constexpr Message kNotEnoughMemory{ERROR_IO, "Not enough memory. "};
// The scanning entries of a library built with TOLVEX_READERS=OFF.
inline constexpr Message kReadingNotBuilt{ERROR_ILLEGAL_ARGUMENT, "Reading codes is not built in. "};

}  // namespace messages

// Records the message with an empty detail and returns its code.
ErrorCode report(const Message& message) noexcept;

// Records the message and what it is about, and returns its code.
ErrorCode report(const Message& message, std::string_view detail) noexcept;

// Records a field's failure as the tools have always shown it: the element's name in the place
// of the message, the fixed text as the detail ("Amount Invalid integer format.").
ErrorCode report_field(std::string_view name, const Message& message) noexcept;

}  // namespace tolvex
