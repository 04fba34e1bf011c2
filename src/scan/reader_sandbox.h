// The reading worker's confinement, applied once at start: resource limits, then a system call
// allow-list, after which the worker can only read its request, write its answer, manage its
// memory and end.
#pragma once

namespace tolvex {

// Address space of the worker. A PDF page is rendered at most 8000 x 8000 pixels (256 MB as
// RGB) and a picture holds at most 64 megapixels, so 1 GiB leaves room for the libraries and
// stops the files that would take several.
inline constexpr unsigned long long kReaderAddressSpaceBytes = 1ull << 30;
// CPU seconds of one worker over its life, a bound that holds even when its caller is gone;
// the worker retires once half is used, so a file is never cut short by what earlier files took.
inline constexpr unsigned kReaderCpuSeconds = 600;
inline constexpr unsigned kReaderRetireCpuSeconds = kReaderCpuSeconds / 2;

// Limits the process (address space, CPU, file size 0, no new processes, few descriptors).
// Returns false when a limit cannot be set.
bool reader_limit_resources();

// Installs the allow-list; any other system call ends the process with SIGSYS. Opening a file
// fails with EACCES instead, so that a font a PDF names but does not embed is drawn without
// its glyphs rather than ending the reading. Returns false when the filter cannot be loaded.
bool reader_restrict_system_calls();

// CPU seconds used so far by this process.
double reader_cpu_seconds();

}  // namespace tolvex
