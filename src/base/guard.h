// No exception leaves the library: the bodies of its entries run inside these guards.
#pragma once

#include <new>
#include <optional>
#include <stdexcept>
#include <utility>

#include "base/error.h"
#include "base/messages.h"

namespace tolvex {

// Runs a body that returns an ErrorCode. A failed allocation anywhere below becomes ERROR_IO
// "Not enough memory. ", any other exception ERROR_IO "Unexpected failure. "; the thread's
// state stays as the unwinding left it, which RAII keeps consistent.
template <typename Body>
ErrorCode guarded(Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (const std::bad_alloc&) {
    return report(messages::kNotEnoughMemory);
  } catch (const std::length_error&) {
    return report(messages::kNotEnoughMemory);
  } catch (...) {
    return report(messages::kUnexpectedFailure);
  }
}

// The Result of a body that fills a value and returns an ErrorCode, run inside guarded().
template <typename T, typename Body>
Result<T> guarded_result(Body&& body) {
  std::optional<T> value;
  const ErrorCode code = guarded([&] {
    value.emplace();
    return body(*value);
  });
  if (code != ERROR_OK) return error_of(code);
  return std::move(*value);
}

// As guarded_result, for a body with no value to give.
template <typename Body>
Result<void> guarded_status(Body&& body) {
  if (const ErrorCode code = guarded(std::forward<Body>(body))) return error_of(code);
  return {};
}

}  // namespace tolvex
