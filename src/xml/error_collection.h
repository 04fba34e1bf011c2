// The messages libxml2 reports while one text is parsed, kept so that a text that is not XML
// can be reported with the parser's own words.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolvex {

class ErrorCollection {
 public:
  // Keeps a copy of text. Running out of memory drops the whole collection rather than letting an
  // exception cross libxml2's C frames.
  void append(std::string_view text, int line) noexcept;

  void clear() noexcept { entries_.clear(); }
  bool empty() const { return entries_.empty(); }

  // Each entry's text, then " line:", its line number, "," and a line feed.
  std::string text() const;

 private:
  struct Entry {
    std::string text;
    int line;
  };
  std::vector<Entry> entries_;
};

// The collection of the calling thread, so parses on different threads do not mix their messages.
ErrorCollection& xml_error_collection();

// Points both libxml2 error channels of the calling thread at its collection. They stay installed.
void xml_install_error_handlers();

}  // namespace tolvex
