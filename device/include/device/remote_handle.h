// Owners of what the handheld hands out: files, keys and process handles, in
// the program's one owner family. Each keeps the close operation of the
// binding it came from, so it must not outlive that binding.
#pragma once

#include "base/unique_handle.h"
#include "device/device_api.h"

template <typename Traits>
class RemoteHandle : public UniqueHandle<Traits> {
 public:
  RemoteHandle() = default;
  RemoteHandle(const DeviceApi& api, typename Traits::Handle handle)
      : UniqueHandle<Traits>(handle, Traits{Traits::CloseOf(api)}) {}
};

// Files: CeCreateFile returns INVALID_HANDLE_VALUE on failure.
struct RemoteFileTraits {
  using Handle = HANDLE;
  devapi::CeCloseHandle close = nullptr;
  static Handle Empty() { return INVALID_HANDLE_VALUE; }
  static devapi::CeCloseHandle CloseOf(const DeviceApi& api) { return api.CeCloseHandle; }
  void Close(Handle handle) const { close(handle); }
};

// Process and thread handles of a process started there: null means none.
struct RemoteObjectTraits {
  using Handle = HANDLE;
  devapi::CeCloseHandle close = nullptr;
  static Handle Empty() { return nullptr; }
  static devapi::CeCloseHandle CloseOf(const DeviceApi& api) { return api.CeCloseHandle; }
  void Close(Handle handle) const { close(handle); }
};

struct RemoteKeyTraits {
  using Handle = HKEY;
  devapi::CeRegCloseKey close = nullptr;
  static Handle Empty() { return nullptr; }
  static devapi::CeRegCloseKey CloseOf(const DeviceApi& api) { return api.CeRegCloseKey; }
  void Close(Handle handle) const { close(handle); }
};

using RemoteFile = RemoteHandle<RemoteFileTraits>;
using RemoteObject = RemoteHandle<RemoteObjectTraits>;
using RemoteKey = RemoteHandle<RemoteKeyTraits>;
