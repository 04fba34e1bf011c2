// The version of the library and of every tool built with it.
#pragma once

#include <string_view>

namespace tolvex {

inline constexpr std::string_view kVersion = "1.0.10";

}  // namespace tolvex
