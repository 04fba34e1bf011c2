// Splitting a text into mode segments: character classification, runs of one class, and the
// two merge passes that trade mode switches for cheaper or shorter encodings.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "qr/qr_version_table.h"

namespace tolvex {

// length counts characters for numeric and alphanumeric segments and bytes for byte and kanji
// segments (two bytes a kanji character).
struct QrSegment {
  QrMode mode = QrMode::kByte;
  std::int32_t length = 0;
};

// The segments of a text in order.
//
// The merge passes remove segments anywhere in the table. The entries therefore form a doubly
// linked list, so that a removal costs the same wherever it happens: shifting all later entries
// instead would make texts with many short runs (a base32hex text has hundreds) quadratic.
// compact() lays the list out in text order again for the bit stream.
class QrSegmentTable {
 public:
  static constexpr std::int32_t kNone = -1;

  // Empties the table, with room for capacity segments (a text has at most one per byte).
  void reset(std::size_t capacity);
  void append(QrSegment segment);

  std::int32_t count() const { return count_; }
  std::int32_t first() const { return first_; }
  std::int32_t next(std::int32_t entry) const { return links_[entry].next; }
  std::int32_t previous(std::int32_t entry) const { return links_[entry].previous; }
  QrSegment& operator[](std::int32_t entry) { return entries_[entry]; }
  const QrSegment& operator[](std::int32_t entry) const { return entries_[entry]; }

  // Adds the length of entry from to entry into and removes entry from.
  void join(std::int32_t into, std::int32_t from);

  // Renumbers the entries in text order, so that segments() lists them.
  void compact();
  // The segments in text order; valid after reset, append and compact.
  std::span<const QrSegment> segments() const { return {entries_.data(), static_cast<std::size_t>(count_)}; }

 private:
  struct Link {
    std::int32_t previous;
    std::int32_t next;
  };
  std::vector<QrSegment> entries_;
  std::vector<Link> links_;
  std::vector<QrSegment> scratch_;
  std::int32_t first_ = kNone;
  std::int32_t count_ = 0;
};

// The class of the character at position and the number of bytes it takes (2 for kanji, else 1).
struct QrCharacter {
  QrMode mode;
  int size;
};
QrCharacter qr_classify_character(const std::uint8_t* text, int length, int position);

// Alphanumeric value of a byte (0-44), or -1 outside the 45-character set.
int qr_alphanumeric_value(std::uint8_t byte);

// Bits a segment occupies: mode indicator, character count and data, in the count widths of group.
[[nodiscard]] int qr_segment_bits(QrMode mode, int length, int group);

// Fills the table with the runs of one class, neighbouring segments always differing in class.
void qr_build_segments(QrSegmentTable& table, const std::uint8_t* text, int length);

// Merge pass 1: numeric and alphanumeric neighbours become alphanumeric, or join a byte neighbour.
void qr_merge_numeric_alphanumeric(QrSegmentTable& table, int group);

// Merge pass 2: neighbours cheaper as one byte segment are merged into byte mode.
void qr_merge_into_bytes(QrSegmentTable& table, int group);

}  // namespace tolvex
