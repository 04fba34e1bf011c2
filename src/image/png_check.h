// Whether a file holds a PNG that libpng reads to its end, for telling a damaged or foreign
// picture from a lack of memory: cairo reports every libpng failure as the latter.
#pragma once

namespace tolvex {

// Reads the file row by row, keeping one row in memory. False for a file that cannot be opened,
// that does not start with the PNG signature, or whose header, chunks or image data libpng
// refuses.
[[nodiscard]] bool png_file_reads(const char* path);

}  // namespace tolvex
