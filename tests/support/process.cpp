#include "support/process.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tolvex::test {

std::string shell_quote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void write_file(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tolvex-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

ProcessResult run_command(const std::string& command, const std::string& stdinFile) {
  const TempDir scratch;
  const std::string outFile = scratch.file("out");
  const std::string errFile = scratch.file("err");
  const std::string full = command + " <" + shell_quote(stdinFile.empty() ? "/dev/null" : stdinFile) + " >" +
                           shell_quote(outFile) + " 2>" + shell_quote(errFile);
  const int raw = std::system(full.c_str());
  ProcessResult result;
  result.status = (raw != -1 && WIFEXITED(raw)) ? WEXITSTATUS(raw) : -1;
  result.out = read_file(outFile);
  result.err = read_file(errFile);
  return result;
}

ProcessResult run_with_input(const std::string& command, const std::string& text) {
  const TempDir scratch;
  const std::string inFile = scratch.file("in");
  write_file(inFile, text);
  return run_command(command, inFile);
}

}  // namespace tolvex::test
