// Failed remote calls in the diagnostic log: the operation, what it worked
// on (a path, a key, a value name) and the handheld's own account of the
// failure, read right after the call.
#pragma once

#include <string>
#include <string_view>

#include "device/device_api.h"

// "link error 0x80072745 (CeRapiGetError)" when the link itself failed,
// else "handheld error 2 (file not found)" from CeGetLastError, or
// "handheld error unknown" when the library offers neither.
std::string HandheldError(const DeviceApi& api);

// `normal` is the handheld error with which the call fails in an ordinary
// run (a folder that is already there, an old copy or key already gone); the
// line then says so, so that a completed run's log holds no failure that
// asks to be looked into. 0: every error is a real failure.
void LogFailedCall(const DeviceApi& api, std::string_view operation, std::string_view subject,
                   DWORD normal = 0) noexcept;
// Registry operations return the handheld's error themselves.
void LogFailedRegistryCall(const DeviceApi& api, std::string_view operation, std::string_view subject, LONG result,
                           DWORD normal = 0) noexcept;

// "0x80004005": how the log writes an HRESULT.
std::string HresultText(HRESULT hr);

// Device paths and key names as UTF-8 for the log.
std::string LogText(const WCHAR* text);
std::string LogKey(HKEY root, const WCHAR* path);
