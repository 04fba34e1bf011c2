// Writing a finished file of bytes under a name, shared by every picture format.
#pragma once

#include <cstdint>
#include <span>

namespace tolvex {

// Writes bytes as the file fileName, creating or replacing it; false when it cannot. A regular
// file (or a name not in use yet) is written to a temporary file beside it and renamed over it
// once complete, so a failure never leaves a partial file under the name; when that temporary
// cannot be created the write fails and an existing file stays as it was. Other files (a FIFO,
// /dev/stdout) are written directly. A symbolic link stays and its target is replaced; a
// replaced file keeps its permissions.
[[nodiscard]] bool write_file_atomically(const char* fileName, std::span<const std::uint8_t> bytes);

}  // namespace tolvex
