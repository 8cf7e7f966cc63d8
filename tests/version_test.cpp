#include <gtest/gtest.h>

#include <string>

#include "worker/version_text.h"

namespace {

std::string SecondLine(const std::string& bytes) {
  VersionText version;
  std::copy(bytes.begin(), bytes.end(), version.text);
  version.text[bytes.size()] = '\0';
  TakeSecondLine(version, bytes.size());
  return version.text;
}

TEST(VersionFile, TakesTheSecondLine) {
  EXPECT_EQ(SecondLine("ravo+ for Q58\nVersion 1.1.1.0\n"), "Version 1.1.1.0");
  EXPECT_EQ(SecondLine("anything at all\r\nVersion 1.1.1.0\r\nthird\r\n"), "Version 1.1.1.0");
  // Carriage returns are dropped wherever they stand.
  EXPECT_EQ(SecondLine("x\nVer\rsion 1.1.1.0\r\r\n"), "Version 1.1.1.0");
  EXPECT_EQ(SecondLine("\n\n"), "");
  EXPECT_EQ(SecondLine(""), "");
}

TEST(VersionFile, KeepsTheRawTextWithoutASecondLineFeed) {
  EXPECT_EQ(SecondLine("first\r\nVersion 1.1.1.0"), "first\r\nVersion 1.1.1.0");
  EXPECT_EQ(SecondLine("Version 1.1.1.0"), "Version 1.1.1.0");

  std::string full(kVersionReadSize, 'v');
  EXPECT_EQ(SecondLine(full), full);
  std::string oneBreak = "a\n" + std::string(kVersionReadSize - 2, 'b');
  EXPECT_EQ(SecondLine(oneBreak), oneBreak);
}

TEST(VersionFile, SecondLineThatFillsTheRead) {
  // The longest second line that 260 bytes can hold.
  std::string line(kVersionReadSize - 2, 'z');
  EXPECT_EQ(SecondLine("\n" + line + "\n"), line);
}

TEST(VersionGate, ComparesAsText) {
  EXPECT_EQ(CheckVersion("Version 1.0.9.9"), Gate::TooOld);
  EXPECT_EQ(CheckVersion(""), Gate::TooOld);
  EXPECT_EQ(CheckVersion("Version 1.1.0.0"), Gate::Accepted);
  EXPECT_EQ(CheckVersion("Version 1.1.1.0"), Gate::Accepted);
  EXPECT_EQ(CheckVersion("Version 1.1.2.0"), Gate::Accepted);
  // Text, not numbers: 1.1.10.0 sorts before 1.1.2.0.
  EXPECT_EQ(CheckVersion("Version 1.1.10.0"), Gate::Accepted);
  EXPECT_EQ(CheckVersion("Version 1.1.2.1"), Gate::Newer);
  EXPECT_EQ(CheckVersion("Version 2.0.0.0"), Gate::Newer);
}

}  // namespace
