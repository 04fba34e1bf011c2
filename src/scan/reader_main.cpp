// tolvex-reader: reads the codes of the files it is sent on standard input and answers on
// standard output, one frame each way per file, confined so that a file that breaks a decoder
// breaks only this process. It ends when its input ends.
#include <sys/syscall.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/guard.h"
#include "scan/picture_load.h"
#include "scan/reader_protocol.h"
#include "scan/reader_sandbox.h"
#include "scan/scan_isolation.h"

#if defined(__SANITIZE_ADDRESS__)
// Under AddressSanitizer the worker leaves fatal signals to the kernel: the sanitizer's own report
// of a crash would make calls the sandbox forbids, and the caller is to see the signal itself.
// Leaks are the caller's tests' business; the worker is killed or exits without freeing its pool.
extern "C" const char* __asan_default_options() {
  return "handle_segv=0:handle_sigbus=0:handle_abort=0:handle_sigfpe=0:handle_sigill=0:detect_leaks=0";
}
#endif

namespace tolvex {
namespace {

bool read_exact(int fd, std::uint8_t* into, std::size_t size, bool* atEnd) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = read(fd, into + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      *atEnd = n == 0 && done == 0;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// A page of 10 x 10 points: reading it once before the filter loads what poppler, cairo and
// the QR readers set up on first use, so that none of it happens under the filter.
constexpr std::string_view kWarmUpPdf =
    "%PDF-1.4\n"
    "1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n"
    "2 0 obj<</Type/Pages/Kids[3 0 R]/Count 1>>endobj\n"
    "3 0 obj<</Type/Page/Parent 2 0 R/MediaBox[0 0 10 10]>>endobj\n"
    "trailer<</Root 1 0 R>>\n%%EOF\n";

#ifdef TOLVEX_READER_FAULTS
// Test build only: a file that starts with this prefix makes the worker fail on purpose.
constexpr std::string_view kFaultPrefix = "TOLVEX-READER-FAULT:";

void run_fault(std::string_view fault) {
  if (fault == "crash") {
    std::raise(SIGSEGV);
  } else if (fault == "loop") {
    volatile unsigned long spin = 0;
    for (;;) spin = spin + 1;
  } else if (fault == "memory") {
    // Touches every block, so that the bound is the address space and not overcommit.
    std::vector<std::unique_ptr<char[]>> blocks;
    for (;;) {
      blocks.emplace_back(new char[64u << 20]);
      std::memset(blocks.back().get(), 1, 64u << 20);
    }
  } else if (fault == "forbidden") {
    syscall(SYS_socket, 1, 1, 0);
  } else if (fault == "open") {
    // Opening must be refused: a worker that could open a file ends in a way the test sees.
    if (std::fopen("/proc/self/status", "r") != nullptr) std::abort();
  } else if (fault == "garbage") {
    write_all(STDOUT_FILENO, reader_frame_header(3) + "xyz");
    std::_Exit(0);
  } else if (fault == "silent") {
    std::_Exit(0);
  }
}
#endif

ReaderAnswer read_file(const std::vector<std::uint8_t>& file) {
  ReaderAnswer answer;
  const ErrorCode code = guarded([&] {
#ifdef TOLVEX_READER_FAULTS
    const std::string_view text(reinterpret_cast<const char*>(file.data()), file.size());
    if (text.starts_with(kFaultPrefix)) run_fault(text.substr(kFaultPrefix.size()));
#endif
    return scan_in_process(file.data(), file.size(), &answer.codes);
  });
  if (code != ERROR_OK) {
    answer.codes.clear();
    answer.failure = error_of(code);
  }
  answer.retiring = reader_cpu_seconds() >= kReaderRetireCpuSeconds;
  return answer;
}

int serve() {
  // Whatever else the caller left open is not the worker's business.
  syscall(SYS_close_range, 3u, ~0u, 0u);
  prepare_picture_decoders();
  std::vector<ScannedCode> ignored;
  (void)scan_in_process(reinterpret_cast<const std::uint8_t*>(kWarmUpPdf.data()), kWarmUpPdf.size(), &ignored);
  if (!reader_limit_resources() || !reader_restrict_system_calls()) return 2;
  for (;;) {
    std::uint8_t header[kReaderFrameHeader];
    bool atEnd = false;
    if (!read_exact(STDIN_FILENO, header, sizeof header, &atEnd)) return atEnd ? 0 : 1;
    const std::uint64_t length = reader_frame_length(header);
    std::vector<std::uint8_t> file;
    if (length > 0) {
      file.resize(length);
      if (!read_exact(STDIN_FILENO, file.data(), file.size(), &atEnd)) return 1;
    }
    const ReaderAnswer answer = read_file(file);
    file = {};
    const std::string body = reader_answer_body(answer);
    if (!write_all(STDOUT_FILENO, reader_frame_header(body.size()) + body)) return 1;
    if (answer.retiring) return 0;
  }
}

}  // namespace
}  // namespace tolvex

int main() {
  // An answer to a caller that has gone away fails as a write error, not a signal.
  std::signal(SIGPIPE, SIG_IGN);
  return tolvex::serve();
}
