// What every C entry shares: no exception crosses into C, and what the library hands out is
// malloc'd for the caller to release with tolvex_free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "base/guard.h"
#include "base/messages.h"

namespace tolvex::capi {

// The body of a C entry runs inside the library's guard: no exception crosses into C.
using tolvex::guarded;

// For entries without a code to return (settings, releasing): a failure leaves things as they
// were and is recorded.
template <typename Body>
void guarded_void(Body&& body) noexcept {
  (void)guarded([&] {
    body();
    return ERROR_OK;
  });
}

// Hands bytes to the caller as a malloc'd block with a terminating NUL after them.
[[nodiscard]] ErrorCode hand_out(const void* bytes, std::size_t size, void** out) noexcept;
[[nodiscard]] ErrorCode hand_out_text(std::string_view text, char** out, std::size_t* length) noexcept;
[[nodiscard]] ErrorCode hand_out_bytes(const std::vector<std::uint8_t>& bytes, unsigned char** data,
                                       std::int32_t* size) noexcept;

// Records the message (an ERROR_NULL_POINTER one) when pointer is null.
[[nodiscard]] ErrorCode require(const void* pointer, const Message& message) noexcept;

}  // namespace tolvex::capi
