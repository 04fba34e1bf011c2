// The run: the input text of the command line becomes the output picture.
#pragma once

#include <string>

#include "base/error.h"
#include "cli/options.h"

namespace tolvex {

// Encodes (for XML input) and writes the picture; prints the success line to standard output
// or the error line to standard error, and returns the process exit status.
[[nodiscard]] ErrorCode run(const Settings& settings, std::string input);

}  // namespace tolvex
