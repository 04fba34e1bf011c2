#include "json/json_value.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <utility>

#include "base/messages.h"

namespace tolvex {
namespace {

using Json = nlohmann::json;
using Kind = JsonValue::Kind;

// Builds the tree from nlohmann's SAX events. The parser itself keeps no recursion, and the
// builder refuses to open a container past the depth bound, so nesting costs neither stack
// nor unbounded memory.
class TreeBuilder {
 public:
  explicit TreeBuilder(JsonValue& root) : root_(root) {}

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
  bool key(Json::string_t& name) {
    key_ = std::move(name);
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
        parent.members.push_back(JsonMember{std::move(key_), {}});
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
    open_.push_back(add(kind, {}));
    return true;
  }

  bool close() {
    open_.pop_back();
    return true;
  }

  JsonValue& root_;
  std::vector<JsonValue*> open_;
  std::string key_;
  std::string detail_;
  bool tooDeep_ = false;
};

}  // namespace

ErrorCode json_parse(std::string_view text, JsonValue* root) {
  if (text.size() > kJsonMaxSize) return report(messages::kJsonTooLarge);
  JsonValue parsed;
  TreeBuilder builder(parsed);
  if (!Json::sax_parse(text.begin(), text.end(), &builder)) return builder.failure();
  if (root != nullptr) *root = std::move(parsed);
  return ERROR_OK;
}

}  // namespace tolvex
