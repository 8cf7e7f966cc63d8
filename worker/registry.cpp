#include "device/failed_call.h"
#include "device/remote_handle.h"
#include "log/diagnostic_log.h"
#include "worker/device_paths.h"
#include "worker/steps.h"

namespace {

// The key is closed again before anything else is done there.
bool KeyExists(const DeviceApi& api, HKEY root, LPCWSTR path) {
  HKEY opened;
  if (LONG result = api.CeRegOpenKeyEx(root, path, 0, 0, &opened); result != ERROR_SUCCESS) {
    diag::Log([&] { LogFailedRegistryCall(api, "CeRegOpenKeyEx", LogKey(root, path), result, ERROR_FILE_NOT_FOUND); });
    return false;
  }
  RemoteKey key(api, opened);
  return true;
}

// An empty owner when the key can be neither opened nor created.
RemoteKey CreateKey(const DeviceApi& api, HKEY root, LPCWSTR path) {
  WCHAR noClass[] = {0};
  HKEY created;
  if (LONG result = api.CeRegCreateKeyEx(root, path, 0, noClass, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr);
      result != ERROR_SUCCESS) {
    diag::Log([&] { LogFailedRegistryCall(api, "CeRegCreateKeyEx", LogKey(root, path), result); });
    return {};
  }
  return RemoteKey(api, created);
}

void RemoveLauncherEntry(const DeviceApi& api) {
  if (!KeyExists(api, HKEY_CURRENT_USER, device_path::kLauncherEntry)) return;
  RemoteKey fileList = CreateKey(api, HKEY_CURRENT_USER, device_path::kLauncherFileList);
  if (!fileList) return;
  if (LONG result = api.CeRegDeleteKey(fileList.get(), device_path::kLauncherEntryName); result != ERROR_SUCCESS)
    diag::Log([&] { LogFailedRegistryCall(api, "CeRegDeleteKey", LogKey(HKEY_CURRENT_USER, device_path::kLauncherEntry), result); });
}

RemoteKey OpenOrCreateMakerKey(const DeviceApi& api) {
  HKEY opened;
  const LONG result = api.CeRegOpenKeyEx(HKEY_LOCAL_MACHINE, device_path::kMakerKey, 0, KEY_QUERY_VALUE, &opened);
  if (result == ERROR_SUCCESS) return RemoteKey(api, opened);
  diag::Log([&] { LogFailedRegistryCall(api, "CeRegOpenKeyEx", LogKey(HKEY_LOCAL_MACHINE, device_path::kMakerKey), result,
                        ERROR_FILE_NOT_FOUND); });
  return CreateKey(api, HKEY_LOCAL_MACHINE, device_path::kMakerKey);
}

void RecordPixelDensity(const DeviceApi& api) {
  INT dpi = api.CeGetDesktopDeviceCaps(LOGPIXELSX);
  // A density that is not positive means the query failed; writing it would
  // spoil the launcher's setting, so the value is left as it is.
  if (dpi <= 0) {
    diag::Log([&] { LogFailedCall(api, "CeGetDesktopDeviceCaps", "LOGPIXELSX, returned " + std::to_string(dpi)); });
    return;
  }

  RemoteKey maker = OpenOrCreateMakerKey(api);
  if (!maker) return;
  const DWORD value = static_cast<DWORD>(dpi);
  const BYTE data[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
                        static_cast<BYTE>(value >> 24)};
  if (LONG result = api.CeRegSetValueEx(maker.get(), device_path::kDpiValue, 0, REG_DWORD, data, sizeof data);
      result != ERROR_SUCCESS)
    diag::Log([&] { LogFailedRegistryCall(api, "CeRegSetValueEx",
                          LogKey(HKEY_LOCAL_MACHINE, device_path::kMakerKey) + " value " +
                              LogText(device_path::kDpiValue),
                          result); });
}

}  // namespace

void AdjustRegistry(const DeviceApi& api) {
  RemoveLauncherEntry(api);
  RecordPixelDensity(api);
}
