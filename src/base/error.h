// Recording failures into the last-error record of tolvex/error.hpp. Only the command line
// composes the record into a line. Sources record the texts of base/messages.h through report().
#pragma once

#include <string_view>

#include "tolvex/error.hpp"
#include "tolvex/result.hpp"

namespace tolvex {

// Records code, message and detail and returns the code. Never fails: texts that find no memory
// leave ERROR_IO "Not enough memory. " recorded and returned instead.
ErrorCode set_error(ErrorCode code, std::string_view message, std::string_view detail) noexcept;

// Records code and message with an empty detail and returns the code.
ErrorCode set_error_message(ErrorCode code, std::string_view message) noexcept;

// The calling thread's record as an Error value: what a Result hands its caller.
[[nodiscard]] Error recorded_error();

// The Error of a code that has just been recorded: recorded_error(), or a bare Error of the code
// when the record says otherwise.
[[nodiscard]] Error error_of(ErrorCode code);

}  // namespace tolvex
