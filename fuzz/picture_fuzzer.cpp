// Arbitrary bytes as a picture read in this process. Input starting with byte 0x01 is a JPEG whose
// first bytes are supplied here, so that the fuzzer works on JPEG markers as well as on PNG
// chunks from the seeds. A picture either fails as unreadable or beyond the limits, or gives
// codes whose documents are those their texts decode to.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "scan/picture_load.h"
#include "scan_properties.h"

using namespace tolvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> bytes(data, data + size);
  if (size >= 1 && data[0] == 0x01) {
    bytes[0] = 0xD8;
    bytes.insert(bytes.begin(), 0xFF);
  }
  if (bytes.size() >= 5 && scan_format(bytes.data(), bytes.size()) == ScanFormat::pdf) return 0;
  std::vector<ScannedCode> codes;
  const ErrorCode code = fuzz::scan_here(bytes.data(), bytes.size(), &codes);
  if (code != ERROR_OK) {
    fuzz::require_clean_failure(code, codes);
    return 0;
  }
  fuzz::require_consistent(codes);
  return 0;
}
