// GF(256) arithmetic for the tests, by shifts and additions: independent of the encoder's log
// and antilog tables, which the tests check against it.
#pragma once

#include <cstdint>

namespace tolvex::test {

// Product modulo x^8 + x^4 + x^3 + x^2 + 1.
inline std::uint8_t gf_multiply(std::uint8_t a, std::uint8_t b) {
  unsigned product = 0;
  unsigned shifted = a;
  for (unsigned bits = b; bits != 0; bits >>= 1) {
    if (bits & 1u) product ^= shifted;
    shifted <<= 1;
    if (shifted & 0x100u) shifted ^= 0x11Du;
  }
  return static_cast<std::uint8_t>(product);
}

inline std::uint8_t gf_power_of_alpha(int exponent) {
  std::uint8_t value = 1;
  for (int i = 0; i < exponent; ++i) value = gf_multiply(value, 2);
  return value;
}

}  // namespace tolvex::test
