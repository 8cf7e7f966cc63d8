// rapi.dll: the simulated handheld for the Windows program, run under Wine
// or on Windows. The folder comes from RAVO_SIM_DIR; a Linux path such as
// /tmp/handheld is taken as Wine's view of it, Z:\tmp\handheld.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sim/sim.h"

namespace sim::detail {

// Without a folder there is no handheld: everything fails, starting with the
// start request, and the reason goes to the console.
void ReloadFromEnvironment() {
  const wchar_t* value = _wgetenv(L"RAVO_SIM_DIR");
  if (value == nullptr || value[0] == 0) {
    Detach();
    std::fputs("rapi.dll (simulated handheld): RAVO_SIM_DIR is not set, so there is no handheld\n", stderr);
    return;
  }
  std::wstring folder = value;
  if (folder[0] == L'/') {
    folder.insert(0, L"Z:");
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
  }
  Attach(LoadConfig(std::filesystem::path(folder)));
}

}  // namespace sim::detail
