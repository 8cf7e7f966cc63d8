#include "bench/plain_run.h"

#include <algorithm>
#include <chrono>
#include <iterator>

#include "device/device_api.h"
#include "device/event.h"
#include "sim/sim.h"
#include "worker/device_paths.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr DWORD kChunk = 0xFFFF;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

DeviceApi BindSimulator() {
  DeviceApi api;
#define BIND(name, called) api.name = reinterpret_cast<devapi::name>(sim::Entry(#name));
  DEVICE_API_OPERATIONS(BIND)
#undef BIND
  return api;
}

}  // namespace

PlainTimes PlainRun(const std::vector<BYTE>& package) {
  namespace path = device_path;
  const DeviceApi api = BindSimulator();
  const auto start = Clock::now();

  RAPIINIT init{sizeof init, nullptr, 0};
  api.CeRapiInitEx(&init);
  WaitForEvent(init.heRapiInit, 5000);

  char version[261];
  DWORD read = 0;
  HANDLE file = api.CeCreateFile(path::kVersionFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
  api.CeReadFile(file, version, 260, &read, nullptr);
  api.CeCloseHandle(file);

  HKEY key;
  WCHAR noClass[] = {0};
  if (api.CeRegOpenKeyEx(HKEY_CURRENT_USER, path::kLauncherEntry, 0, 0, &key) == ERROR_SUCCESS) {
    api.CeRegCloseKey(key);
    api.CeRegCreateKeyEx(HKEY_CURRENT_USER, path::kLauncherFileList, 0, noClass, 0, KEY_ALL_ACCESS, nullptr, &key,
                         nullptr);
    api.CeRegDeleteKey(key, path::kLauncherEntryName);
    api.CeRegCloseKey(key);
  }
  const DWORD dpi = static_cast<DWORD>(api.CeGetDesktopDeviceCaps(LOGPIXELSX));
  if (api.CeRegOpenKeyEx(HKEY_LOCAL_MACHINE, path::kMakerKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    api.CeRegCreateKeyEx(HKEY_LOCAL_MACHINE, path::kMakerKey, 0, noClass, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  api.CeRegSetValueEx(key, path::kDpiValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
  api.CeRegCloseKey(key);

  for (const WCHAR* folder : path::kInstallFolders) api.CeCreateDirectory(folder, nullptr);
  file = api.CeCreateFile(path::kInstallCopy, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                          nullptr);
  const auto copyStart = Clock::now();
  const DWORD size = static_cast<DWORD>(package.size());
  for (DWORD at = 0; at < size; at += kChunk) {
    DWORD written = 0;
    api.CeWriteFile(file, package.data() + at, std::min(kChunk, size - at), &written, nullptr);
  }
  const auto copyEnd = Clock::now();
  api.CeCloseHandle(file);

  WCHAR commandLine[std::size(path::kInstallerCommandLine)];
  std::copy(std::begin(path::kInstallerCommandLine), std::end(path::kInstallerCommandLine), commandLine);
  PROCESS_INFORMATION info{};
  api.CeCreateProcess(path::kInstaller, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &info);
  api.CeCloseHandle(info.hThread);
  api.CeCloseHandle(info.hProcess);
  api.CeRapiUninit();
  return {Seconds(Clock::now() - start), Seconds(copyEnd - copyStart)};
}
