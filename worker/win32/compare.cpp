#include <windows.h>

#include "worker/version_text.h"

int CompareVersionText(const char* a, const char* b) { return lstrcmpA(a, b); }
