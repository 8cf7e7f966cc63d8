#include "device/win32/system_library.h"

#include <windows.h>

#include <string>

namespace {
class SystemLibrary final : public Library {
 public:
  explicit SystemLibrary(HMODULE module) : module_(module) {}
  ~SystemLibrary() override { FreeLibrary(module_); }
  void* Find(const char* name) const override {
    return reinterpret_cast<void*>(GetProcAddress(module_, name));
  }

 private:
  HMODULE module_;
};
}  // namespace

std::unique_ptr<Library> LoadSystemLibrary(const wchar_t* fileName) {
  wchar_t directory[MAX_PATH];
  UINT length = GetSystemDirectoryW(directory, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  std::wstring path(directory, length);
  path += L'\\';
  path += fileName;
  // Altered search path: the library's own dependencies are looked up beside
  // it in the system directory, not beside this program.
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module == nullptr) return nullptr;
  return std::make_unique<SystemLibrary>(module);
}
