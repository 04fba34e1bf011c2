// Writing a cairo surface as a PNG file, shared by the plain and the logo picture.
#pragma once

#include <cairo.h>

#include "base/error.h"

namespace tolvex {

// Writes surface as the PNG file fileName, creating or replacing it. A regular file (or a
// name not in use yet) is written to a temporary file beside it and renamed over it once
// complete, so a failure never leaves a partial picture under the name; other files (a FIFO,
// /dev/stdout) are written directly. Failures are ERROR_IO: "Not enough memory. " when cairo
// runs out of memory, otherwise "Cannot write image to output file. " (also for a surface in
// an error state, which writes nothing).
[[nodiscard]] ErrorCode write_png_file(cairo_surface_t* surface, const char* fileName);

}  // namespace tolvex
