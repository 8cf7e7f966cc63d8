// The window side's owners, in the program's one owner family: GDI objects,
// icons and device contexts, and the scoped pairs of painting.
#pragma once

#include <windows.h>

#include "base/kernel_handle.h"
#include "base/unique_handle.h"

template <typename T>
struct GdiObjectTraits {
  using Handle = T;
  static Handle Empty() { return nullptr; }
  static void Close(Handle handle) { DeleteObject(handle); }
};

// For icons the program loads itself without LR_SHARED.
struct IconTraits {
  using Handle = HICON;
  static Handle Empty() { return nullptr; }
  static void Close(Handle handle) { DestroyIcon(handle); }
};

// Memory device contexts made with CreateCompatibleDC.
struct MemoryDcTraits {
  using Handle = HDC;
  static Handle Empty() { return nullptr; }
  static void Close(Handle handle) { DeleteDC(handle); }
};

using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniqueIcon = UniqueHandle<IconTraits>;
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;

// Puts a GDI object into a device context and puts the old one back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~SelectedObject() { SelectObject(dc_, old_); }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A window's device context from GetDC, given back with ReleaseDC; null
// window: the screen's.
class ScopedDc {
 public:
  explicit ScopedDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~ScopedDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  ScopedDc(const ScopedDc&) = delete;
  ScopedDc& operator=(const ScopedDc&) = delete;

  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// One WM_PAINT's BeginPaint and EndPaint.
class ScopedPaint {
 public:
  explicit ScopedPaint(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~ScopedPaint() { EndPaint(window_, &paint_); }
  ScopedPaint(const ScopedPaint&) = delete;
  ScopedPaint& operator=(const ScopedPaint&) = delete;

  HDC dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};
