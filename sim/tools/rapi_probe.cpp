// A quick check that a rapi.dll can be loaded by name, started and written
// through, outside the program: under Wine with RAVO_SIM_DIR set, it leaves
// \Storage Card\probe.txt, a "DPI" value and a wceload start in the folder.
// Exit code 0 when every step worked.
#include <windows.h>

#include <cstdio>

#include "device/device_api.h"

namespace {
HMODULE library;
bool missing = false;

template <typename Operation>
Operation Find(const char* name) {
  auto address = reinterpret_cast<Operation>(reinterpret_cast<void*>(GetProcAddress(library, name)));
  if (address == nullptr) {
    std::printf("rapi.dll lacks %s\n", name);
    missing = true;
  }
  return address;
}
}  // namespace

int main() {
  library = LoadLibraryW(L"rapi.dll");
  if (library == nullptr) {
    std::printf("rapi.dll cannot be loaded\n");
    return 1;
  }
  auto init = Find<devapi::CeRapiInitEx>("CeRapiInitEx");
  auto uninit = Find<devapi::CeRapiUninit>("CeRapiUninit");
  auto create = Find<devapi::CeCreateFile>("CeCreateFile");
  auto write = Find<devapi::CeWriteFile>("CeWriteFile");
  auto close = Find<devapi::CeCloseHandle>("CeCloseHandle");
  auto regCreate = Find<devapi::CeRegCreateKeyEx>("CeRegCreateKeyEx");
  auto regSet = Find<devapi::CeRegSetValueEx>("CeRegSetValueEx");
  auto regClose = Find<devapi::CeRegCloseKey>("CeRegCloseKey");
  auto caps = Find<devapi::CeGetDesktopDeviceCaps>("CeGetDesktopDeviceCaps");
  auto start = Find<devapi::CeCreateProcess>("CeCreateProcess");
  if (missing) return 1;

  RAPIINIT record{sizeof(RAPIINIT), nullptr, 0};
  HRESULT hr = init(&record);
  DWORD wait = record.heRapiInit != nullptr ? WaitForSingleObject(record.heRapiInit, 5000) : WAIT_FAILED;
  std::printf("start: result %08lx, wait %lu, start result %08lx\n", static_cast<unsigned long>(hr),
              static_cast<unsigned long>(wait), static_cast<unsigned long>(record.hrRapiInit));
  if (hr < 0) return 2;

  HANDLE file = create(L"\\Storage Card\\probe.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
  DWORD written = 0;
  BOOL wrote = file != INVALID_HANDLE_VALUE && write(file, "probe", 5, &written, nullptr);
  if (file != INVALID_HANDLE_VALUE) close(file);
  std::printf("file: %s, %lu bytes\n", wrote ? "written" : "not written", static_cast<unsigned long>(written));

  HKEY key;
  WCHAR noClass[] = L"";
  LONG created = regCreate(HKEY_LOCAL_MACHINE, L"Software\\Meridane", 0, noClass, 0, KEY_ALL_ACCESS, nullptr, &key,
                           nullptr);
  INT dpi = caps(LOGPIXELSX);
  if (created == ERROR_SUCCESS) {
    regSet(key, L"DPI", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    regClose(key);
  }
  std::printf("registry: %ld, dpi %d\n", static_cast<long>(created), dpi);

  PROCESS_INFORMATION process{};
  WCHAR commandLine[] = L"/noaskdest \"\\Windows\\AppMgr\\Install\\ravo+ for Q58.CAB\"";
  if (start(L"wceload", commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &process)) {
    close(process.hProcess);
    close(process.hThread);
  }
  uninit();
  FreeLibrary(library);
  return wrote && written == 5 && created == ERROR_SUCCESS ? 0 : 3;
}
