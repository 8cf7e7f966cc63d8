// The eighteen remote operations as the simulated handheld exports them, with
// the published parameter lists, so they drop into the operation table as is.
#pragma once

#include "device/device_api.h"

extern "C" {
HRESULT WINAPI CeRapiInitEx(RAPIINIT* init);
HRESULT WINAPI CeRapiUninit();
HANDLE WINAPI CeCreateFile(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                           DWORD disposition, DWORD attributes, HANDLE templateFile);
BOOL WINAPI CeReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped);
BOOL WINAPI CeWriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped);
BOOL WINAPI CeCloseHandle(HANDLE object);
BOOL WINAPI CeDeleteFile(LPCWSTR path);
BOOL WINAPI CeCreateDirectory(LPCWSTR path, LPSECURITY_ATTRIBUTES security);
BOOL WINAPI CeSetFileAttributes(LPCWSTR path, DWORD attributes);
BOOL WINAPI CeCreateProcess(LPCWSTR image, LPCWSTR commandLine, LPSECURITY_ATTRIBUTES processSecurity,
                            LPSECURITY_ATTRIBUTES threadSecurity, BOOL inheritHandles, DWORD flags,
                            LPVOID environment, LPWSTR currentDirectory, LPSTARTUPINFOW startup,
                            LPPROCESS_INFORMATION info);
LONG WINAPI CeRegOpenKeyEx(HKEY root, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result);
LONG WINAPI CeRegCloseKey(HKEY key);
LONG WINAPI CeRegQueryValueEx(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                              LPDWORD size);
INT WINAPI CeGetDesktopDeviceCaps(INT index);
LONG WINAPI CeRegCreateKeyEx(HKEY root, LPCWSTR subKey, DWORD reserved, LPWSTR className, DWORD options,
                             REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition);
LONG WINAPI CeRegSetValueEx(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
BOOL WINAPI CeMoveFile(LPCWSTR from, LPCWSTR to);
LONG WINAPI CeRegDeleteKey(HKEY key, LPCWSTR subKey);
}
