// The Win32 types and constants of the remote API, and its start record,
// which the device binding, the worker and the simulated handheld share. On
// Windows they come from <windows.h>; elsewhere this header supplies the few
// that are used, with the same names and sizes, so the engine compiles
// natively for testing.
#pragma once

#ifdef _WIN32
#include <windows.h>
// UTF-16 literals for paths, key and value names sent to the handheld.
#define CE_TEXT(s) L##s
#else
#include <cstdint>

#define WINAPI
#define CE_TEXT(s) u##s

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using BOOL = std::int32_t;
using INT = int;
using HRESULT = std::int32_t;
using WCHAR = char16_t;
using LPCWSTR = const WCHAR*;
using LPWSTR = WCHAR*;
using HANDLE = void*;
using LPVOID = void*;
using LPCVOID = const void*;
using LPDWORD = DWORD*;
using LPBYTE = BYTE*;
using REGSAM = DWORD;

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;

struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;
struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;
struct STARTUPINFOW;
using LPSTARTUPINFOW = STARTUPINFOW*;

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION*;

// Predefined keys are sign-extended 32-bit values, as on Windows.
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<LONG>(0x80000001u))))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<LONG>(0x80000002u))))
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)))

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;
constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD FILE_SHARE_READ = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
constexpr REGSAM KEY_QUERY_VALUE = 0x1;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_DWORD = 4;
constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_ALREADY_EXISTS = 183;
constexpr int LOGPIXELSX = 88;
#endif

// The remote API's start record. Its size is sizeof(RAPIINIT): 12 bytes in a
// 32-bit build, 24 in a 64-bit one, where the event handle is 8 bytes wide.
struct RAPIINIT {
  DWORD cbSize;
  HANDLE heRapiInit;
  HRESULT hrRapiInit;
};
static_assert(sizeof(RAPIINIT) == (sizeof(void*) == 4 ? 12 : 24));

inline bool StartFailed(HRESULT hr) { return hr < 0; }
