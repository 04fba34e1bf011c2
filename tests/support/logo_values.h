// Every logo placement and colour, for tests that go through all of them.
#pragma once

#include <array>
#include <cstdint>

#include "image/logo_layout.h"

namespace tolvex::test {

inline constexpr std::array<LogoRotation, 4> kAllRotations = {LogoRotation::bottom, LogoRotation::top,
                                                              LogoRotation::left, LogoRotation::right};
inline constexpr std::array<LogoVariation, 4> kAllVariations = {LogoVariation::dark, LogoVariation::medium,
                                                                LogoVariation::light, LogoVariation::gray};

// A rotation or variation given by its index, as the C interface passes them, in range or not.
constexpr LogoRotation rotation_index(std::int32_t index) { return static_cast<LogoRotation>(index); }
constexpr LogoVariation variation_index(std::int32_t index) { return static_cast<LogoVariation>(index); }

}  // namespace tolvex::test
