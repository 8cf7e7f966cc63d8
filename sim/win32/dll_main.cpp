// rapi.dll: the simulated handheld for the Windows program, run under Wine
// or on Windows. The folder comes from RAVO_SIM_DIR; a Linux path such as
// /tmp/handheld is taken as Wine's view of it, Z:\tmp\handheld.
#include <windows.h>

#include <cstdio>
#include <string>

#include "sim/sim.h"

namespace sim::detail {

namespace {
std::wstring FolderFromEnvironment() {
  DWORD length = GetEnvironmentVariableW(L"RAVO_SIM_DIR", nullptr, 0);
  if (length == 0) return {};
  std::wstring folder(length, L'\0');
  folder.resize(GetEnvironmentVariableW(L"RAVO_SIM_DIR", folder.data(), length));
  if (!folder.empty() && folder[0] == L'/') {
    folder.insert(0, L"Z:");
    for (wchar_t& c : folder)
      if (c == L'/') c = L'\\';
  }
  return folder;
}
}  // namespace

// Without a folder there is no handheld: everything fails, starting with the
// start request, and the reason goes to the console.
void ReloadFromEnvironment() {
  std::wstring folder = FolderFromEnvironment();
  if (folder.empty()) {
    Detach();
    std::fputs("rapi.dll (simulated handheld): RAVO_SIM_DIR is not set, so there is no handheld\n", stderr);
    return;
  }
  Attach(LoadConfig(std::filesystem::path(folder)));
}

}  // namespace sim::detail
