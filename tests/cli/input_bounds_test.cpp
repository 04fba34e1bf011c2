// Input of any size or kind: standard input and batch documents are read within their bound,
// devices are refused without being read, and a signal stops tolvexbatch while it waits on a
// FIFO. Every tool runs under a deadline, so that a regression fails instead of hanging.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "cli/batch.h"
#include "cli/options.h"
#include "support/process.h"

extern char** environ;

namespace tolvex {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::run_command;
using test::shell_quote;
using test::TempDir;
using test::write_file;

const std::string kDeadline = "timeout -s KILL 60 ";
const std::string kBatch = kDeadline + shell_quote(TOLVEX_BATCH_PATH);

class Pipe {
 public:
  Pipe() { EXPECT_EQ(::pipe2(ends_, O_CLOEXEC), 0); }
  ~Pipe() {
    for (const int end : ends_) {
      if (end >= 0) ::close(end);
    }
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  int reading() const { return ends_[0]; }
  void write(const std::string& bytes) { ASSERT_EQ(::write(ends_[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }
  void close_writing() {
    ::close(ends_[1]);
    ends_[1] = -1;
  }

 private:
  int ends_[2] = {-1, -1};
};

TEST(ReadInput, TheBoundCountsEveryByteRead) {
  const struct {
    const char* what;
    std::string bytes;
    std::size_t limit;
    InputEnd end;
    std::string text;
  } cases[] = {
      {"at the bound", std::string(10, 'x'), 10, InputEnd::complete, std::string(10, 'x')},
      {"one past it", std::string(11, 'x'), 10, InputEnd::tooLarge, "unchanged"},
      {"zero bytes take nothing but count", std::string(11, '\0'), 10, InputEnd::tooLarge, "unchanged"},
      {"a line ended by an end of transmission", "ab\x04\n" + std::string(100, 'x'), 10, InputEnd::complete, "ab"},
      {"an end of transmission in an unfinished line", "ab\x04" + std::string(100, 'x'), 10, InputEnd::tooLarge,
       "unchanged"},
  };
  for (const auto& c : cases) {
    Pipe pipe;
    std::thread writer([&] {
      pipe.write(c.bytes);
      pipe.close_writing();
    });
    std::string text = "unchanged";
    EXPECT_EQ(read_input(pipe.reading(), c.limit, &text), c.end) << c.what;
    EXPECT_EQ(text, c.text) << c.what;
    writer.join();
  }
}

TEST(ReadInput, AStopEndsTheWaitForData) {
  Pipe pipe;  // a writer that never writes nor closes
  std::atomic<bool> stop{false};
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    stop.store(true);
  });
  std::string text = "unchanged";
  EXPECT_EQ(read_input(pipe.reading(), 100, &text, &stop), InputEnd::stopped);
  EXPECT_EQ(text, "unchanged");
  stopper.join();
}

// Standard input past 16 MiB, as a file and through a pipe: refused before it is parsed.
TEST(InputBounds, StandardInputPastTheBoundIsRefused) {
  const TempDir work;
  const std::string big = work.file("big.xml");
  write_file(big, "<Pay>" + std::string(kMaxInputBytes, ' ') + "</Pay>");
  const std::string line = "ERROR_ILLEGAL_ARGUMENT: Standard input too large, more than 16 MiB.  \n";
  for (const std::string& tool : {std::string(TOLVEX_CLI_PATH) + " --no_logo -f=" + shell_quote(work.file("a.png")),
                                  std::string(TOLVEX_DECODE_PATH)}) {
    const auto fromFile = run_command(kDeadline + tool, big);
    EXPECT_EQ(fromFile.status, 255) << tool;
    EXPECT_EQ(fromFile.err, line) << tool;
    const auto fromPipe = run_command("{ head -c 100000000 /dev/zero | " + kDeadline + tool + "; }");
    EXPECT_EQ(fromPipe.status, 255) << tool;
    EXPECT_EQ(fromPipe.err, line) << tool;
  }
  EXPECT_FALSE(fs::exists(work.file("a.png")));
}

TEST(InputBounds, BatchRefusesDevicesAndBoundsFifos) {
  const TempDir work;
  const std::string fifo = work.file("stream.xml");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string out = work.file("out");
  // The FIFO is fed far past the bound by a writer that would go on for ever.
  const auto result = run_command("(yes '<Pay/>' > " + shell_quote(fifo) + " 2>/dev/null &) ; " + kBatch +
                                  " -i=xml -o=" + shell_quote(out) + " /dev/zero /dev/null " + shell_quote(fifo));
  EXPECT_EQ(result.status, 1);
  const std::string device = ": ERROR_ILLEGAL_ARGUMENT: Input is a directory or a device, not a document file.  \n";
  EXPECT_EQ(result.err, "/dev/zero" + device + "/dev/null" + device + fifo +
                            ": ERROR_ILLEGAL_ARGUMENT: Input file too large.  \n" + "Written 0 of 3 pictures to " +
                            out + "; 3 failed.\n");
}

// A FIFO that no one ever writes to: the open and the reading wait, and SIGTERM ends them.
TEST(InputBounds, SigtermStopsBatchWaitingOnAFifo) {
  const TempDir work;
  const std::string fifo = work.file("waiting.xml");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string out = work.file("out");
  fs::create_directories(out);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, work.file("err").c_str(), O_WRONLY | O_CREAT, 0644);
  std::string outOption = "-o=" + out;
  std::string fifoArgument = fifo;
  char* argv[] = {const_cast<char*>(TOLVEX_BATCH_PATH), outOption.data(), fifoArgument.data(), nullptr};
  pid_t child = -1;
  ASSERT_EQ(posix_spawn(&child, TOLVEX_BATCH_PATH, &actions, nullptr, argv, environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  // Give it time to reach the FIFO; the signal must work whenever it comes.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ::kill(child, SIGTERM);
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (::waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
      FAIL() << "tolvexbatch still waiting ten seconds after SIGTERM";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  EXPECT_EQ(read_file(work.file("err")), "Interrupted: written 0 of 1 pictures to " + out + "; 0 failed, 1 not started.\n");
  EXPECT_TRUE(fs::is_empty(out));
}

}  // namespace
}  // namespace tolvex
