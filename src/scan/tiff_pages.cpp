// TIFF files, as office scanners write them, read from memory through libtiff's client interface.
#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "base/messages.h"
#include "scan/picture_load.h"
#include "scan/scan_limits.h"

namespace tolvex {
namespace {

// The file's bytes as libtiff's client sees them: read-only, with a position.
struct MemoryFile {
  const std::uint8_t* bytes;
  toff_t size;
  toff_t position = 0;
};

MemoryFile& file_of(thandle_t handle) { return *static_cast<MemoryFile*>(handle); }

tmsize_t read_bytes(thandle_t handle, void* buffer, tmsize_t wanted) {
  MemoryFile& file = file_of(handle);
  if (wanted <= 0 || file.position >= file.size) return 0;
  const toff_t count = std::min<toff_t>(static_cast<toff_t>(wanted), file.size - file.position);
  std::memcpy(buffer, file.bytes + file.position, count);
  file.position += count;
  return static_cast<tmsize_t>(count);
}

tmsize_t write_bytes(thandle_t, void*, tmsize_t) { return 0; }

toff_t seek(thandle_t handle, toff_t offset, int whence) {
  MemoryFile& file = file_of(handle);
  std::int64_t base = 0;
  if (whence == SEEK_CUR) base = static_cast<std::int64_t>(file.position);
  if (whence == SEEK_END) base = static_cast<std::int64_t>(file.size);
  // libtiff passes a signed offset in the unsigned type; a position past the end reads nothing.
  const auto delta = static_cast<std::int64_t>(offset);
  if (delta < -base || delta > std::int64_t{1} << 62) return static_cast<toff_t>(-1);
  file.position = static_cast<toff_t>(base + delta);
  return file.position;
}

int close_file(thandle_t) { return 0; }
toff_t file_size(thandle_t handle) { return file_of(handle).size; }
int map_file(thandle_t, void**, toff_t*) { return 0; }
void unmap_file(thandle_t, void*, toff_t) {}

// libtiff's diagnostics of a damaged file; the error record says what failed.
int quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct OptionsDeleter {
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};
struct TiffDeleter {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

ErrorCode read_page(TIFF* tiff, GrayImage* picture) {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  if (TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) != 1 || TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height) != 1) {
    return report(messages::kCannotReadTiffPicture);
  }
  if (const ErrorCode code = check_picture_size(width, height)) return code;
  char reason[1024] = {};
  if (TIFFRGBAImageOK(tiff, reason) != 1) return report(messages::kCannotReadTiffPicture);
  const std::size_t pixels = static_cast<std::size_t>(width) * height;
  std::vector<std::uint32_t> raster(pixels);
  // stopOnError 1: a page with a damaged strip fails rather than showing half a code.
  if (TIFFReadRGBAImageOriented(tiff, width, height, raster.data(), ORIENTATION_TOPLEFT, 1) != 1) {
    return report(messages::kCannotReadTiffPicture);
  }
  GrayImage result;
  result.width = static_cast<int>(width);
  result.height = static_cast<int>(height);
  result.pixels.resize(pixels);
  for (std::size_t i = 0; i < pixels; ++i) {
    const std::uint32_t abgr = raster[i];
    // Premultiplied alpha: what is transparent shows the white paper beneath.
    const unsigned clear = 255 - TIFFGetA(abgr);
    result.pixels[i] = gray_luminance(TIFFGetR(abgr) + clear, TIFFGetG(abgr) + clear, TIFFGetB(abgr) + clear);
  }
  *picture = std::move(result);
  return ERROR_OK;
}

}  // namespace

ErrorCode tiff_visit_pages(const std::uint8_t* bytes, std::size_t size, const PageVisitor& visit) {
  const std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
  if (!options) return report(messages::kNotEnoughMemory);
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kScanMaxDecoderAllocation);
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), quiet, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), quiet, nullptr);
  MemoryFile file{bytes, size};
  // "m": no memory mapping, the client's reads are the only access.
  const std::unique_ptr<TIFF, TiffDeleter> tiff(TIFFClientOpenExt("memory", "rm", &file, read_bytes, write_bytes,
                                                                  seek, close_file, file_size, map_file,
                                                                  unmap_file, options.get()));
  if (!tiff) return report(messages::kCannotReadTiffPicture);
  // Counting walks the chain of directories (libtiff refuses a loop in it) without decoding any.
  if (TIFFNumberOfDirectories(tiff.get()) > kScanMaxTiffPages) return report(messages::kTooManyTiffPages);
  int page = 1;
  do {
    GrayImage picture;
    if (const ErrorCode code = read_page(tiff.get(), &picture)) return fail_on_page(code, page);
    if (const ErrorCode code = visit(page, picture)) return code;
    ++page;
  } while (page <= kScanMaxTiffPages && TIFFReadDirectory(tiff.get()) == 1);
  return ERROR_OK;
}

}  // namespace tolvex
