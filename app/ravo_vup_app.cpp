#include "app/ravo_vup_app.h"

#include <windows.h>
#include <commctrl.h>

#include "app/ravo_vup_dlg.h"

int CRavoVupApp::InitInstance() {
  // The program is copied next to anything (a downloads folder, a USB
  // stick); keep the current directory out of the DLL search.
  SetDllDirectoryW(L"");

  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS;
  InitCommonControlsEx(&controls);

  CRavoVupDlg dialog;
  dialog.DoModal();
  return 0;
}
