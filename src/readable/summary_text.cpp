#include "readable/summary_text.h"

#include <algorithm>
#include <cstddef>

#include "readable/readable.h"

namespace tolvex {
namespace {

// A value that ends in spaces would leave them at the end of its line, unseen but there.
void append_line(std::string& text, std::string line) {
  line.erase(line.find_last_not_of(' ') + 1);
  text += line;
  text += '\n';
}

}  // namespace

void SummaryText::title(std::string_view title) { blocks_.push_back(Block{std::string(title), {}}); }

void SummaryText::line(std::string_view label, std::string_view value) {
  if (blocks_.empty()) blocks_.emplace_back();
  blocks_.back().lines.push_back(Line{std::string(label), std::string(value)});
}

std::string SummaryText::text() const {
  // One column for the values of the whole text, so that blocks of one document line up.
  std::size_t width = 0;
  for (const Block& block : blocks_) {
    for (const Line& line : block.lines) width = std::max(width, line.label.size());
  }
  std::string text;
  for (std::size_t b = 0; b < blocks_.size(); ++b) {
    const Block& block = blocks_[b];
    if (b > 0) text += '\n';
    if (!block.title.empty()) append_line(text, single_line(block.title));
    for (const Line& line : block.lines) {
      std::string out = line.label + ':';
      out.append(width - line.label.size() + 1, ' ');
      out += single_line(line.value);
      append_line(text, std::move(out));
    }
  }
  return text;
}

}  // namespace tolvex
