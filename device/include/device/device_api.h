// The table of the eighteen remote operations, with their published parameter
// lists and the platform's calling convention. Every caller reaches the
// handheld through a bound table; nothing links against the remote library.
#pragma once

#include "device/ce_types.h"

namespace devapi {
using CeRapiInitEx = HRESULT(WINAPI*)(RAPIINIT* init);
using CeRapiUninit = HRESULT(WINAPI*)();
using CeCreateFile = HANDLE(WINAPI*)(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                     DWORD disposition, DWORD attributes, HANDLE templateFile);
using CeReadFile = BOOL(WINAPI*)(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped);
using CeWriteFile = BOOL(WINAPI*)(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
                                  LPOVERLAPPED overlapped);
using CeCloseHandle = BOOL(WINAPI*)(HANDLE object);
using CeDeleteFile = BOOL(WINAPI*)(LPCWSTR path);
using CeCreateDirectory = BOOL(WINAPI*)(LPCWSTR path, LPSECURITY_ATTRIBUTES security);
using CeSetFileAttributes = BOOL(WINAPI*)(LPCWSTR path, DWORD attributes);
using CeCreateProcess = BOOL(WINAPI*)(LPCWSTR image, LPCWSTR commandLine, LPSECURITY_ATTRIBUTES processSecurity,
                                      LPSECURITY_ATTRIBUTES threadSecurity, BOOL inheritHandles, DWORD flags,
                                      LPVOID environment, LPWSTR currentDirectory, LPSTARTUPINFOW startup,
                                      LPPROCESS_INFORMATION info);
using CeRegOpenKeyEx = LONG(WINAPI*)(HKEY root, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result);
using CeRegCloseKey = LONG(WINAPI*)(HKEY key);
using CeRegQueryValueEx = LONG(WINAPI*)(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                        LPDWORD size);
using CeGetDesktopDeviceCaps = INT(WINAPI*)(INT index);
using CeRegCreateKeyEx = LONG(WINAPI*)(HKEY root, LPCWSTR subKey, DWORD reserved, LPWSTR className, DWORD options,
                                       REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY result,
                                       LPDWORD disposition);
using CeRegSetValueEx = LONG(WINAPI*)(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data,
                                      DWORD size);
using CeMoveFile = BOOL(WINAPI*)(LPCWSTR from, LPCWSTR to);
using CeRegDeleteKey = LONG(WINAPI*)(HKEY key, LPCWSTR subKey);
using CeRapiGetError = HRESULT(WINAPI*)();
using CeGetLastError = DWORD(WINAPI*)();
}  // namespace devapi

// X(name, required): every operation in binding order; `required` is false
// for the two that are bound but never called, which a library may lack.
#define DEVICE_API_OPERATIONS(X)   \
  X(CeRapiInitEx, true)            \
  X(CeRapiUninit, true)            \
  X(CeCreateFile, true)            \
  X(CeReadFile, true)              \
  X(CeWriteFile, true)             \
  X(CeCloseHandle, true)           \
  X(CeDeleteFile, true)            \
  X(CeCreateDirectory, true)       \
  X(CeSetFileAttributes, true)     \
  X(CeCreateProcess, true)         \
  X(CeRegOpenKeyEx, true)          \
  X(CeRegCloseKey, true)           \
  X(CeRegQueryValueEx, false)      \
  X(CeGetDesktopDeviceCaps, true)  \
  X(CeRegCreateKeyEx, true)        \
  X(CeRegSetValueEx, true)         \
  X(CeMoveFile, false)             \
  X(CeRegDeleteKey, true)

// Bound after the eighteen when the library has them: why the last call
// failed, as the link and the handheld tell it. Only the diagnostic log asks;
// without them the handheld's error is unknown and nothing else changes.
#define DEVICE_API_OPTIONAL_OPERATIONS(X) \
  X(CeRapiGetError, false)                \
  X(CeGetLastError, false)

struct DeviceApi {
#define DEVICE_API_MEMBER(name, required) devapi::name name = nullptr;
  DEVICE_API_OPERATIONS(DEVICE_API_MEMBER)
  DEVICE_API_OPTIONAL_OPERATIONS(DEVICE_API_MEMBER)
#undef DEVICE_API_MEMBER
};

constexpr int kDeviceApiOperationCount = 18;
