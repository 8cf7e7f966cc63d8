#include "app/ravo_vup_app.h"

#include <windows.h>
#include <commctrl.h>

#include "app/ravo_vup_dlg.h"
#include "app/unattended_runs.h"
#include "app/wide_text.h"
#include "log/diagnostic_log.h"
#include "unattended/run_outcome.h"

int CRavoVupApp::InitInstance() {
  // The program is copied next to anything (a downloads folder, a USB
  // stick); keep the current directory out of the DLL search.
  SetDllDirectoryW(L"");

  const CommandLine line = ParseCommandLine(SplitCommandLine(Utf8FromWide(GetCommandLineW())));
  if (!line.valid) {
    if (!line.quiet) ShowUsage();
    return kExitInvalidParameter;
  }
  if (line.logFile) diag::AlsoWriteTo(WideFromUtf8(*line.logFile));
  for (const std::string& word : line.ignored)
    diag::Log([&] { diag::Event("command line: ignored \"" + diag::Escaped(word) + "\", which is no switch"); });

  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS;
  if (line.mode != RunMode::Quiet) InitCommonControlsEx(&controls);

  if (line.mode != RunMode::Interactive) {
    // Nobody is there to dismiss the system's own boxes either (a library
    // that cannot be loaded, a crash report): they would hold up the script
    // that waits for this process.
    SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    // A script reads the exit code: whatever goes wrong must not read as
    // one of the error codes, least of all as success.
    try {
      switch (line.mode) {
        case RunMode::Quiet: return RunQuiet(line);
        case RunMode::Check: return RunCheck(line);
        default: return RunPassive(line);
      }
    } catch (...) {
      return kExitInternalError;
    }
  }
  CRavoVupDlg dialog(line.memoryCard);
  dialog.DoModal();
  return 0;
}
