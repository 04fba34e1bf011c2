// Runs a program in a shell for end-to-end tests and captures what it wrote.
#pragma once

#include <string>
#include <vector>

namespace tolvex::test {

struct ProcessResult {
  int status = -1;  // exit status as the shell sees it (0-255), -1 if it did not exit normally
  std::string out;
  std::string err;
};

// Runs command with the file input as standard input ("" for /dev/null).
ProcessResult run_command(const std::string& command, const std::string& stdinFile = "");

// Runs command with text written to its standard input.
ProcessResult run_with_input(const std::string& command, const std::string& text);

// Runs a program directly (no shell), standard input from /dev/null, and reports besides its
// status and output the largest resident memory it used, in kilobytes.
struct MeasuredResult {
  ProcessResult result;
  long peakKilobytes = 0;
};
MeasuredResult run_measured(const std::vector<std::string>& arguments);

// Quotes text for a POSIX shell.
std::string shell_quote(const std::string& text);

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& content);

// A fresh directory under the system temporary directory, removed when the object dies.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace tolvex::test
