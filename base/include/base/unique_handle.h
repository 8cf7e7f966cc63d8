// The program's one owner of handles: move-only, closes what it holds exactly
// once, on every path, by whoever holds it last. Traits name the handle type,
// its "none" value and how it is closed; they may carry state, such as the
// close operation of the binding a handle came from, and cost nothing when
// they carry none.
#pragma once

#include <utility>

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle, Traits traits = {}) : traits_(traits), handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : traits_(other.traits_), handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      reset();
      traits_ = other.traits_;
      handle_ = other.release();
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::Empty(); }

  Handle release() { return std::exchange(handle_, Traits::Empty()); }
  void reset(Handle handle = Traits::Empty()) {
    Handle old = std::exchange(handle_, handle);
    if (old != Traits::Empty()) traits_.Close(old);
  }

 private:
  [[no_unique_address]] Traits traits_{};
  Handle handle_ = Traits::Empty();
};
