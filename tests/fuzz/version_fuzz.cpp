// libFuzzer entry: `make fuzz` runs it for long, `make test` for a bounded
// number of inputs.
#include "tests/fuzz/version_read.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size <= 600) CheckVersionRead(data, size);
  return 0;
}
