#include <algorithm>

#include "device/failed_call.h"
#include "device/remote_handle.h"
#include "log/diagnostic_log.h"
#include "worker/device_paths.h"
#include "worker/steps.h"

namespace {
// Device names are short (15 characters on most handhelds); a longer text
// is cut, never overrun.
constexpr DWORD kNameChars = 64;

std::string Unknown(const std::string& why) { return "name unknown (" + why + ")"; }
std::string Error(LONG result) {
  return result == ERROR_FILE_NOT_FOUND ? "not found" : "handheld error " + std::to_string(result);
}
}  // namespace

std::string DescribeHandheld(const DeviceApi& api) {
  const std::string where =
      LogKey(HKEY_LOCAL_MACHINE, device_path::kIdentKey) + " value " + LogText(device_path::kDeviceNameValue);
  // The library may lack the query; it is bound only as an optional call.
  if (api.CeRegQueryValueEx == nullptr) return Unknown("the library cannot read registry values");
  HKEY opened;
  if (LONG result = api.CeRegOpenKeyEx(HKEY_LOCAL_MACHINE, device_path::kIdentKey, 0, KEY_QUERY_VALUE, &opened);
      result != ERROR_SUCCESS)
    return Unknown(LogKey(HKEY_LOCAL_MACHINE, device_path::kIdentKey) + ": " + Error(result));
  RemoteKey key(api, opened);
  WCHAR name[kNameChars + 1] = {};
  DWORD type = 0;
  DWORD size = kNameChars * sizeof(WCHAR);
  if (LONG result = api.CeRegQueryValueEx(key.get(), device_path::kDeviceNameValue, nullptr, &type,
                                          reinterpret_cast<LPBYTE>(name), &size);
      result != ERROR_SUCCESS)
    return Unknown(where + ": " + Error(result));
  if (type != REG_SZ) return Unknown(where + ": not a text, type " + std::to_string(type));
  // The size the handheld reports may include the NUL or not, or be wrong;
  // the buffer always ends in one.
  const std::size_t chars = std::min<std::size_t>(size / sizeof(WCHAR), kNameChars);
  name[chars] = 0;
  std::string quoted(1, '"');
  quoted += diag::Escaped(LogText(name));
  quoted += '"';
  return quoted;
}

void LogVersionRead(const std::string& handheld, const char* version) noexcept {
  diag::Log([&] {
    diag::Event(version == nullptr ? "version text: none, no version file; handheld " + handheld
                                   : "version text: \"" + diag::Escaped(version) + "\", handheld " + handheld);
  });
}
