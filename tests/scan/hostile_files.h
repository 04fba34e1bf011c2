// Files that claim more than the reading limits allow, or that cannot be read, each with the
// error it must fail with: for the scan layer and for tolvexdecode.
#pragma once

#include <string>
#include <vector>

#include "scan/pictures.h"
#include "tolvex/error.hpp"

namespace tolvex::test {

struct Hostile {
  const char* name;
  Bytes bytes;
  ErrorCode code;
  const char* line;              // the error line from memory, without the page
  int page = 0;                  // the page the failure is on, 0 for the whole file
  const char* toolLine = nullptr;  // tolvexdecode's line where it keeps one of its own
};

std::vector<Hostile> hostile_files();

// One page drawing one image of 30000 x 30000 pixels: 682 bytes of JBIG2, or a few hundred KB
// of Flate data.
const Bytes& pdf_of_huge_image(bool jbig2);
// A progressive JPEG of 5000 scans over 8000 x 8000 pixels.
const Bytes& jpeg_of_many_scans();
// Form XObjects six levels deep, each drawing the next twenty times: 64 million rectangles.
Bytes pdf_of_nested_forms();

// The error line of scan_memory for the file, and that of a file at path.
std::string memory_line(const Hostile& file);
std::string file_line(const Hostile& file, const std::string& path);

}  // namespace tolvex::test
