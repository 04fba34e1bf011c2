// tolvexdecode on file names: the documents of pictures and PDF documents, one line each.
#pragma once

#include <cstdio>

#include "base/error.h"
#include "cli/decode_options.h"

namespace tolvex {

// Reads every file of the settings and writes one line per document to out: its XML (a line
// feed inside a value written as "&#10;", so that a document stays on its line) or its text.
// Each file that gives no document writes one error line to err, and the others are still
// read. Returns the code of the first failure, or 0.
[[nodiscard]] ErrorCode decode_files(const DecodeSettings& settings, std::FILE* out, std::FILE* err);

}  // namespace tolvex
