// Arbitrary bytes as a TIFF file, every page (directory) decoded, read in this process. Inputs of another format are skipped,
// so that the fuzzer spends its time in this decoder. The file either fails as unreadable or
// beyond the limits, or gives codes whose documents are those their texts decode to.
#include <cstddef>
#include <cstdint>

#include "scan_properties.h"

using namespace tolvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return fuzz::fuzz_one_format(ScanFormat::tiff, data, size);
}
