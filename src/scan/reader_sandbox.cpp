#include "scan/reader_sandbox.h"

#include <sched.h>
#include <seccomp.h>
#include <sys/resource.h>

#include <cerrno>
#include <memory>

namespace tolvex {
namespace {

bool limit(int resource, rlim_t value) {
  const rlimit bound{value, value};
  return setrlimit(resource, &bound) == 0;
}

struct FilterDeleter {
  void operator()(void* filter) const { seccomp_release(filter); }
};

// What reading needs once the libraries are loaded and initialised: the request and the
// answer, memory, the threads' locks, clocks, the signals of a failing allocation, the memory
// and processor counts LZMA asks for when a code is decoded, and ending.
constexpr int kAllowed[] = {
    SCMP_SYS(read),          SCMP_SYS(write),          SCMP_SYS(readv),          SCMP_SYS(writev),
    SCMP_SYS(mmap),          SCMP_SYS(munmap),         SCMP_SYS(mremap),         SCMP_SYS(mprotect),
    SCMP_SYS(brk),           SCMP_SYS(madvise),        SCMP_SYS(futex),          SCMP_SYS(clock_gettime),
    SCMP_SYS(gettimeofday),  SCMP_SYS(getrusage),      SCMP_SYS(lseek),          SCMP_SYS(fstat),
    SCMP_SYS(newfstatat),    SCMP_SYS(close),          SCMP_SYS(getpid),         SCMP_SYS(gettid),
    SCMP_SYS(rt_sigreturn),  SCMP_SYS(rt_sigprocmask), SCMP_SYS(tgkill),         SCMP_SYS(exit),
    SCMP_SYS(exit_group),    SCMP_SYS(sysinfo),        SCMP_SYS(sched_getaffinity),
    // Starting and ending a thread.
    SCMP_SYS(set_robust_list), SCMP_SYS(rseq),         SCMP_SYS(rt_sigaction),   SCMP_SYS(sched_yield),
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer reads the signal stack's bounds whenever a decoder longjmps (libpng,
    // libjpeg) and queries the terminal before it reports.
    SCMP_SYS(sigaltstack),   SCMP_SYS(ioctl),
#endif
};

// Opening files is refused rather than fatal (see reader_restrict_system_calls).
constexpr int kRefused[] = {SCMP_SYS(open), SCMP_SYS(openat), SCMP_SYS(access), SCMP_SYS(faccessat),
                            SCMP_SYS(faccessat2), SCMP_SYS(stat), SCMP_SYS(lstat), SCMP_SYS(readlink)};

}  // namespace

bool reader_limit_resources() {
  bool ok = true;
#if !defined(__SANITIZE_ADDRESS__)
  // AddressSanitizer reserves terabytes of shadow address space at start: under it the worker
  // runs without an address-space bound and the memory test is skipped.
  ok = limit(RLIMIT_AS, kReaderAddressSpaceBytes) && ok;
#endif
  ok = limit(RLIMIT_CPU, kReaderCpuSeconds) && ok;
  ok = limit(RLIMIT_FSIZE, 0) && ok;
  ok = limit(RLIMIT_CORE, 0) && ok;
  ok = limit(RLIMIT_NOFILE, 8) && ok;
  // Ignored for root, which the allow-list covers: clone, fork and execve are not on it.
  ok = limit(RLIMIT_NPROC, 0) && ok;
  return ok;
}

bool reader_restrict_system_calls() {
  const std::unique_ptr<void, FilterDeleter> filter(seccomp_init(SCMP_ACT_KILL_PROCESS));
  if (!filter) return false;
  for (const int call : kAllowed) {
    if (seccomp_rule_add(filter.get(), SCMP_ACT_ALLOW, call, 0) != 0) return false;
  }
  // Threads, not processes: the HEVC decoder of HEIC pictures starts a worker thread. clone is
  // allowed only with CLONE_THREAD; clone3, whose flags a filter cannot see, answers ENOSYS so
  // that the C library falls back to clone.
  if (seccomp_rule_add(filter.get(), SCMP_ACT_ALLOW, SCMP_SYS(clone), 1,
                       SCMP_A0(SCMP_CMP_MASKED_EQ, CLONE_THREAD, CLONE_THREAD)) != 0 ||
      seccomp_rule_add(filter.get(), SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), 0) != 0) {
    return false;
  }
  for (const int call : kRefused) {
    // A call this architecture lacks (open on arm64) has a negative number and is skipped.
    if (call >= 0 && seccomp_rule_add(filter.get(), SCMP_ACT_ERRNO(EACCES), call, 0) != 0) return false;
  }
  return seccomp_load(filter.get()) == 0;
}

double reader_cpu_seconds() {
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace tolvex
