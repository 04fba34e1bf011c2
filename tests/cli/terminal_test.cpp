// tolvexqr as a person meets it at a terminal: help and version answer at once, and a tool
// waiting for a document says so.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "support/process.h"

namespace tolvex {
namespace {

const std::string kSourceDir = TOLVEX_SOURCE_DIR;

struct Exit {
  bool exited = false;  // false when the tool was still running after the grace period
  int status = -1;
  std::string output;
};

// Reads what the tool writes to fd until it ends, and reaps the tool; a tool still running
// after the grace period is killed and reported as not exited.
Exit collect(pid_t child, int fd) {
  Exit result;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  char buffer[4096];
  bool open = true;
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd ready{fd, POLLIN, 0};
    if (open && ::poll(&ready, 1, 50) > 0) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      // The end of output; a pty whose other side has closed answers EIO.
      if (n <= 0) open = false;
      if (n > 0) result.output.append(buffer, static_cast<std::size_t>(n));
      continue;
    }
    int status = 0;
    if (::waitpid(child, &status, WNOHANG) == child) {
      result.exited = true;
      result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      return result;
    }
    if (!open) ::usleep(10000);
  }
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  return result;
}

// Runs the tool with standard input a pipe that stays open and empty: a tool that read it would
// wait for good.
Exit run_with_open_input(const std::vector<std::string>& arguments) {
  int input[2];
  int output[2];
  if (::pipe(input) != 0 || ::pipe(output) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(input[0], STDIN_FILENO);
    ::dup2(output[1], STDOUT_FILENO);
    ::dup2(output[1], STDERR_FILENO);
    std::vector<char*> argv{const_cast<char*>(TOLVEX_CLI_PATH)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(TOLVEX_CLI_PATH, argv.data());
    ::_exit(127);
  }
  ::close(input[0]);
  ::close(output[1]);
  Exit result = collect(child, output[0]);
  ::close(input[1]);
  ::close(output[0]);
  return result;
}

TEST(Terminal, HelpAndVersionAnswerWithoutReadingInput) {
  const std::string usage = test::read_file(kSourceDir + "/tests/cli/usage.txt");
  const struct {
    std::vector<std::string> arguments;
    std::string output;
  } cases[] = {
      {{"-h"}, usage},
      {{"--help"}, usage},
      {{"--HELP", "-v=nonsense"}, usage},
      {{"-f=x.png", "--version"}, "Tolvex QR code encoder tool. Version: 1.0.10\n"},
      {{"--version", "-h"}, usage},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.front());
    const Exit result = run_with_open_input(c.arguments);
    ASSERT_TRUE(result.exited) << "the tool waited for standard input";
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, c.output);
  }
}

TEST(Terminal, SaysItReadsStandardInputWhenThatIsATerminal) {
  const test::TempDir work;
  const std::string file = work.file("code.png");
  const std::string logo = "-l=" + kSourceDir + "/logo/";
  const std::string out = "-f=" + file;
  int terminal = -1;
  const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::execl(TOLVEX_CLI_PATH, TOLVEX_CLI_PATH, logo.c_str(), out.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  // The document typed in, then the end of input a terminal gives for Ctrl-D on a new line.
  std::string typed = test::read_file(kSourceDir + "/examples/pay-single.xml");
  typed += "\n\x04";
  for (std::size_t written = 0; written < typed.size();) {
    const ssize_t n = ::write(terminal, typed.data() + written, typed.size() - written);
    ASSERT_GT(n, 0);
    written += static_cast<std::size_t>(n);
  }
  const Exit result = collect(child, terminal);
  ::close(terminal);
  ASSERT_TRUE(result.exited);
  EXPECT_EQ(result.status, 0) << result.output;
  EXPECT_NE(result.output.find("reading the document from standard input...\r\n"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("Successfully written image to file: " + file), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(file));
}

}  // namespace
}  // namespace tolvex
