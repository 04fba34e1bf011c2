// The sizes a PDF's images claim, checked before poppler decodes one: an image of a billion
// pixels in a file of a few hundred bytes takes seconds and gigabytes to draw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/error.h"

namespace tolvex {

// The /Width and /Height of an image XObject's dictionary (the one ending right before its
// stream keyword), written directly or as a reference to an integer object; -1 for a value not
// given so (or a reference when references, the number still to follow, is spent), 0 and 0 for
// a dictionary that is not an image's.
struct PdfImageSize {
  std::int64_t width = 0;
  std::int64_t height = 0;
};
[[nodiscard]] PdfImageSize pdf_image_size(std::string_view document, std::string_view dictionary,
                                          int* references);

// Every image XObject of the document within the picture limits, or ERROR_ILLEGAL_ARGUMENT
// "PDF image too large. ". Image dictionaries stand in plain text in every PDF, since a stream
// is never inside an object stream and encryption leaves dictionaries alone; inline images,
// inside content streams, are left to the reading worker's bounds.
[[nodiscard]] ErrorCode pdf_check_image_sizes(const std::uint8_t* bytes, std::size_t size);

// Whether the document holds an image XObject: without one, no page has a picture to read
// before it is rendered (an inline image, or a name written with #xx escapes, is read from the
// rendering).
[[nodiscard]] bool pdf_has_image_objects(const std::uint8_t* bytes, std::size_t size);

}  // namespace tolvex
