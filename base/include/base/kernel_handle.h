// Owners of the Windows kernel's handles, shared by every layer that opens
// one: threads and events, files, loaded modules.
#pragma once

#include <windows.h>

#include "base/unique_handle.h"

// Threads and events: null means none (CreateThread and CreateEvent return
// null on failure, not INVALID_HANDLE_VALUE).
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Empty() { return nullptr; }
  static void Close(Handle handle) { CloseHandle(handle); }
};

// Files: CreateFile returns INVALID_HANDLE_VALUE on failure.
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Empty() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { CloseHandle(handle); }
};

struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Empty() { return nullptr; }
  static void Close(Handle handle) { FreeLibrary(handle); }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFileHandle = UniqueHandle<FileHandleTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
