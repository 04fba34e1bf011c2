#include "scan/pdf_images.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "base/messages.h"
#include "scan/picture_load.h"

namespace tolvex {
namespace {

// A stream's dictionary is looked for this far back from its stream keyword, and never past the
// keyword before it, so that the whole search reads each byte a bounded number of times.
constexpr std::size_t kMaxDictionaryBytes = 64 * 1024;
// References to integer objects followed in one document, each a search of the whole file.
constexpr int kMaxReferencesFollowed = 64;

bool is_space(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; }

bool is_delimiter(char c) {
  return is_space(c) || std::strchr("()<>[]{}/%", c) != nullptr;
}

// The position just past the name at, when the text has it there as a whole name.
std::size_t name_end(std::string_view text, std::size_t at, std::string_view name) {
  if (text.substr(at, name.size()) != name) return std::string_view::npos;
  const std::size_t end = at + name.size();
  return end == text.size() || is_delimiter(text[end]) ? end : std::string_view::npos;
}

std::size_t skip_space(std::string_view text, std::size_t at) {
  while (at < text.size() && is_space(text[at])) ++at;
  return at;
}

// The unsigned integer at, or -1; at moves past it.
std::int64_t integer(std::string_view text, std::size_t* at) {
  std::size_t i = *at;
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value > (INT64_MAX - 9) / 10) return -1;
    value = value * 10 + (text[i] - '0');
  }
  if (i == *at) return -1;
  *at = i;
  return value;
}

// The integer value of key in the dictionary: written there, or "N G R" naming an object whose
// body is an integer, while references remain to be followed.
std::int64_t integer_value(std::string_view document, std::string_view dictionary, std::string_view key,
                           int* references) {
  for (std::size_t at = dictionary.find(key); at != std::string_view::npos; at = dictionary.find(key, at + 1)) {
    std::size_t i = name_end(dictionary, at, key);
    if (i == std::string_view::npos) continue;
    i = skip_space(dictionary, i);
    const std::int64_t value = integer(dictionary, &i);
    if (value < 0) return -1;
    std::size_t j = skip_space(dictionary, i);
    const std::int64_t generation = integer(dictionary, &j);
    j = skip_space(dictionary, j);
    if (generation < 0 || j >= dictionary.size() || dictionary[j] != 'R') return value;
    if (*references <= 0) return -1;
    --*references;
    const std::string object = std::to_string(value) + " " + std::to_string(generation) + " obj";
    for (std::size_t o = document.find(object); o != std::string_view::npos; o = document.find(object, o + 1)) {
      if (o > 0 && !is_space(document[o - 1])) continue;
      std::size_t k = skip_space(document, o + object.size());
      return integer(document, &k);
    }
    return -1;
  }
  return -1;
}

bool is_image(std::string_view dictionary) {
  for (std::size_t at = dictionary.find("/Subtype"); at != std::string_view::npos;
       at = dictionary.find("/Subtype", at + 1)) {
    const std::size_t end = name_end(dictionary, at, "/Subtype");
    if (end != std::string_view::npos &&
        name_end(dictionary, skip_space(dictionary, end), "/Image") != std::string_view::npos) {
      return true;
    }
  }
  return false;
}

}  // namespace

PdfImageSize pdf_image_size(std::string_view document, std::string_view dictionary, int* references) {
  if (!is_image(dictionary)) return {};
  const std::int64_t width = integer_value(document, dictionary, "/Width", references);
  return {width, integer_value(document, dictionary, "/Height", references)};
}

namespace {

// Hands each dictionary that ends right before a "stream" keyword to look, in the document's
// order, until look returns false.
void for_each_stream_dictionary(std::string_view document,
                                const std::function<bool(std::string_view)>& look) {
  std::size_t previous = 0;  // just past the keyword before
  for (std::size_t at = document.find("stream"); at != std::string_view::npos;
       previous = at + 6, at = document.find("stream", at + 1)) {
    // The dictionary closes right before the keyword; its opening is found by counting the
    // nested dictionaries back from there.
    std::size_t end = at;
    while (end > 0 && is_space(document[end - 1])) --end;
    if (end < 2 || document.substr(end - 2, 2) != ">>") continue;
    const std::size_t stop = std::max(previous, end > kMaxDictionaryBytes ? end - kMaxDictionaryBytes : 0);
    std::size_t i = end;
    int depth = 0;
    bool opened = false;
    while (i >= stop + 2 && !opened) {
      const std::string_view pair = document.substr(i - 2, 2);
      if (pair == ">>") {
        ++depth;
        i -= 2;
      } else if (pair == "<<") {
        opened = --depth == 0;
        i -= 2;
      } else {
        --i;
      }
    }
    if (opened && !look(document.substr(i, end - i))) return;
  }
}

std::string_view as_text(const std::uint8_t* bytes, std::size_t size) {
  return {reinterpret_cast<const char*>(bytes), size};
}

}  // namespace

ErrorCode pdf_check_image_sizes(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view document = as_text(bytes, size);
  int references = kMaxReferencesFollowed;
  bool tooLarge = false;
  for_each_stream_dictionary(document, [&](std::string_view dictionary) {
    const PdfImageSize claimed = pdf_image_size(document, dictionary, &references);
    // Not an image, or a size poppler refuses itself.
    if (claimed.width <= 0 || claimed.height <= 0) return true;
    tooLarge = check_picture_size(claimed.width, claimed.height) != ERROR_OK;
    return !tooLarge;
  });
  return tooLarge ? report(messages::kPdfImageTooLarge) : ERROR_OK;
}

bool pdf_has_image_objects(const std::uint8_t* bytes, std::size_t size) {
  bool found = false;
  for_each_stream_dictionary(as_text(bytes, size), [&found](std::string_view dictionary) {
    found = is_image(dictionary);
    return !found;
  });
  return found;
}

}  // namespace tolvex
