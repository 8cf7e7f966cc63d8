// Starting a program on the handheld: nothing runs, but the start is kept in
// <root>/processes.log and the handles it hands back must be closed like
// real ones.
#include "internal.h"

using namespace sim;
using namespace sim::detail;

extern "C" BOOL WINAPI CeCreateProcess(LPCWSTR image, LPCWSTR commandLine, LPSECURITY_ATTRIBUTES,
                                       LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPWSTR, LPSTARTUPINFOW,
                                       LPPROCESS_INFORMATION info) {
  std::string line = Utf8(image);
  if (commandLine != nullptr && commandLine[0] != 0) line.append(" ").append(Utf8(commandLine));
  if (!Begin(Op::CeCreateProcess, line).proceed) return FALSE;
  if (image == nullptr || image[0] == 0) return Failed(FALSE, 87);  // ERROR_INVALID_PARAMETER
  auto lock = Lock();
  Device& device = State();
  std::ofstream(device.config.root / "processes.log", std::ios::app) << line << '\n';
  if (info != nullptr) {
    static DWORD nextId = 0x1000;
    info->hProcess = NewHandle(device, ProcessObject{});
    info->hThread = NewHandle(device, ProcessObject{});
    info->dwProcessId = nextId++;
    info->dwThreadId = nextId++;
  }
  return TRUE;
}
