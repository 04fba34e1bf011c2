// One field of a document reached by the path of its XML element names.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tolvex {

// What a path names. A list is followed by the position of an item (from 0), not by the item's
// element name: "Payments/0" is the first Payment.
struct XmlFieldValue {
  enum class Kind { text, integer, decimal, enumeration, code, flags, record, list };
  Kind kind = Kind::text;
  bool present = false;          // absent differs from an empty text or an empty list
  std::string text;              // a present field as XML writing writes it
  std::optional<double> number;  // integers, decimals, enumeration positions, flag bits
  std::uint32_t count = 0;       // the items of a present list
};

}  // namespace tolvex
