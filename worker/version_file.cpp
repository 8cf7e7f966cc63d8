#include "device/failed_call.h"
#include "device/remote_handle.h"
#include "log/diagnostic_log.h"
#include "worker/device_paths.h"
#include "worker/steps.h"
#include "worker/version_text.h"

bool ReadVersionFile(const DeviceApi& api, VersionText& version) {
  RemoteFile file(api, api.CeCreateFile(device_path::kVersionFile, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    diag::Log([&] { LogFailedCall(api, "CeCreateFile", LogText(device_path::kVersionFile)); });
    return false;
  }
  DWORD read = 0;
  if (api.CeReadFile(file.get(), version.text, kVersionReadSize, &read, nullptr)) {
    if (read > kVersionReadSize) read = kVersionReadSize;  // never trust a count beyond the buffer
    version.text[read] = '\0';
    diag::Log([&] {
      diag::Event("version file: " + std::to_string(read) + " bytes read: \"" +
                  diag::Escaped(std::string_view(version.text, read)) + "\"");
    });
    TakeSecondLine(version, read);
  } else {
    diag::Log([&] { LogFailedCall(api, "CeReadFile", LogText(device_path::kVersionFile)); });
    version.text[0] = '\0';
  }
  return true;
}
