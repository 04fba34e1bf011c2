#include "image/png_file.h"

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

ErrorCode report_status(cairo_status_t status) {
  if (status == CAIRO_STATUS_SUCCESS) return ERROR_OK;
  if (status == CAIRO_STATUS_NO_MEMORY) return set_error_message(ERROR_IO, "Not enough memory. ");
  return set_error_message(ERROR_IO, "Cannot write image to output file. ");
}

cairo_status_t write_to_descriptor(void* closure, const unsigned char* data, unsigned int length) {
  const int descriptor = *static_cast<const int*>(closure);
  while (length > 0) {
    const ssize_t written = ::write(descriptor, data, length);
    if (written < 0) return CAIRO_STATUS_WRITE_ERROR;
    data += written;
    length -= static_cast<unsigned int>(written);
  }
  return CAIRO_STATUS_SUCCESS;
}

// Creates a new file beside target, readable like a file the program creates (or with the
// permissions of the file it replaces). Returns -1 when it cannot.
int create_temporary(const std::string& target, mode_t mode, std::string& name) {
  static std::atomic<unsigned> counter{0};
  const std::size_t slash = target.rfind('/');
  const std::string directory = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = directory + "." + base + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
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

ErrorCode write_png_file(cairo_surface_t* surface, const char* fileName) {
  if (const cairo_status_t status = cairo_surface_status(surface); status != CAIRO_STATUS_SUCCESS) {
    return report_status(status);
  }
  if (fileName == nullptr || *fileName == '\0') return report_status(CAIRO_STATUS_WRITE_ERROR);

  struct stat existing;
  const bool exists = ::stat(fileName, &existing) == 0;
  if (exists && !S_ISREG(existing.st_mode))
    return report_status(cairo_surface_write_to_png(surface, fileName));

  const std::string target = exists ? resolved_path(fileName) : std::string(fileName);
  const mode_t mode = exists ? (existing.st_mode & 07777) : 0666;
  std::string temporary;
  const int descriptor = create_temporary(target, mode, temporary);
  // A directory that takes no new files may still let an existing file be rewritten in place.
  if (descriptor < 0) return report_status(cairo_surface_write_to_png(surface, fileName));

  int closure = descriptor;
  cairo_status_t status = cairo_surface_write_to_png_stream(surface, write_to_descriptor, &closure);
  if (exists && status == CAIRO_STATUS_SUCCESS && ::fchmod(descriptor, mode) != 0)
    status = CAIRO_STATUS_WRITE_ERROR;
  if (::close(descriptor) != 0 && status == CAIRO_STATUS_SUCCESS) status = CAIRO_STATUS_WRITE_ERROR;
  if (status == CAIRO_STATUS_SUCCESS && std::rename(temporary.c_str(), target.c_str()) != 0) {
    status = CAIRO_STATUS_WRITE_ERROR;
  }
  if (status != CAIRO_STATUS_SUCCESS) std::remove(temporary.c_str());
  return report_status(status);
}

}  // namespace tolvex
