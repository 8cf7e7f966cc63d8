#include "device/win32/system_library.h"

#include <windows.h>

#include <string>

#include "log/diagnostic_log.h"

namespace {
class SystemLibrary final : public Library {
 public:
  explicit SystemLibrary(HMODULE module) : module_(module) {}
  ~SystemLibrary() override { FreeLibrary(module_); }
  void* Find(const char* name) const override {
    return reinterpret_cast<void*>(GetProcAddress(module_, name));
  }
  // The module's own path, not the one asked for: what was really loaded.
  std::string Location() const override {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module_, path, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::string() : diag::Utf8(std::wstring_view(path, length));
  }

 private:
  HMODULE module_;
};

const char* LoadErrorName(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_MOD_NOT_FOUND: return "not found, or a library it needs is missing";
    case ERROR_BAD_EXE_FORMAT: return "not a library for this program's architecture";
    case ERROR_ACCESS_DENIED: return "access denied";
    default: return "cannot be loaded";
  }
}
}  // namespace

std::unique_ptr<Library> LoadSystemLibrary(const wchar_t* fileName) {
  wchar_t directory[MAX_PATH];
  UINT length = GetSystemDirectoryW(directory, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    diag::Event("remote API library: the system directory is unknown");
    return nullptr;
  }
  std::wstring path(directory, length);
  path += L'\\';
  path += fileName;
  // Altered search path: the library's own dependencies are looked up beside
  // it in the system directory, not beside this program.
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module == nullptr) {
    const DWORD error = GetLastError();
    diag::Log([&] {
      diag::Event("remote API library: " + diag::Utf8(path) + " " + LoadErrorName(error) + " (error " +
                  std::to_string(error) + ")");
    });
    return nullptr;
  }
  return std::make_unique<SystemLibrary>(module);
}
