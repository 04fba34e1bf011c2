#include "image/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tolvex {
namespace {

bool write_all(int descriptor, std::span<const std::uint8_t> bytes) {
  const std::uint8_t* data = bytes.data();
  std::size_t length = bytes.size();
  while (length > 0) {
    const ssize_t written = ::write(descriptor, data, length);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    length -= static_cast<std::size_t>(written);
  }
  return true;
}

// Writes the file in place, as a plain open for writing does.
bool write_directly(const char* fileName, std::span<const std::uint8_t> bytes) {
  const int descriptor = ::open(fileName, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (descriptor < 0) return false;
  const bool written = write_all(descriptor, bytes);
  return ::close(descriptor) == 0 && written;
}

// Creates a new file beside target, readable like a file the program creates (or with the
// permissions of the file it replaces). Returns -1 when it cannot. The name is kept within
// NAME_MAX by shortening the target's part of it, so that a long name that is a valid file name
// still gets its temporary.
int create_temporary(const std::string& target, mode_t mode, std::string& name) {
  static std::atomic<unsigned> counter{0};
  const std::size_t slash = target.rfind('/');
  const std::string directory = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string suffix = ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    const std::size_t room = std::size_t{NAME_MAX} - 1 - suffix.size();
    name = directory + "." + base.substr(0, room) + suffix;
    const int descriptor = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (descriptor >= 0 || errno != EEXIST) return descriptor;
  }
  return -1;
}

// The file that a write to fileName would change: symbolic links are followed, so that
// replacing the file keeps the link.
std::string resolved_path(const char* fileName) {
  char resolved[PATH_MAX];
  return ::realpath(fileName, resolved) != nullptr ? std::string(resolved) : std::string(fileName);
}

}  // namespace

bool write_file_atomically(const char* fileName, std::span<const std::uint8_t> bytes) {
  if (fileName == nullptr || *fileName == '\0') return false;

  struct stat existing;
  const bool exists = ::stat(fileName, &existing) == 0;
  if (exists && !S_ISREG(existing.st_mode)) return write_directly(fileName, bytes);

  const std::string target = exists ? resolved_path(fileName) : std::string(fileName);
  const mode_t mode = exists ? (existing.st_mode & 07777) : 0666;
  std::string temporary;
  const int descriptor = create_temporary(target, mode, temporary);
  // Never rewrite a regular file in place: a failure halfway (a full disk) would leave a broken
  // file where a whole one was.
  if (descriptor < 0) return false;

  bool written = write_all(descriptor, bytes);
  if (exists && written && ::fchmod(descriptor, mode) != 0) written = false;
  if (::close(descriptor) != 0) written = false;
  if (written && std::rename(temporary.c_str(), target.c_str()) != 0) written = false;
  if (!written) std::remove(temporary.c_str());
  return written;
}

}  // namespace tolvex
