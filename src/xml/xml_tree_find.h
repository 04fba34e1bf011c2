// XmlTreeFinder: follows a path of element names, such as "Payments/0/Amount", through a
// record's XML description (the one that drives XmlTreeReader and XmlTreeWriter), so that a
// caller reaches any field of a document by the names its XML gives it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "tolvex/field.hpp"
#include "tolvex/value.hpp"
#include "xml/xml_read.h"

namespace tolvex {

class XmlTreeFinder {
 public:
  explicit XmlTreeFinder(std::span<const std::string_view> path) : path_(path) {}

  // Whether the path names an element of the description; value() is meaningful only then.
  [[nodiscard]] bool found() const { return found_; }
  [[nodiscard]] const XmlFieldValue& value() const { return value_; }

  void text(std::string_view name, const Text& field);
  void integer(std::string_view name, const Integer& field);
  void decimal(std::string_view name, const Decimal& field, XmlValue value = XmlValue::carried);
  void enumeration(std::string_view name, const Enumeration& field, std::span<const std::string_view> names);
  void code(std::string_view name, const CodeText& field, std::span<const std::string_view> names,
            std::span<const std::string_view> codes);
  void flags(std::string_view name, const FlagSet& field, std::span<const std::string_view> names);

  template <typename T, typename Fields>
  void record(std::string_view name, const Record<T>& field, Fields fields) {
    if (!here(name)) return;
    enter(field.get(), path_.subspan(1), fields);
  }

  template <typename T, typename Fields>
  void list(std::string_view name, std::string_view /*itemName*/, const List<T>& field, Fields fields) {
    if (!here(name)) return;
    if (path_.size() == 1) {
      found_ = true;
      value_.kind = XmlFieldValue::Kind::list;
      value_.present = field.has_value();
      value_.count = pointer_list_count(field);
      return;
    }
    const std::optional<std::uint32_t> index = position(path_[1]);
    if (!index) return;
    enter(pointer_list_get(field, *index), path_.subspan(2), fields);
  }

 private:
  [[nodiscard]] bool here(std::string_view name) const {
    return !found_ && !path_.empty() && path_.front() == name;
  }

  // The rest of the path inside a record; an absent record still has the names of its fields,
  // whose values are then absent.
  template <typename T, typename Fields>
  void enter(const T* record, std::span<const std::string_view> rest, Fields& fields) {
    if (rest.empty()) {
      found_ = true;
      value_.kind = XmlFieldValue::Kind::record;
      value_.present = record != nullptr;
      return;
    }
    static const T absent{};
    XmlTreeFinder inner(rest);
    fields(inner, record != nullptr ? *record : absent);
    found_ = inner.found_;
    value_ = std::move(inner.value_);
    if (record == nullptr) value_.present = false;
  }

  // A field's own name ends the path; the value is given when the field is present.
  bool leaf(std::string_view name, XmlFieldValue::Kind kind, bool present);

  static std::optional<std::uint32_t> position(std::string_view text);

  std::span<const std::string_view> path_;
  bool found_ = false;
  XmlFieldValue value_;
};

}  // namespace tolvex
