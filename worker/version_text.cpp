#include "worker/version_text.h"

#include <cstring>

void TakeSecondLine(VersionText& version, std::size_t count) {
  char line[kVersionReadSize + 1];
  std::size_t position = 0;
  bool firstLineSeen = false;
  for (std::size_t i = 0; i < count; ++i) {
    char c = version.text[i];
    if (c == '\r') continue;
    if (c != '\n') {
      line[position++] = c;
    } else if (!firstLineSeen) {
      firstLineSeen = true;
      position = 0;
    } else {
      line[position] = '\0';
      std::memcpy(version.text, line, position + 1);
      return;
    }
  }
  // No second line feed: the raw text read stands as the version.
}

Gate CheckVersion(const char* version) {
  if (CompareVersionText(version, RAVO_MINIMUM_VERSION) < 0) return Gate::TooOld;
  if (CompareVersionText(version, RAVO_PACKAGE_VERSION) > 0) return Gate::Newer;
  return Gate::Accepted;
}
