#include "device/failed_call.h"

#include <cstdio>
#include <optional>

#include "log/diagnostic_log.h"

namespace {

// The errors a support call is most likely to meet, named so that nobody
// has to look them up.
const char* ErrorName(DWORD error) {
  switch (error) {
    case 2: return "file not found";
    case 3: return "path not found";
    case 5: return "access denied";
    case 6: return "invalid handle";
    case 29: return "write fault";
    case 30: return "read fault";
    case 31: return "device not functioning";
    case 32: return "sharing violation";
    case 50: return "not supported";
    case 87: return "invalid parameter";
    case 112: return "disk full";
    case 123: return "invalid name";
    case 183: return "already exists";
    case 1018: return "key marked for deletion";
    default: return nullptr;
  }
}

std::string Numbered(const char* what, DWORD error) {
  std::string text = std::string(what) + " " + std::to_string(error);
  if (const char* name = ErrorName(error)) text += std::string(" (") + name + ")";
  return text;
}

// With the link's error checked first, as the remote API asks: the
// handheld's own error means nothing when the call never reached it.
std::string LinkError(const DeviceApi& api) {
  if (api.CeRapiGetError == nullptr) return {};
  const HRESULT link = api.CeRapiGetError();
  if (!StartFailed(link)) return {};
  return "link error " + HresultText(link) + " (CeRapiGetError)";
}

// error: what the handheld reported, or nullopt when the link failed or the
// library cannot tell.
std::string Failure(std::string_view operation, std::string_view subject, const std::string& why,
                    std::optional<DWORD> error, DWORD normal) {
  std::string line = std::string(operation) + " " + std::string(subject) + ": failed, " + why;
  if (normal != 0 && error == normal) line += "; normal here, the run goes on";
  return line;
}

}  // namespace

std::string HresultText(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(static_cast<DWORD>(hr)));
  return text;
}

std::string HandheldError(const DeviceApi& api) {
  std::string link = LinkError(api);
  if (!link.empty()) return link;
  if (api.CeGetLastError == nullptr) return "handheld error unknown";
  return Numbered("handheld error", api.CeGetLastError()) + " from CeGetLastError";
}

void LogFailedCall(const DeviceApi& api, std::string_view operation, std::string_view subject,
                   DWORD normal) noexcept {
  diag::Log([&] {
    std::string link = LinkError(api);
    if (!link.empty() || api.CeGetLastError == nullptr) {
      diag::Event(Failure(operation, subject, link.empty() ? "handheld error unknown" : link, std::nullopt, normal));
      return;
    }
    const DWORD error = api.CeGetLastError();
    diag::Event(
        Failure(operation, subject, Numbered("handheld error", error) + " from CeGetLastError", error, normal));
  });
}

void LogFailedRegistryCall(const DeviceApi& api, std::string_view operation, std::string_view subject, LONG result,
                           DWORD normal) noexcept {
  diag::Log([&] {
    std::string link = LinkError(api);
    if (!link.empty()) {
      diag::Event(Failure(operation, subject, link, std::nullopt, normal));
      return;
    }
    const auto error = static_cast<DWORD>(result);
    diag::Event(Failure(operation, subject, Numbered("handheld error", error), error, normal));
  });
}

std::string LogText(const WCHAR* text) {
  if (text == nullptr) return "(none)";
  return diag::Utf8(std::basic_string_view<WCHAR>(text));
}

std::string LogKey(HKEY root, const WCHAR* path) {
  const char* rootName = root == HKEY_CURRENT_USER    ? "HKEY_CURRENT_USER"
                         : root == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE"
                                                      : "(key)";
  return std::string(rootName) + "\\" + LogText(path);
}
