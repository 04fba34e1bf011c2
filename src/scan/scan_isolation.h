// The two ways a file is read: here, in the caller's process, and in a reading worker.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/error.h"
#include "tolvex/scan.hpp"

namespace tolvex {

// Decodes the file and reads its codes in this process, as scan_memory is documented.
ErrorCode scan_in_process(const std::uint8_t* bytes, std::size_t size, std::vector<ScannedCode>* codes);

// The same through a worker process (tolvex-reader): the worker's failures are recorded as
// they were in the worker; a worker that ends without an answer, or is still reading after
// timeout, is recorded as ERROR_IO naming why, and the next file gets a fresh worker.
ErrorCode scan_isolated(const std::uint8_t* bytes, std::size_t size, std::chrono::seconds timeout,
                        std::vector<ScannedCode>* codes);

}  // namespace tolvex
