#include <windows.h>

#include <cstdio>

#include "base/kernel_handle.h"
#include "log/diagnostic_log.h"
#include "log_platform.h"

namespace diag::platform {

namespace {
class WindowsFile final : public AppendFile {
 public:
  WindowsFile(UniqueFileHandle file, std::uint64_t size) : file_(std::move(file)), size_(size) {}
  bool Write(std::string_view bytes) override {
    DWORD written = 0;
    return WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
  }
  std::uint64_t InitialSize() const override { return size_; }

 private:
  UniqueFileHandle file_;
  std::uint64_t size_;
};

std::wstring Environment(const wchar_t* name) {
  wchar_t value[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(value, length);
}
}  // namespace

LocalTime Now() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

std::wstring StandardFolder() {
  std::wstring base = Environment(L"LOCALAPPDATA");
  if (base.empty()) return {};
  std::wstring folder = base + L"\\RavoVup";
  if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return {};
  return folder;
}

std::unique_ptr<AppendFile> OpenForAppend(const std::wstring& path) {
  // Appending only, so that every line lands at the end even when a second
  // copy of the program writes to the same file; the sharing lets others
  // read the log, and move or delete it, while it is open here.
  UniqueFileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return nullptr;
  LARGE_INTEGER size{};
  GetFileSizeEx(file.get(), &size);
  return std::make_unique<WindowsFile>(std::move(file), static_cast<std::uint64_t>(size.QuadPart));
}

bool Replace(const std::wstring& from, const std::wstring& to) {
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

std::string SystemDescription() {
  // GetVersionEx answers with the version in the program's manifest, not the
  // system's; the kernel's own call tells the truth.
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  auto getVersion =
      ntdll ? reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
            : nullptr;
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  char text[160];
  if (getVersion == nullptr || getVersion(&info) != 0) {
    std::snprintf(text, sizeof text, "Windows (version unknown)");
  } else {
    std::snprintf(text, sizeof text, "Windows %lu.%lu.%lu", static_cast<unsigned long>(info.dwMajorVersion),
                  static_cast<unsigned long>(info.dwMinorVersion), static_cast<unsigned long>(info.dwBuildNumber));
  }
  std::string description = text;
  if (info.szCSDVersion[0] != 0) {
    description += ' ';
    description += Utf8(std::wstring_view(info.szCSDVersion));
  }
  BOOL wow64 = FALSE;
  if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64) description += ", 64-bit (this program runs as 32-bit)";
  // Support needs to know when the "Windows" is an imitation.
  using WineVersionFn = const char*(__cdecl*)();
  auto wine = ntdll ? reinterpret_cast<WineVersionFn>(
                          reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")))
                    : nullptr;
  if (wine != nullptr) {
    description += ", Wine ";
    description += wine();
  }
  return description;
}

}  // namespace diag::platform
