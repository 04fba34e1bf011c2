// The JSON form of a record's tree: JsonTreeReader and JsonTreeWriter take the same description
// of a record as XmlTreeReader and XmlTreeWriter (its element names, kinds and words), so every
// field has its JSON form without a line of its own.
//
// A record is an object whose members are named as its elements; a list is an array of item
// objects; texts are strings, integers and decimals numbers (decimals as XML writes them),
// enumerations, code lists and flag sets strings of their XML words. Absent fields have no
// member; a present empty list is [] and a present empty text "".
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "base/error.h"
#include "base/messages.h"
#include "base/words.h"
#include "json/json_value.h"
#include "tolvex/value.hpp"

namespace tolvex {

// Reads the root object's "type" member, when there is one, as a position in types: 0 when it
// is absent; not a string is a JSON type failure, a word not among types the failure XML
// reading gives a root's type attribute.
[[nodiscard]] ErrorCode json_read_root_type(const JsonValue& object, std::string_view path,
                                            std::span<const std::string_view> types, unsigned* documentType);

// Reads the fields of a record from the members of one object, in the order the record's
// description names them. Members the description does not name are skipped, as XML reading
// skips unknown elements; computed amounts are not read. The first failure is kept and every
// later read skipped, so it is the one reported. Value failures give XML reading's lines (the
// member's name and the check); a member of the wrong JSON type, or named twice, gives its path.
class JsonTreeReader {
 public:
  // path: the JSON pointer of the object, for the failures that name it.
  JsonTreeReader(const JsonValue& object, std::string path) : object_(object), path_(std::move(path)) {}

  [[nodiscard]] ErrorCode result() const { return code_; }

  void text(std::string_view name, Text& field);
  void integer(std::string_view name, Integer& field);
  void decimal(std::string_view name, Decimal& field, XmlValue value = XmlValue::carried);
  void enumeration(std::string_view name, Enumeration& field, std::span<const std::string_view> names);
  void code(std::string_view name, CodeText& field, std::span<const std::string_view> names,
            std::span<const std::string_view> codes);
  void flags(std::string_view name, FlagSet& field, std::span<const std::string_view> names);

  // The record exists when its member does, with the fields found inside it.
  template <typename T, typename Fields>
  void record(std::string_view name, Record<T>& field, Fields fields) {
    const JsonValue* value = member(name, JsonValue::Kind::object);
    if (value == nullptr) return;
    field = std::make_unique<T>();
    JsonTreeReader inner(*value, path_of(name));
    fields(inner, *field);
    code_ = inner.result();
  }

  // The list is present (possibly empty) as soon as its member is; every item is an object.
  template <typename T, typename Fields>
  void list(std::string_view name, std::string_view /*itemName*/, List<T>& field, Fields fields) {
    const JsonValue* value = member(name, JsonValue::Kind::array);
    if (value == nullptr) return;
    field.emplace();
    const std::string listPath = path_of(name);
    for (std::size_t i = 0; i < value->items.size(); ++i) {
      const JsonValue& item = value->items[i];
      std::string itemPath = listPath + '/' + std::to_string(i);
      if (item.kind != JsonValue::Kind::object) {
        code_ = report_field(itemPath, messages::kJsonNotAnObject);
        return;
      }
      Record<T> read = std::make_unique<T>();
      JsonTreeReader inner(item, std::move(itemPath));
      fields(inner, *read);
      if ((code_ = inner.result()) != ERROR_OK) return;
      field->append(std::move(read));
    }
  }

 private:
  // The member of this name when it is there and of this kind; null when it is absent, or when
  // a failure is already kept or now recorded (a repeated name, another kind).
  const JsonValue* member(std::string_view name, JsonValue::Kind kind);
  [[nodiscard]] std::string path_of(std::string_view name) const;

  const JsonValue& object_;
  std::string path_;
  ErrorCode code_ = ERROR_OK;
};

// Writes the fields of a record as members of the object being written, in the order the
// record's description names them, on one line without white space. Computed amounts are
// written like carried ones. A decimal that is not finite has no JSON number: the writing
// fails, the first such failure kept.
class JsonTreeWriter {
 public:
  explicit JsonTreeWriter(std::string& out) : out_(out) {}

  [[nodiscard]] ErrorCode result() const { return code_; }

  void text(std::string_view name, const Text& field);
  void integer(std::string_view name, const Integer& field);
  void decimal(std::string_view name, const Decimal& field, XmlValue value = XmlValue::carried);
  void enumeration(std::string_view name, const Enumeration& field, std::span<const std::string_view> names);
  void code(std::string_view name, const CodeText& field, std::span<const std::string_view> names,
            std::span<const std::string_view> codes);
  void flags(std::string_view name, const FlagSet& field, std::span<const std::string_view> names);

  // A string member; for the root's "type".
  void word(std::string_view name, std::string_view text);

  // A member holding an object whose members fields(JsonTreeWriter&) writes.
  template <typename Fields>
  void object(std::string_view name, Fields fields) {
    key(name);
    out_ += '{';
    JsonTreeWriter inner(out_);
    fields(inner);
    out_ += '}';
    keep(inner.result());
  }

  // A present record is an object even with nothing inside: absent differs from empty.
  template <typename T, typename Fields>
  void record(std::string_view name, const Record<T>& field, Fields fields) {
    if (field) object(name, [&](JsonTreeWriter& inner) { fields(inner, *field); });
  }

  // Null items are skipped, as XML writing skips them.
  template <typename T, typename Fields>
  void list(std::string_view name, std::string_view /*itemName*/, const List<T>& field, Fields fields) {
    if (!field) return;
    key(name);
    out_ += '[';
    bool first = true;
    for (const auto& item : *field) {
      if (!item) continue;
      if (!first) out_ += ',';
      first = false;
      out_ += '{';
      JsonTreeWriter inner(out_);
      fields(inner, *item);
      out_ += '}';
      keep(inner.result());
    }
    out_ += ']';
  }

 private:
  void key(std::string_view name);
  void keep(ErrorCode code) {
    if (code_ == ERROR_OK) code_ = code;
  }

  std::string& out_;
  bool first_ = true;
  ErrorCode code_ = ERROR_OK;
};

// A JSON string literal of text; bytes that are not UTF-8 become U+FFFD.
[[nodiscard]] std::string json_quote(std::string_view text);

}  // namespace tolvex
