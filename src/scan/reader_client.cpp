// The caller's side of the reading worker: finding and starting tolvex-reader, a small pool of
// started workers, and one exchange per file under a time bound.
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/messages.h"
#include "base/descriptor.h"
#include "scan/reader_protocol.h"
#include "scan/scan_isolation.h"

extern char** environ;

namespace tolvex {
namespace {

using Clock = std::chrono::steady_clock;

// Started workers kept for the next file: starting one costs more than a tenth of a read.
constexpr std::size_t kIdleWorkers = 4;


// A started worker, ended (killed and reaped) when dropped unless it was reaped already.
class Worker {
 public:
  Worker(pid_t pid, Descriptor request, Descriptor answer, std::string path)
      : pid_(pid), request_(std::move(request)), answer_(std::move(answer)), path_(std::move(path)) {}
  Worker(Worker&& other) noexcept
      : pid_(std::exchange(other.pid_, -1)),
        request_(std::move(other.request_)),
        answer_(std::move(other.answer_)),
        path_(std::move(other.path_)) {}
  Worker& operator=(Worker&& other) noexcept {
    if (this != &other) {
      end();
      pid_ = std::exchange(other.pid_, -1);
      request_ = std::move(other.request_);
      answer_ = std::move(other.answer_);
      path_ = std::move(other.path_);
    }
    return *this;
  }
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;
  ~Worker() { end(); }

  [[nodiscard]] pid_t pid() const { return pid_; }
  [[nodiscard]] int request() const { return request_.get(); }
  [[nodiscard]] int answer() const { return answer_.get(); }
  [[nodiscard]] const std::string& path() const { return path_; }

  // Waits until the process has ended, at most until the deadline, and reaps it: its wait
  // status, or nothing when it is still running.
  std::optional<int> wait_until(Clock::time_point deadline) {
    const Descriptor process(static_cast<int>(syscall(SYS_pidfd_open, pid_, 0)));
    if (process.get() >= 0) {
      pollfd ready{process.get(), POLLIN, 0};
      while (poll(&ready, 1, milliseconds_until(deadline)) < 0 && errno == EINTR) {
      }
    }
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) != pid_) return std::nullopt;
    pid_ = -1;
    return status;
  }

  // Kills the process and gives its wait status.
  int stop() {
    kill(pid_, SIGKILL);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return status;
  }

  void end() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
  }

  static int milliseconds_until(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : left > 1'000'000'000 ? 1'000'000'000 : static_cast<int>(left);
  }

 private:
  pid_t pid_;
  Descriptor request_;
  Descriptor answer_;
  std::string path_;
};

class WorkerPool {
 public:
  std::optional<Worker> take(const std::string& path) {
    const std::lock_guard lock(mutex_);
    while (!idle_.empty()) {
      Worker worker = std::move(idle_.back());
      idle_.pop_back();
      if (worker.path() == path) return worker;
    }
    return std::nullopt;
  }

  void give_back(Worker worker) {
    const std::lock_guard lock(mutex_);
    if (idle_.size() < kIdleWorkers) idle_.push_back(std::move(worker));
  }

 private:
  std::mutex mutex_;
  std::vector<Worker> idle_;
};

WorkerPool& pool() {
  static WorkerPool workers;
  return workers;
}

bool executable(const std::filesystem::path& file) { return access(file.c_str(), X_OK) == 0; }

// TOLVEX_READER when set; else beside the library (or the program it is linked into) or in
// libexec/tolvex of the prefix the library is installed in, beside the running program, or
// where it was to be installed.
std::string reader_path() {
  if (const char* chosen = std::getenv("TOLVEX_READER"); chosen != nullptr && *chosen != '\0') return chosen;
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&reader_path), &info) != 0 && info.dli_fname != nullptr) {
    const std::filesystem::path library = std::filesystem::path(info.dli_fname).parent_path();
    if (executable(library / "tolvex-reader")) return library / "tolvex-reader";
    if (executable(library / TOLVEX_READER_FROM_LIBRARY)) return library / TOLVEX_READER_FROM_LIBRARY;
  }
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error && executable(program.parent_path() / "tolvex-reader")) return program.parent_path() / "tolvex-reader";
  return TOLVEX_READER_INSTALLED;
}

std::optional<Worker> start(const std::string& path) {
  int request[2];
  int answer[2];
  if (pipe2(request, O_CLOEXEC) != 0) return std::nullopt;
  Descriptor requestRead(request[0]);
  Descriptor requestWrite(request[1]);
  if (pipe2(answer, O_CLOEXEC) != 0) return std::nullopt;
  Descriptor answerRead(answer[0]);
  Descriptor answerWrite(answer[1]);
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return std::nullopt;
  posix_spawn_file_actions_adddup2(&actions, requestRead.get(), STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, answerWrite.get(), STDOUT_FILENO);
  // The worker's diagnostics are not the caller's output; its failures come back as answers.
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  char* const arguments[] = {const_cast<char*>(path.c_str()), nullptr};
  pid_t pid = -1;
  const int failed = posix_spawn(&pid, path.c_str(), &actions, nullptr, arguments, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) return std::nullopt;
  fcntl(requestWrite.get(), F_SETFL, O_NONBLOCK);
  fcntl(answerRead.get(), F_SETFL, O_NONBLOCK);
  return Worker(pid, std::move(requestWrite), std::move(answerRead), path);
}

// Writing to a worker that has ended must fail with EPIPE, not end the caller with SIGPIPE:
// the signal is blocked on this thread while writing, and one it raised is taken back.
class SigpipeBlocked {
 public:
  SigpipeBlocked() {
    sigemptyset(&pipe_);
    sigaddset(&pipe_, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    wasPending_ = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipe_, &previous_);
  }
  SigpipeBlocked(const SigpipeBlocked&) = delete;
  SigpipeBlocked& operator=(const SigpipeBlocked&) = delete;
  ~SigpipeBlocked() {
    if (!wasPending_) {
      const timespec now{0, 0};
      while (sigtimedwait(&pipe_, nullptr, &now) == SIGPIPE) {
      }
    }
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }

 private:
  sigset_t pipe_{};
  sigset_t previous_{};
  bool wasPending_ = false;
};

enum class Step { done, ended, timed_out };

Step wait_ready(int fd, short events, Clock::time_point deadline) {
  pollfd ready{fd, events, 0};
  for (;;) {
    const int left = Worker::milliseconds_until(deadline);
    const int n = poll(&ready, 1, left);
    if (n > 0) return Step::done;
    if (n == 0) return Step::timed_out;
    if (errno != EINTR) return Step::ended;
  }
}

Step write_all(int fd, const std::uint8_t* bytes, std::size_t size, Clock::time_point deadline) {
  while (size > 0) {
    const ssize_t n = write(fd, bytes, size);
    if (n > 0) {
      bytes += n;
      size -= static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return Step::ended;
    if (const Step step = wait_ready(fd, POLLOUT, deadline); step != Step::done) return step;
  }
  return Step::done;
}

Step read_exact(int fd, char* into, std::size_t size, Clock::time_point deadline) {
  while (size > 0) {
    const ssize_t n = read(fd, into, size);
    if (n > 0) {
      into += n;
      size -= static_cast<std::size_t>(n);
      continue;
    }
    if (n == 0) return Step::ended;
    if (errno == EINTR) continue;
    if (errno != EAGAIN) return Step::ended;
    if (const Step step = wait_ready(fd, POLLIN, deadline); step != Step::done) return step;
  }
  return Step::done;
}

Step send_file(const Worker& worker, const std::uint8_t* bytes, std::size_t size, Clock::time_point deadline) {
  const SigpipeBlocked blocked;
  const std::string header = reader_frame_header(size);
  const Step step =
      write_all(worker.request(), reinterpret_cast<const std::uint8_t*>(header.data()), header.size(), deadline);
  return step == Step::done ? write_all(worker.request(), bytes, size, deadline) : step;
}

Step receive_answer(const Worker& worker, std::string* body, Clock::time_point deadline) {
  char header[kReaderFrameHeader];
  if (const Step step = read_exact(worker.answer(), header, sizeof header, deadline); step != Step::done) {
    return step;
  }
  const std::uint64_t length = reader_frame_length(reinterpret_cast<const std::uint8_t*>(header));
  if (length > kReaderMaxAnswerBytes) return Step::ended;
  body->resize(length);
  return read_exact(worker.answer(), body->data(), body->size(), deadline);
}

ErrorCode report_timeout(std::chrono::seconds timeout) {
  return report_around(messages::kReaderTookLongerThan, std::to_string(timeout.count()),
                       messages::kReaderSeconds);
}

// Why a worker ended without an answer, from its wait status.
ErrorCode report_ended(int status) {
  if (WIFSIGNALED(status)) {
    if (WTERMSIG(status) == SIGSYS) return report(messages::kReaderForbiddenCall);
    return report_around(messages::kReaderStoppedBySignal, std::to_string(WTERMSIG(status)),
                         messages::kReaderStoppedBySignalEnd);
  }
  return report(messages::kReaderGaveNoAnswer);
}

ErrorCode report_answer(ReaderAnswer answer, std::vector<ScannedCode>* codes) {
  if (answer.failure) {
    return set_error(static_cast<ErrorCode>(answer.failure->code), answer.failure->message,
                     answer.failure->detail);
  }
  *codes = std::move(answer.codes);
  return ERROR_OK;
}

}  // namespace

ErrorCode scan_isolated(const std::uint8_t* bytes, std::size_t size, std::chrono::seconds timeout,
                        std::vector<ScannedCode>* codes) {
  const Clock::time_point deadline = Clock::now() + timeout;
  const std::string path = reader_path();
  // A pooled worker may have ended since its last file; a fresh one is tried once then.
  std::optional<Worker> worker = pool().take(path);
  bool pooled = worker.has_value();
  for (;;) {
    if (!worker) worker = start(path);
    if (!worker) return report(messages::kCannotStartReader, path);
    Step step = send_file(*worker, bytes, size, deadline);
    if (step == Step::ended && pooled) {
      worker.reset();
      pooled = false;
      continue;
    }
    std::string body;
    if (step == Step::done) step = receive_answer(*worker, &body, deadline);
    if (step == Step::timed_out) {
      worker->stop();
      return report_timeout(timeout);
    }
    if (step == Step::ended) {
      const std::optional<int> status = worker->wait_until(deadline);
      if (!status) {
        worker->stop();
        return report_timeout(timeout);
      }
      return report_ended(*status);
    }
    std::optional<ReaderAnswer> answer = reader_answer_read(body);
    if (!answer) {
      worker->stop();
      return report(messages::kReaderGaveNoAnswer);
    }
    if (!answer->retiring) pool().give_back(std::move(*worker));
    return report_answer(std::move(*answer), codes);
  }
}

}  // namespace tolvex
