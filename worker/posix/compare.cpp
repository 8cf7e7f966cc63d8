#include <cstring>

#include "worker/version_text.h"

int CompareVersionText(const char* a, const char* b) { return std::strcmp(a, b); }
