// The run: the input text of the command line becomes the output picture.
#pragma once

#include <string>
#include <string_view>

#include "base/error.h"
#include "cli/options.h"

namespace tolvex {

// Encodes the input when the settings say it is XML or JSON (a base32hex text is drawn as it is) and
// writes the picture as settings.outputFile in output_format(settings); for print, compact vector
// files that carry the text's summary (describe). Prints nothing: a
// failure is left in the calling thread's last-error record.
[[nodiscard]] ErrorCode write_document_picture(const Settings& settings, const std::string& input);

// write_document_picture, then the success line on standard output or the error line on
// standard error; returns the process exit status.
[[nodiscard]] ErrorCode run(const Settings& settings, const std::string& input);

}  // namespace tolvex
