#include "device/remote_handle.h"
#include "worker/device_paths.h"
#include "worker/steps.h"
#include "worker/version_text.h"

bool ReadVersionFile(const DeviceApi& api, VersionText& version) {
  RemoteFile file(api, api.CeCreateFile(device_path::kVersionFile, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD read = 0;
  if (api.CeReadFile(file.get(), version.text, kVersionReadSize, &read, nullptr)) {
    if (read > kVersionReadSize) read = kVersionReadSize;  // never trust a count beyond the buffer
    version.text[read] = '\0';
    TakeSecondLine(version, read);
  } else {
    version.text[0] = '\0';
  }
  return true;
}
