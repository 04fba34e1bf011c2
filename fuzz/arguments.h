// A fuzz input as a command line: one argument a line.
#pragma once

#include <algorithm>
#include <string_view>
#include <vector>

namespace tolvex::fuzz {

inline std::vector<std::string_view> split_lines(std::string_view input) {
  std::vector<std::string_view> arguments;
  for (std::size_t start = 0; start <= input.size();) {
    const std::size_t end = std::min(input.find('\n', start), input.size());
    arguments.push_back(input.substr(start, end - start));
    start = end + 1;
  }
  return arguments;
}

}  // namespace tolvex::fuzz
