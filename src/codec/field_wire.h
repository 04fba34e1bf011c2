// FieldWriter and FieldReader: the two directions of a record's wire order. A family describes
// the order of its fields once, as a function over either of them, and the same description
// serialises a document and rebuilds it:
//
//   template <typename Wire, typename Account> void account_wire(Wire& w, Account& a) {
//     w.text(a.IBAN);
//     w.text(a.BIC);
//   }
#pragma once

#include <cstdint>
#include <memory>

#include "codec/field_buffer.h"
#include "tolvex/value.hpp"

namespace tolvex {

class FieldWriter {
 public:
  explicit FieldWriter(FieldBuffer& buffer) : buffer_(buffer) {}

  void text(const Text& field) { field_put_text(buffer_, field); }
  void date(const Text& field) { field_put_date(buffer_, field); }
  void decimal(const Decimal& field) { field_put_decimal(buffer_, field); }
  // Integers, enumerations and flag sets alike.
  void integer(const Integer& field) { field_put_optional_integer(buffer_, field); }

  // The number of items ("0" for an absent list), then each item; a null item is written as a
  // record whose fields are all absent.
  template <typename T, typename Fields>
  void list(const List<T>& field, Fields fields) {
    field_put_integer(buffer_, static_cast<std::int32_t>(pointer_list_count(field)));
    if (!field) return;
    for (const auto& item : *field) fields(*this, item ? *item : absent_record<T>());
  }

  // The fields in place; an absent record as its fields, all absent. Read back, the record is
  // always present.
  template <typename T, typename Fields>
  void record(const Record<T>& field, Fields fields) {
    fields(*this, field ? *field : absent_record<T>());
  }

  // Written as record; read back absent when none of its fields came back present.
  template <typename T, typename Fields>
  void record_unless_empty(const Record<T>& field, Fields fields) {
    record(field, fields);
  }

  // "1" and the fields for a present record, "0" alone for an absent one.
  template <typename T, typename Fields>
  void flagged_record(const Record<T>& field, Fields fields) {
    field_put_integer(buffer_, field ? 1 : 0);
    if (field) fields(*this, *field);
  }

 private:
  template <typename T>
  static const T& absent_record() {
    static const T empty{};
    return empty;
  }

  FieldBuffer& buffer_;
};

class FieldReader {
 public:
  explicit FieldReader(FieldBuffer& buffer) : buffer_(buffer) {}

  void text(Text& field) { counted(field = field_take_text(buffer_)); }
  void date(Text& field) { counted(field = field_take_date(buffer_)); }
  void decimal(Decimal& field) { counted(field = field_take_decimal(buffer_)); }
  void integer(Integer& field) { counted(field = field_take_optional_integer(buffer_)); }

  // Always a present list; its items are never null.
  template <typename T, typename Fields>
  void list(List<T>& field, Fields fields) {
    auto& items = field.emplace();
    for (std::uint32_t n = take_count(); n > 0; --n) {
      auto item = std::make_unique<T>();
      fields(*this, *item);
      items.append(std::move(item));
    }
  }

  template <typename T, typename Fields>
  void record(Record<T>& field, Fields fields) {
    field = std::make_unique<T>();
    fields(*this, *field);
  }

  template <typename T, typename Fields>
  void record_unless_empty(Record<T>& field, Fields fields) {
    const std::size_t before = present_;
    record(field, fields);
    if (present_ == before) field.reset();
  }

  template <typename T, typename Fields>
  void flagged_record(Record<T>& field, Fields fields) {
    if (field_take_integer(buffer_) != 0) record(field, fields);
  }

 private:
  template <typename Value>
  void counted(const Value& value) {
    if (value) ++present_;
  }

  // A list count as written, cut to the fields that remain: every item takes at least one
  // field, so a damaged or hostile count cannot make more records than the text describes.
  std::uint32_t take_count();

  FieldBuffer& buffer_;
  std::size_t present_ = 0;  // fields read so far that came back present
};

}  // namespace tolvex
