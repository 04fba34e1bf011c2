// Arbitrary bytes as a TIFF file, every page (directory) decoded, read in this process. Inputs of another format are skipped,
// so that the fuzzer spends its time in this decoder. The file either fails as unreadable or
// beyond the limits, or gives codes whose documents are those their texts decode to.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "scan/picture_load.h"
#include "scan_properties.h"

using namespace tolvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (scan_format(data, size) != ScanFormat::tiff) return 0;
  std::vector<ScannedCode> codes;
  const ErrorCode code = fuzz::scan_here(data, size, &codes);
  if (code != ERROR_OK) {
    fuzz::require_clean_failure(code, codes);
    return 0;
  }
  fuzz::require_consistent(codes);
  return 0;
}
