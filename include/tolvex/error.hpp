// The error codes and the calling thread's last failure, through which every operation reports.
//
// A failing operation records its code and texts and returns the code; a nonzero code passes
// upward unchanged, so the first failure on a path decides what the caller reads.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Marks the entries that the option-taking, Result-giving ones replace; they are removed at 2.0.
// The library's own sources, which still implement them, are built without the warning.
#if defined(TOLVEX_IMPLEMENTATION)
#define TOLVEX_DEPRECATED(replacement)
#else
#define TOLVEX_DEPRECATED(replacement) [[deprecated("use " replacement)]]
#endif

namespace tolvex {

using ErrorCode = std::int32_t;

// The names the tools print and the C interface's enum carry; Errc (result.hpp) is the
// vocabulary going forward. NOLINTBEGIN(readability-identifier-naming)
inline constexpr ErrorCode ERROR_OK = 0;
inline constexpr ErrorCode ERROR_IO = -3;
inline constexpr ErrorCode ERROR_NULL_POINTER = -2;
inline constexpr ErrorCode ERROR_ILLEGAL_ARGUMENT = -1;
inline constexpr ErrorCode ERROR_BASE32HEX = 1;
inline constexpr ErrorCode ERROR_CHECKSUM = 2;
inline constexpr ErrorCode ERROR_COMPRESSION = 3;
inline constexpr ErrorCode ERROR_INVALID_VALUE = 4;
inline constexpr ErrorCode ERROR_BAD_FORMAT = 5;
inline constexpr ErrorCode ERROR_MAX_PRIORITY_REACHED = 6;
inline constexpr ErrorCode ERROR_SEQUENCE_LIMIT_EXCEEDED = 7;
inline constexpr ErrorCode ERROR_UNKNOWN_DOCUMENT = 8;
inline constexpr ErrorCode ERROR_XML = 9;
inline constexpr ErrorCode ERROR_MISSING_LOGO = 10;
inline constexpr ErrorCode ERROR_QR = 11;
// NOLINTEND(readability-identifier-naming)

// The prefix that opens the error line of a code: "ERROR_XML: " and so on,
// "" for success and "TOLVEX_ERROR_UNKNOWN" for codes outside -3..11.
std::string_view error_prefix(ErrorCode code);

// The error line of the current record: prefix, message, a separating space unless the
// detail starts with one, and the detail. Has no line end.
std::string error_line();

// The raw record, for callers that want the code or texts on their own.
struct LastError {
  ErrorCode code = ERROR_OK;
  std::string message;
  std::string detail;
};
const LastError& last_error();

}  // namespace tolvex
