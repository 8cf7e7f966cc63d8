#include "worker/device_paths.h"
#include "worker/steps.h"

namespace {

void RemoveLauncherEntry(RapiClass& rapi) {
  HKEY entry;
  if (rapi.CeRegOpenKeyEx(HKEY_CURRENT_USER, device_path::kLauncherEntry, 0, 0, &entry) != ERROR_SUCCESS) return;
  rapi.CeRegCloseKey(entry);

  WCHAR noClass[] = {0};
  HKEY fileList;
  if (rapi.CeRegCreateKeyEx(HKEY_CURRENT_USER, device_path::kLauncherFileList, 0, noClass, 0, KEY_ALL_ACCESS,
                            nullptr, &fileList, nullptr) != ERROR_SUCCESS)
    return;
  rapi.CeRegDeleteKey(fileList, device_path::kLauncherEntryName);
  rapi.CeRegCloseKey(fileList);
}

void RecordPixelDensity(RapiClass& rapi) {
  INT dpi = rapi.CeGetDesktopDeviceCaps(LOGPIXELSX);
  // A density that is not positive means the query failed; writing it would
  // spoil the launcher's setting, so the value is left as it is.
  if (dpi <= 0) return;

  HKEY maker;
  if (rapi.CeRegOpenKeyEx(HKEY_LOCAL_MACHINE, device_path::kMakerKey, 0, KEY_QUERY_VALUE, &maker) != ERROR_SUCCESS) {
    WCHAR noClass[] = {0};
    if (rapi.CeRegCreateKeyEx(HKEY_LOCAL_MACHINE, device_path::kMakerKey, 0, noClass, 0, KEY_ALL_ACCESS, nullptr,
                              &maker, nullptr) != ERROR_SUCCESS)
      return;
  }
  const DWORD value = static_cast<DWORD>(dpi);
  const BYTE data[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
                        static_cast<BYTE>(value >> 24)};
  rapi.CeRegSetValueEx(maker, device_path::kDpiValue, 0, REG_DWORD, data, sizeof data);
  rapi.CeRegCloseKey(maker);
}

}  // namespace

void AdjustRegistry(RapiClass& rapi) {
  RemoveLauncherEntry(rapi);
  RecordPixelDensity(rapi);
}
