// PointerList: the owning, growable list behind every repeated field of a document.
//
// Items are owned records held by pointer; a null item is allowed and every operation on
// documents skips it. Capacity grows by half plus one (1, 2, 4, 7, 11, 17, ...), which keeps
// the allocation pattern of the wire format's reference encoder.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "tolvex/error.hpp"

namespace tolvex {

template <typename T>
class PointerList {
 public:
  PointerList() { items_.reserve(capacity_); }

  std::uint32_t count() const { return static_cast<std::uint32_t>(items_.size()); }
  std::uint32_t capacity() const { return capacity_; }
  bool empty() const { return items_.empty(); }

  // Appends item, which may be null.
  void append(std::unique_ptr<T> item) {
    const std::uint32_t needed = count() + 1;
    if (needed > capacity_) {
      capacity_ = std::max(capacity_ * 3 / 2 + 1, needed);
      items_.reserve(capacity_);
    }
    items_.push_back(std::move(item));
  }

  // The item at index, or null past the end (an index read as negative is past the end too).
  T* get(std::uint32_t index) const { return index < count() ? items_[index].get() : nullptr; }

  // Iteration yields the owning pointers in append order; they may be null.
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::uint32_t capacity_ = 1;
  std::vector<std::unique_ptr<T>> items_;
};

// A list field: absent (no list) differs from present and empty.
template <typename T>
using List = std::optional<PointerList<T>>;

// The older free functions over lists; the members say the same. Removed at 2.0.
template <typename T>
TOLVEX_DEPRECATED("PointerList<T>{}") PointerList<T> pointer_list_new() {
  return PointerList<T>{};
}

template <typename T>
TOLVEX_DEPRECATED("PointerList::append") void pointer_list_append(PointerList<T>* list, std::unique_ptr<T> item) {
  if (list != nullptr) list->append(std::move(item));
}

template <typename T>
TOLVEX_DEPRECATED("PointerList::get") T* pointer_list_get(const PointerList<T>* list, std::uint32_t index) {
  return list != nullptr ? list->get(index) : nullptr;
}

template <typename T>
TOLVEX_DEPRECATED("PointerList::count") std::uint32_t pointer_list_count(const PointerList<T>* list) {
  return list != nullptr ? list->count() : 0;
}

template <typename T>
T* pointer_list_get(const List<T>& list, std::uint32_t index) {
  return list ? list->get(index) : nullptr;
}

template <typename T>
std::uint32_t pointer_list_count(const List<T>& list) {
  return list ? list->count() : 0;
}

}  // namespace tolvex
