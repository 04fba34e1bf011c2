#include "qr/qr_segments.h"

#include <utility>

namespace tolvex {

void QrSegmentTable::reset(std::size_t capacity) {
  entries_.clear();
  links_.clear();
  entries_.reserve(capacity);
  links_.reserve(capacity);
  first_ = kNone;
  count_ = 0;
}

void QrSegmentTable::append(QrSegment segment) {
  const auto entry = static_cast<std::int32_t>(entries_.size());
  const std::int32_t last = entry - 1;
  entries_.push_back(segment);
  links_.push_back({last, kNone});
  if (last == kNone) {
    first_ = entry;
  } else {
    links_[last].next = entry;
  }
  ++count_;
}

void QrSegmentTable::join(std::int32_t into, std::int32_t from) {
  entries_[into].length += entries_[from].length;
  const Link link = links_[from];
  if (link.previous == kNone) {
    first_ = link.next;
  } else {
    links_[link.previous].next = link.next;
  }
  if (link.next != kNone) links_[link.next].previous = link.previous;
  --count_;
}

void QrSegmentTable::compact() {
  scratch_.clear();
  for (std::int32_t entry = first_; entry != kNone; entry = links_[entry].next)
    scratch_.push_back(entries_[entry]);
  std::swap(entries_, scratch_);
  links_.clear();
  for (std::int32_t entry = 0; entry < count_; ++entry) {
    links_.push_back({entry - 1, entry + 1 < count_ ? entry + 1 : kNone});
  }
  first_ = count_ > 0 ? 0 : kNone;
}

namespace {

constexpr std::array<std::int8_t, 256> make_alphanumeric_values() {
  std::array<std::int8_t, 256> values{};
  for (auto& value : values) value = -1;
  constexpr char kCharset[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
  for (int i = 0; i < 45; ++i) values[static_cast<std::uint8_t>(kCharset[i])] = static_cast<std::int8_t>(i);
  return values;
}

constexpr std::array<std::int8_t, 256> kAlphanumericValues = make_alphanumeric_values();

bool is_kanji_lead(std::uint8_t byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xEB);
}

// Shift JIS leaves the double-byte area after 0x9FFC and 0xEBBF.
bool is_kanji_pair(std::uint8_t lead, std::uint8_t trail) {
  if (!is_kanji_lead(lead) || trail < 0x40) return false;
  if (lead == 0x9F && trail > 0xFC) return false;
  return !(lead == 0xEB && trail > 0xBF);
}

bool is_numeric_alphanumeric_pair(QrMode a, QrMode b) {
  return (a == QrMode::kNumeric && b == QrMode::kAlphanumeric) ||
         (a == QrMode::kAlphanumeric && b == QrMode::kNumeric);
}

int count_width(QrMode mode, int group) { return kQrCountWidth[static_cast<int>(mode)][group]; }

}  // namespace

int qr_alphanumeric_value(std::uint8_t byte) { return kAlphanumericValues[byte]; }

QrCharacter qr_classify_character(const std::uint8_t* text, int length, int position) {
  const std::uint8_t byte = text[position];
  if (position + 1 < length && is_kanji_pair(byte, text[position + 1])) return {QrMode::kKanji, 2};
  if (byte >= '0' && byte <= '9') return {QrMode::kNumeric, 1};
  if (kAlphanumericValues[byte] >= 0) return {QrMode::kAlphanumeric, 1};
  return {QrMode::kByte, 1};
}

int qr_segment_bits(QrMode mode, int length, int group) {
  int data = 0;
  switch (mode) {
    case QrMode::kNumeric:
      data = 10 * (length / 3) + (length % 3 == 1 ? 4 : 0) + (length % 3 == 2 ? 7 : 0);
      break;
    case QrMode::kAlphanumeric:
      data = 11 * (length / 2) + 6 * (length % 2);
      break;
    case QrMode::kByte:
      data = 8 * length;
      break;
    case QrMode::kKanji:
      data = 13 * (length / 2);
      break;
  }
  return 4 + count_width(mode, group) + data;
}

void qr_build_segments(QrSegmentTable& table, const std::uint8_t* text, int length) {
  table.reset(static_cast<std::size_t>(length));
  for (int position = 0; position < length;) {
    const QrCharacter character = qr_classify_character(text, length, position);
    if (table.count() > 0 && table[table.count() - 1].mode == character.mode) {
      table[table.count() - 1].length += character.size;
    } else {
      table.append({character.mode, character.size});
    }
    position += character.size;
  }
}

// Both passes walk the list by position. "Staying at the same index" after a removal means
// moving to the segment that now holds that position.
void qr_merge_numeric_alphanumeric(QrSegmentTable& table, int group) {
  constexpr std::int32_t kNone = QrSegmentTable::kNone;
  const int w8 = 4 + count_width(QrMode::kByte, group);
  const auto bits8 = [w8](int length) { return w8 + 8 * length; };
  const auto bits = [&table, group](std::int32_t entry) {
    return qr_segment_bits(table[entry].mode, table[entry].length, group);
  };

  std::int32_t i = table.first();
  while (i != kNone && table.next(i) != kNone) {
    const std::int32_t j = table.next(i);
    if (!is_numeric_alphanumeric_pair(table[i].mode, table[j].mode)) {
      i = j;
      continue;
    }
    const int separate = bits(i) + bits(j);
    const int alphanumeric = qr_segment_bits(QrMode::kAlphanumeric, table[i].length + table[j].length, group);
    if (alphanumeric >= separate) {
      i = j;
      continue;
    }
    const std::int32_t before = table.previous(i);
    const std::int32_t after = table.next(j);

    int front_bits = 0;
    bool front = before != kNone && table[before].mode == QrMode::kByte;
    if (front) {
      front_bits = bits8(table[before].length + table[i].length) + bits(j);
      front = alphanumeric + bits8(table[before].length) >= front_bits;
    }
    int back_bits = 0;
    bool back = after != kNone && table[after].mode == QrMode::kByte;
    if (back) {
      back_bits = bits(i) + bits8(table[j].length + table[after].length);
      back = back_bits <= alphanumeric + bits8(table[after].length);
    }
    if (front && back) front = front_bits < back_bits;

    if (front) {
      table.join(before, i);
      i = j;
    } else if (back) {
      table[j].mode = QrMode::kByte;
      table.join(j, after);
    } else {
      if (after != kNone && table[after].mode == QrMode::kAlphanumeric) table.join(j, after);
      table[i].mode = QrMode::kAlphanumeric;
      table.join(i, j);
      if (before != kNone && table[before].mode == QrMode::kAlphanumeric) {
        const std::int32_t following = table.next(i);
        table.join(before, i);
        i = following;
      }
    }
  }
}

void qr_merge_into_bytes(QrSegmentTable& table, int group) {
  constexpr std::int32_t kNone = QrSegmentTable::kNone;
  const int w8 = 4 + count_width(QrMode::kByte, group);
  const auto is_byte = [&table](std::int32_t entry) {
    return entry != kNone && table[entry].mode == QrMode::kByte;
  };

  std::int32_t k = table.first();
  while (k != kNone && table.next(k) != kNone) {
    const std::int32_t j = table.next(k);
    const int separate = qr_segment_bits(table[k].mode, table[k].length, group) +
                         qr_segment_bits(table[j].mode, table[j].length, group);
    int merged = w8 + 8 * (table[k].length + table[j].length);
    if (is_byte(table.previous(k))) merged -= w8;
    if (is_byte(table.next(j))) merged -= w8;
    if (separate <= merged) {
      k = j;
      continue;
    }
    if (is_byte(table.previous(k))) {
      const std::int32_t before = table.previous(k);
      table.join(before, k);
      k = before;
    }
    const std::int32_t second = table.next(k);
    if (is_byte(table.next(second))) table.join(second, table.next(second));
    table[k].mode = QrMode::kByte;
    table.join(k, second);
    if (table.previous(k) != kNone) k = table.previous(k);
  }
}

}  // namespace tolvex
