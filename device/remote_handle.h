// Move-only owners of what the handheld hands out, one per close function
// and "no handle" value, so that every file, key and process handle opened
// there is closed exactly once, on every path, by whoever holds it last.
// Each owner keeps the close operation it was given: it must not outlive the
// binding it came from.
#pragma once

#include <utility>

#include "device/device_api.h"

template <typename Traits>
class RemoteHandle {
 public:
  using Handle = typename Traits::Handle;
  using Close = typename Traits::Close;

  RemoteHandle() = default;
  RemoteHandle(const DeviceApi& api, Handle handle) : close_(Traits::CloseOf(api)), handle_(handle) {}
  RemoteHandle(RemoteHandle&& other) noexcept
      : close_(other.close_), handle_(std::exchange(other.handle_, Traits::kEmpty)) {}
  RemoteHandle& operator=(RemoteHandle&& other) noexcept {
    if (this != &other) {
      reset();
      close_ = other.close_;
      handle_ = std::exchange(other.handle_, Traits::kEmpty);
    }
    return *this;
  }
  RemoteHandle(const RemoteHandle&) = delete;
  RemoteHandle& operator=(const RemoteHandle&) = delete;
  ~RemoteHandle() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::kEmpty; }

  void reset() {
    Handle old = std::exchange(handle_, Traits::kEmpty);
    if (old != Traits::kEmpty) close_(old);
  }

 private:
  Close close_ = nullptr;
  Handle handle_ = Traits::kEmpty;
};

// Files: CeCreateFile returns INVALID_HANDLE_VALUE on failure.
struct RemoteFileTraits {
  using Handle = HANDLE;
  using Close = devapi::CeCloseHandle;
  static inline const Handle kEmpty = INVALID_HANDLE_VALUE;
  static Close CloseOf(const DeviceApi& api) { return api.CeCloseHandle; }
};

// Process and thread handles of a process started there: null means none.
struct RemoteObjectTraits {
  using Handle = HANDLE;
  using Close = devapi::CeCloseHandle;
  static constexpr Handle kEmpty = nullptr;
  static Close CloseOf(const DeviceApi& api) { return api.CeCloseHandle; }
};

struct RemoteKeyTraits {
  using Handle = HKEY;
  using Close = devapi::CeRegCloseKey;
  static constexpr Handle kEmpty = nullptr;
  static Close CloseOf(const DeviceApi& api) { return api.CeRegCloseKey; }
};

using RemoteFile = RemoteHandle<RemoteFileTraits>;
using RemoteObject = RemoteHandle<RemoteObjectTraits>;
using RemoteKey = RemoteHandle<RemoteKeyTraits>;
