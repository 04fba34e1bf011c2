#include "json/json_value.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <nlohmann/json.hpp>
#include <utility>

#include "base/messages.h"

namespace tolvex {
namespace {

using Json = nlohmann::json;
using Kind = JsonValue::Kind;

// The text's characters as the parser reads them, one at a time, each read leaving behind it
// how far the parser has come: so that each event knows where its token lies.
class ReadingIterator {
 public:
  using iterator_category = std::forward_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  ReadingIterator() = default;
  ReadingIterator(const char* at, const char** reached) : at_(at), reached_(reached) {}
  reference operator*() const { return *at_; }
  ReadingIterator& operator++() {
    *reached_ = ++at_;
    return *this;
  }
  ReadingIterator operator++(int) {
    ReadingIterator before = *this;
    ++*this;
    return before;
  }
  bool operator==(const ReadingIterator& other) const { return at_ == other.at_; }

 private:
  const char* at_ = nullptr;
  const char** reached_ = nullptr;
};

// Builds the tree from nlohmann's SAX events. The parser itself keeps no recursion, and the
// builder refuses to open a container past the depth bound, so nesting costs neither stack
// nor unbounded memory.
class TreeBuilder {
 public:
  // reached: past the last character the parser has read of text.
  TreeBuilder(JsonValue& root, std::string_view text, const char* const& reached)
      : root_(root), text_(text), reached_(reached) {}

  bool null() { return add(Kind::null, {}) != nullptr; }
  bool boolean(bool value) { return add(Kind::boolean, value ? "true" : "false") != nullptr; }
  bool number_integer(Json::number_integer_t value) { return add(Kind::number, std::to_string(value)) != nullptr; }
  bool number_unsigned(Json::number_unsigned_t value) {
    return add(Kind::number, std::to_string(value)) != nullptr;
  }
  bool number_float(Json::number_float_t /*value*/, const Json::string_t& token) {
    return add(Kind::number, token) != nullptr;
  }
  bool string(Json::string_t& value) { return add(Kind::string, std::move(value)) != nullptr; }
  bool binary(Json::binary_t& /*value*/) { return false; }  // JSON text has none
  bool start_object(std::size_t /*size*/) { return open(Kind::object); }
  // The key's closing quote is the last character read; its opening quote is the first one
  // before it that no backslash escapes.
  bool key(Json::string_t& name) {
    key_ = std::move(name);
    std::size_t at = read() - 1;
    while (at > 0) {
      --at;
      if (text_[at] != '"') continue;
      std::size_t backslashes = 0;
      while (backslashes < at && text_[at - 1 - backslashes] == '\\') ++backslashes;
      if (backslashes % 2 == 0) break;
    }
    keyOffset_ = at;
    return true;
  }
  bool end_object() { return close(); }
  bool start_array(std::size_t /*size*/) { return open(Kind::array); }
  bool end_array() { return close(); }

  bool parse_error(std::size_t position, const std::string& /*lastToken*/, const nlohmann::detail::exception& error) {
    detail_ = error.what();
    // A syntax error names its line and column; an out-of-range number names no place.
    if (dynamic_cast<const nlohmann::detail::parse_error*>(&error) == nullptr) {
      detail_.append(messages::kJsonAtByte.text).append(std::to_string(position));
    }
    return false;
  }

  [[nodiscard]] ErrorCode failure() const {
    if (tooDeep_) return report(messages::kJsonTooDeep);
    return report(messages::kJsonCannotBeRead, detail_);
  }

 private:
  // The new value in its place: the root, the next item of the open array, or the member of
  // the open object under the last key. Only the innermost open container grows, so the
  // pointers to those around it stay valid.
  JsonValue* add(Kind kind, std::string text) {
    JsonValue* value = &root_;
    if (!open_.empty()) {
      JsonValue& parent = *open_.back();
      if (parent.kind == Kind::array) {
        value = &parent.items.emplace_back();
      } else {
        parent.members.push_back(JsonMember{std::move(key_), {}, keyOffset_});
        value = &parent.members.back().value;
      }
    }
    value->kind = kind;
    value->text = std::move(text);
    return value;
  }

  bool open(Kind kind) {
    if (open_.size() >= kJsonMaxDepth) {
      tooDeep_ = true;
      return false;
    }
    JsonValue* value = add(kind, {});
    // The bracket is the last character read.
    value->offset = read() - 1;
    open_.push_back(value);
    return true;
  }

  bool close() {
    open_.pop_back();
    return true;
  }

  [[nodiscard]] std::size_t read() const { return static_cast<std::size_t>(reached_ - text_.data()); }

  JsonValue& root_;
  std::string_view text_;
  const char* const& reached_;
  std::vector<JsonValue*> open_;
  std::string key_;
  std::size_t keyOffset_ = 0;
  std::string detail_;
  bool tooDeep_ = false;
};

}  // namespace

ErrorCode json_parse(std::string_view text, JsonValue* root) {
  if (text.size() > kJsonMaxSize) return report(messages::kJsonTooLarge);
  JsonValue parsed;
  const char* reached = text.data();
  TreeBuilder builder(parsed, text, reached);
  const char* const end = text.data() + text.size();
  if (!Json::sax_parse(ReadingIterator(text.data(), &reached), ReadingIterator(end, &reached), &builder)) {
    return builder.failure();
  }
  if (root != nullptr) *root = std::move(parsed);
  return ERROR_OK;
}

}  // namespace tolvex
