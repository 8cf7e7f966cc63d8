#include "worker/device_paths.h"
#include "worker/steps.h"
#include "worker/version_text.h"

bool ReadVersionFile(RapiClass& rapi, VersionText& version) {
  HANDLE file = rapi.CeCreateFile(device_path::kVersionFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD read = 0;
  if (rapi.CeReadFile(file, version.text, kVersionReadSize, &read, nullptr)) {
    if (read > kVersionReadSize) read = kVersionReadSize;  // never trust a count beyond the buffer
    version.text[read] = '\0';
    TakeSecondLine(version, read);
  } else {
    version.text[0] = '\0';
  }
  rapi.CeCloseHandle(file);
  return true;
}
