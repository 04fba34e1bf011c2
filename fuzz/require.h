// A failed property stops the run like a crash does, so that libFuzzer saves the input.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace tolvex::fuzz {

inline void require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "property does not hold: %s\n", property);
  std::abort();
}

}  // namespace tolvex::fuzz
