#include "qr/qr_bit_stream.h"

#include <algorithm>

namespace tolvex {
namespace {

int write_numeric(QrEncodeContext& context, int position, const std::uint8_t* digits, int length) {
  int i = 0;
  for (; i + 3 <= length; i += 3) {
    const auto value = static_cast<std::uint32_t>((digits[i] - '0') * 100 + (digits[i + 1] - '0') * 10 +
                                                  (digits[i + 2] - '0'));
    position = qr_put_bits(context, position, value, 10);
  }
  if (length - i == 2) {
    const auto value = static_cast<std::uint32_t>((digits[i] - '0') * 10 + (digits[i + 1] - '0'));
    position = qr_put_bits(context, position, value, 7);
  } else if (length - i == 1) {
    position = qr_put_bits(context, position, static_cast<std::uint32_t>(digits[i] - '0'), 4);
  }
  return position;
}

int write_alphanumeric(QrEncodeContext& context, int position, const std::uint8_t* text, int length) {
  int i = 0;
  for (; i + 2 <= length; i += 2) {
    const auto value =
        static_cast<std::uint32_t>(45 * qr_alphanumeric_value(text[i]) + qr_alphanumeric_value(text[i + 1]));
    position = qr_put_bits(context, position, value, 11);
  }
  if (i < length)
    position = qr_put_bits(context, position, static_cast<std::uint32_t>(qr_alphanumeric_value(text[i])), 6);
  return position;
}

int write_bytes(QrEncodeContext& context, int position, const std::uint8_t* text, int length) {
  for (int i = 0; i < length; ++i) position = qr_put_bits(context, position, text[i], 8);
  return position;
}

// Shift JIS double-byte values from 0x8140 and from 0xC140 fold onto one 13-bit range.
int write_kanji(QrEncodeContext& context, int position, const std::uint8_t* text, int length) {
  for (int i = 0; i + 1 < length; i += 2) {
    const std::uint32_t code = (std::uint32_t{text[i]} << 8) | text[i + 1];
    std::uint32_t offset = (code - 0x8140u) & 0xFFFFu;
    if (offset > 0x1EBC) offset = (code - 0xC140u) & 0xFFFFu;
    position = qr_put_bits(context, position, (offset >> 8) * 0xC0 + (offset & 0xFF), 13);
  }
  return position;
}

}  // namespace

int qr_put_bits(QrEncodeContext& context, int position, std::uint32_t value, int count) {
  if (position < 0 || position + count > kQrMaxDataBits) return -1;
  for (int left = count; left > 0;) {
    const int free_bits = 8 - position % 8;
    const int taken = std::min(free_bits, left);
    const std::uint32_t bits = (value >> (left - taken)) & ((1u << taken) - 1);
    context.data[static_cast<std::size_t>(position / 8)] |=
        static_cast<std::uint8_t>(bits << (free_bits - taken));
    position += taken;
    left -= taken;
  }
  return position;
}

bool qr_encode_data(QrEncodeContext& context, const std::uint8_t* text, int length, int group) {
  QrSegmentTable& table = context.segments;
  qr_build_segments(table, text, length);
  qr_merge_numeric_alphanumeric(table, group);
  qr_merge_into_bytes(table, group);
  table.compact();

  context.data.fill(0);
  int position = 0;
  const std::uint8_t* segment_text = text;
  for (const QrSegment& segment : table.segments()) {
    if (position < 0) break;
    const int mode = static_cast<int>(segment.mode);
    const int characters = segment.mode == QrMode::kKanji ? segment.length / 2 : segment.length;
    position = qr_put_bits(context, position, kQrModeIndicator[mode], 4);
    position =
        qr_put_bits(context, position, static_cast<std::uint32_t>(characters), kQrCountWidth[mode][group]);
    switch (segment.mode) {
      case QrMode::kNumeric:
        position = write_numeric(context, position, segment_text, segment.length);
        break;
      case QrMode::kAlphanumeric:
        position = write_alphanumeric(context, position, segment_text, segment.length);
        break;
      case QrMode::kByte:
        position = write_bytes(context, position, segment_text, segment.length);
        break;
      case QrMode::kKanji:
        position = write_kanji(context, position, segment_text, segment.length);
        break;
    }
    segment_text += segment.length;
  }
  context.bit_count = position;
  return position != -1;
}

int qr_choose_version(QrEncodeContext& context, int requested_version, const std::uint8_t* text, int length) {
  for (int group = qr_count_group(requested_version); group < kQrGroupCount; ++group) {
    if (!qr_encode_data(context, text, length, group)) continue;
    const int needed = (context.bit_count + 7) / 8;
    for (int version = kQrGroupFirstVersion[group]; version <= kQrGroupLastVersion[group]; ++version) {
      if (kQrVersionTable[version].data_codewords[qr_level_index(context.level)] >= needed) {
        context.version_found = version;
        return version;
      }
    }
  }
  return 0;
}

void qr_add_terminator_and_padding(QrEncodeContext& context) {
  const int capacity = kQrVersionTable[context.version].data_codewords[qr_level_index(context.level)];
  const int room = 8 * capacity - context.bit_count;
  context.bit_count += std::min(room, 4);  // the terminator's zero bits are already in the buffer
  static constexpr std::uint8_t kPad[2] = {0xEC, 0x11};
  for (int i = (context.bit_count + 7) / 8, k = 0; i < capacity; ++i, k ^= 1) {
    context.data[static_cast<std::size_t>(i)] = kPad[k];
  }
}

}  // namespace tolvex
