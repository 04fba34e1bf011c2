#include "image/png_check.h"

#include <png.h>

#include <cstdio>

namespace tolvex {
namespace {

// libpng reports through these; its default ones would print to standard error.
void refuse(png_structp png, png_const_charp /*message*/) { png_longjmp(png, 1); }
void ignore(png_structp /*png*/, png_const_charp /*message*/) {}

// No C++ object lives across the setjmp: libpng leaves through longjmp on every error.
bool read_through(std::FILE* file) {
  png_byte signature[8];
  if (std::fread(signature, 1, sizeof signature, file) != sizeof signature ||
      png_sig_cmp(signature, 0, sizeof signature) != 0) {
    return false;
  }
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, refuse, ignore);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  png_bytep volatile row = nullptr;
  volatile bool complete = false;
  if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_sig_bytes(png, sizeof signature);
    png_read_info(png, info);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    row = static_cast<png_bytep>(png_malloc(png, png_get_rowbytes(png, info)));
    const png_uint_32 height = png_get_image_height(png, info);
    for (int pass = 0; pass < passes; ++pass) {
      for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, row, nullptr);
    }
    png_read_end(png, nullptr);
    complete = true;
  }
  png_free(png, row);
  png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
  return complete;
}

}  // namespace

bool png_file_reads(const char* path) {
  std::FILE* file = path != nullptr ? std::fopen(path, "rb") : nullptr;
  if (file == nullptr) return false;
  const bool reads = read_through(file);
  std::fclose(file);
  return reads;
}

}  // namespace tolvex
