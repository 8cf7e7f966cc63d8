// The version read over seeded random inputs, for builds without libFuzzer:
// 0 to 600 bytes biased towards line feeds, carriage returns and NULs.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tests/fuzz/version_read.h"

TEST(VersionRead, RandomFilesFollowTheRule) {
  std::mt19937 random(260);
  std::uniform_int_distribution<std::size_t> length(0, 600);
  std::uniform_int_distribution<int> pick(0, 9);
  std::uniform_int_distribution<int> byte(0, 255);
  const std::uint8_t special[] = {'\n', '\r', '\0', 'V'};
  std::vector<std::uint8_t> bytes;
  for (int run = 0; run < 20000; ++run) {
    bytes.resize(length(random));
    for (auto& b : bytes) {
      int p = pick(random);
      b = p < 4 ? special[p] : static_cast<std::uint8_t>(byte(random));
    }
    CheckVersionRead(bytes.data(), bytes.size());
  }
}
