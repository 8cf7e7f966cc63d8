// The installed version as the handheld's version file gives it, and the
// gate that decides whether a revision-up may go on.
#pragma once

#include <cstddef>

#include "resources/version.h"

constexpr std::size_t kVersionReadSize = 260;

// Room for the bytes read and the NUL after them.
struct VersionText {
  char text[kVersionReadSize + 1] = {};
};

// Takes the second line of the bytes read (carriage returns dropped); keeps
// the raw bytes when they hold no second line feed. `count` is at most 260.
void TakeSecondLine(VersionText& version, std::size_t count);

// lstrcmpA on Windows, a byte-wise comparison elsewhere; only the sign counts.
int CompareVersionText(const char* a, const char* b);

enum class Gate { TooOld, Accepted, Newer };
Gate CheckVersion(const char* version);
