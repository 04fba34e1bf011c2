#include "support/process.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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

MeasuredResult run_measured(const std::vector<std::string>& arguments) {
  const TempDir scratch;
  const std::string outFile = scratch.file("out");
  const std::string errFile = scratch.file("err");
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  MeasuredResult measured;
  const pid_t child = fork();
  if (child == 0) {
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int raw = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &raw, 0, &usage) != child) return measured;
  measured.result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  measured.result.out = read_file(outFile);
  measured.result.err = read_file(errFile);
  measured.peakKilobytes = usage.ru_maxrss;
  return measured;
}

}  // namespace tolvex::test
