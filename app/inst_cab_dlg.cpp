#include "app/inst_cab_dlg.h"

#include <commctrl.h>

#include "app/message_box.h"
#include "app/private_messages.h"
#include "app/wide_text.h"
#include "app/resource_ids.h"

InstCabDlg::InstCabDlg(HWND parent) : ModalDialog(IDD_PROGRESS, parent), attempt_(*this, thread_) {}

InstCabDlg::InstCabDlg(const UnattendedSettings& settings)
    : ModalDialog(IDD_PROGRESS, nullptr),
      memoryCard_(settings.memoryCard),
      attempt_(*this, thread_, settings.acceptNewer) {}

BOOL InstCabDlg::OnInitDialog() {
  const bool card = memoryCard_ ? *memoryCard_ : IsDlgButtonChecked(parent(), IDC_MEMORY_CARD) == BST_CHECKED;
  observer_.emplace(hwnd());
  host_.emplace(hwnd());
  attempt_.Start(*host_, *observer_, card);
  return TRUE;
}

std::optional<INT_PTR> InstCabDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // A sent message's result travels in DWLP_MSGRESULT, not as the dialog
  // procedure's return value.
  if (std::optional<LRESULT> result = DeliverReport(attempt_.reports(), message, wParam, lParam))
    return SetMessageResult(*result);
  switch (message) {
    case WM_DESTROY:
      // The cancel event may still be unsignalled here (a box ended the
      // dialog); the worker then ends on its own, sending nothing more.
      attempt_.WaitForEnd();
      return std::nullopt;
    case WM_APP_WORKER_BUSY:
      workerBusy_ = wParam != 0;
      RefreshCursor();
      return TRUE;
    case WM_SETCURSOR:
      if (busy()) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return SetMessageResult(TRUE);
      }
      return std::nullopt;
  }
  return std::nullopt;
}

void InstCabDlg::SetStatus(const std::string& text) {
  SetDlgItemTextW(hwnd(), IDC_STATUS, WideFromUtf8(text).c_str());
}

void InstCabDlg::SetTitle(const std::string& text) { SetWindowTextW(hwnd(), WideFromUtf8(text).c_str()); }

void InstCabDlg::SetBar(int position) { SendDlgItemMessageW(hwnd(), IDC_PROGRESS, PBM_SETPOS, position, 0); }

void InstCabDlg::EnableCancel(bool enabled) { EnableWindow(GetDlgItem(hwnd(), IDCANCEL), enabled ? TRUE : FALSE); }

BoxAnswer InstCabDlg::ShowBox(const std::string& text, const std::string& caption, BoxKind kind) {
  return ShowMessageBox(hwnd(), text, caption, kind);
}

void InstCabDlg::End(int result) { EndDialog(result); }

std::string InstCabDlg::DisplayVersion(const char* raw) { return Utf8FromJapanese(raw); }

void RefreshCursor() {
  POINT point{};
  if (!GetCursorPos(&point)) return;
  HWND under = WindowFromPoint(point);
  if (under == nullptr || GetWindowThreadProcessId(under, nullptr) != GetCurrentThreadId()) return;
  LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
  SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, WM_MOUSEMOVE));
}
