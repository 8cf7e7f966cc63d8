#include "app/modal_dialog.h"

INT_PTR ModalDialog::DoModal() {
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), parent_, DialogProc,
                         reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK ModalDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ModalDialog* dialog = nullptr;
  if (message == WM_INITDIALOG) {
    dialog = reinterpret_cast<ModalDialog*>(lParam);
    dialog->hwnd_ = window;
    SetWindowLongPtrW(window, DWLP_USER, lParam);
  } else {
    dialog = reinterpret_cast<ModalDialog*>(GetWindowLongPtrW(window, DWLP_USER));
  }
  // Messages before WM_INITDIALOG (WM_SETFONT) and after the object let go.
  if (dialog == nullptr) return FALSE;

  INT_PTR result = FALSE;
  try {
    result = dialog->Dispatch(message, wParam, lParam);
  } catch (...) {
    // Unwinding through user32 is undefined; end the dialog instead.
    try {
      dialog->OnUnexpectedError();
    } catch (...) {
      ::EndDialog(window, -1);
    }
    result = FALSE;
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, DWLP_USER, 0);
    dialog->hwnd_ = nullptr;
  }
  return result;
}

INT_PTR ModalDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      if (!(GetWindowLongPtrW(hwnd_, GWL_STYLE) & DS_CENTER)) CenterOnOwner();
      return OnInitDialog();
    case WM_COMMAND:
      // Enter and Escape arrive here as IDOK and IDCANCEL too, from the
      // dialog manager, whatever the buttons' state.
      if (HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
          OnOK();
          return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
          OnCancel();
          return TRUE;
        }
      }
      break;
  }
  return OnMessage(message, wParam, lParam).value_or(FALSE);
}

// Templates without DS_CENTER start at the owner's top-left corner; centring
// them over the owner (or the work area, for the main window) is what users
// expect of a dialog.
void ModalDialog::CenterOnOwner() {
  RECT self{};
  GetWindowRect(hwnd_, &self);
  RECT area{};
  HWND owner = GetWindow(hwnd_, GW_OWNER);
  if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) {
    GetWindowRect(owner, &area);
  } else {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &info);
    area = info.rcWork;
  }
  int width = self.right - self.left;
  int height = self.bottom - self.top;
  int x = area.left + (area.right - area.left - width) / 2;
  int y = area.top + (area.bottom - area.top - height) / 2;
  SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
