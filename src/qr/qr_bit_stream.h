// The data bit stream: segments written as mode indicator, character count and data; the
// version choice by count-width group; terminator and pad codewords.
#pragma once

#include <cstdint>

#include "qr/qr_context.h"

namespace tolvex {

// Appends the low count bits of value, most significant first, at bit position of the data
// buffer and returns the new position. Writes nothing and returns -1 when position is -1 or
// the stream would pass kQrMaxDataBits.
int qr_put_bits(QrEncodeContext& context, int position, std::uint32_t value, int count);

// Segments the text for the count widths of group (both merge passes) and writes the bit
// stream into the cleared data buffer. False when the stream overflowed.
bool qr_encode_data(QrEncodeContext& context, const std::uint8_t* text, int length, int group);

// The smallest version holding the text at the context's level, searching the count-width
// groups from that of the requested version upwards, and always from a group's first version;
// 0 when no version holds it. On success the context holds the segments and the bit stream of
// the returned version's group.
[[nodiscard]] int qr_choose_version(QrEncodeContext& context, int requested_version, const std::uint8_t* text,
                                    int length);

// Terminator and pad codewords up to the data capacity of the version used at the level.
void qr_add_terminator_and_padding(QrEncodeContext& context);

}  // namespace tolvex
