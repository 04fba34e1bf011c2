// The layout of every summary: blocks, each a title line and "Label: value" lines, the values
// of the whole text starting in one column, blocks separated by one blank line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tolvex/value.hpp"

namespace tolvex {

class SummaryText {
 public:
  // Starts a new block under a title line.
  void title(std::string_view title);

  // A "Label: value" line in the current block (a block without a title when none is started).
  void line(std::string_view label, std::string_view value);

  // Only a present text gives a line; an empty one gives the label alone.
  void optional_line(std::string_view label, const Text& value) {
    if (value) line(label, *value);
  }

  // The whole text: control characters of titles and values shown as spaces, no line ending in
  // a space, every line ending in "\n".
  [[nodiscard]] std::string text() const;

 private:
  struct Line {
    std::string label;
    std::string value;
  };
  struct Block {
    std::string title;
    std::vector<Line> lines;
  };
  std::vector<Block> blocks_;
};

}  // namespace tolvex
