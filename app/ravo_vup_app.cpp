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
  if (line.mode == RunMode::Quiet) return RunQuiet(line);

  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS;
  InitCommonControlsEx(&controls);

  if (line.mode == RunMode::Passive) return RunPassive(line);
  CRavoVupDlg dialog(line.memoryCard);
  dialog.DoModal();
  return 0;
}
