// Files that claim more than the reading limits allow, or that cannot be read, each with the
// error it must fail with: for the scan layer and for tolvexdecode.
#pragma once

#include <vector>

#include "scan/pictures.h"
#include "tolvex/error.hpp"

namespace tolvex::test {

struct Hostile {
  const char* name;
  Bytes bytes;
  ErrorCode code;
  const char* line;
};

std::vector<Hostile> hostile_files();

}  // namespace tolvex::test
