#include "app/system_worker_host.h"

#include "app/private_messages.h"
#include "device/win32/system_library.h"

std::unique_ptr<Library> SystemWorkerHost::LoadRemoteApi() { return LoadSystemLibrary(L"rapi.dll"); }

void SystemWorkerHost::ShowBusy(bool on) {
  // A null window would post to the worker thread's own queue.
  if (busyWindow_ != nullptr) PostMessageW(busyWindow_, WM_APP_WORKER_BUSY, on ? 1 : 0, 0);
}

const char* SystemWorkerHost::RequiredMark() const {
#ifdef RAVO_DEMO_PACKAGE
  return kSimulatedHandheldMark;
#else
  return nullptr;
#endif
}

std::optional<Package> SystemWorkerHost::FindPackage() { return FindEmbeddedPackage(); }

std::optional<Package> FindEmbeddedPackage() {
  HMODULE self = GetModuleHandleW(nullptr);
  HRSRC resource = FindResourceW(self, L"CABFILE", MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (resource == nullptr) return std::nullopt;
  DWORD size = SizeofResource(self, resource);
  // Resources of the running image stay mapped for the life of the process;
  // there is nothing to free.
  HGLOBAL loaded = LoadResource(self, resource);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return std::nullopt;
  return Package{static_cast<const BYTE*>(bytes), size};
}
