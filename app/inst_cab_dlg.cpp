#include "app/inst_cab_dlg.h"

#include <commctrl.h>

#include "app/private_messages.h"
#include "app/wait_cursor.h"
#include "app/wide_text.h"
#include "resources/resource_ids.h"
#include "worker/install_worker.h"

InstCabDlg::InstCabDlg(HWND parent) : ModalDialog(IDD_PROGRESS, parent), controller_(*this) {}

InstCabDlg::InstCabDlg(const UnattendedSettings& settings)
    : ModalDialog(IDD_PROGRESS, nullptr),
      unattended_(settings),
      silent_(std::in_place, static_cast<ProgressView&>(*this), settings.acceptNewer),
      controller_(*silent_) {}

// The window's destruction has already waited for the worker; this only
// matters if the window never existed after the thread started.
InstCabDlg::~InstCabDlg() { JoinWorker(); }

BOOL InstCabDlg::OnInitDialog() {
  if (unattended_)
    memoryCard_ = unattended_->memoryCard ? 1 : 0;
  else
    memoryCard_ = IsDlgButtonChecked(parent(), IDC_MEMORY_CARD) == BST_CHECKED ? 1 : 0;
  if (!StartWorker()) {
    // Same contract as any failed attempt: result 2, the main dialog stays.
    controller_.BeginCancel();
    cancelEvent_.reset();
    EndDialog(IDCANCEL);
  }
  return TRUE;
}

bool InstCabDlg::StartWorker() {
  cancelEvent_ = CreateAutoResetEvent();
  if (!cancelEvent_) return false;
  observer_.emplace(hwnd());
  context_ = WorkerContext{&*observer_, cancelEvent_.get(), memoryCard_};
  host_.emplace(hwnd());
  DWORD threadId = 0;
  worker_.reset(CreateThread(nullptr, 0, WorkerMain, this, 0, &threadId));
  return static_cast<bool>(worker_);
}

DWORD WINAPI InstCabDlg::WorkerMain(LPVOID parameter) {
  auto* self = static_cast<InstCabDlg*>(parameter);
  try {
    return InstallWorker(self->context_, *self->host_);
  } catch (...) {
    // A worker that died must still end its dialog, or the user is left
    // with a window that nothing will close: error code 0 ends it with
    // result 2 and no box.
    self->context_.observer->OnError(InstallError{}, nullptr);
    return 1;
  }
}

void InstCabDlg::OnCancel() {
  // A second press, or Escape after a box already ended the dialog.
  if (cancelling_ || controller_.quiet()) return;
  cancelling_ = true;
  controller_.BeginCancel();
  EnableWindow(GetDlgItem(hwnd(), IDCANCEL), FALSE);
  {
    WaitCursor wait;
    StopWorker();
  }
  if (controller_.CompletedDespiteCancel()) {
    controller_.ReportCompletion();
  } else {
    recorder_.NoteCancelled();
    EndDialog(IDCANCEL);
  }
}

void InstCabDlg::StopWorker() {
  if (cancelEvent_) SignalEvent(cancelEvent_.get());
  JoinWorker();
}

// Waits for the worker's end while still serving this thread's messages: the
// worker may be inside a SendMessage to this dialog (the controller answers
// it with 0 now), and the windows keep painting and moving meanwhile.
void InstCabDlg::JoinWorker() {
  if (worker_) {
    HANDLE thread = worker_.get();
    bool quit = false;
    WPARAM quitCode = 0;
    for (;;) {
      DWORD woken = MsgWaitForMultipleObjectsEx(1, &thread, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      if (woken == WAIT_OBJECT_0) break;
      if (woken != WAIT_OBJECT_0 + 1) {
        // Only a bad handle fails the wait, and then this returns at once.
        WaitForSingleObject(thread, INFINITE);
        break;
      }
      // PeekMessage also delivers pending sent messages, the worker's
      // notifications among them.
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
          quit = true;
          quitCode = message.wParam;
          continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
    // A quit request belongs to the outer message loop; hand it back.
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
    worker_.reset();
  }
  cancelEvent_.reset();
}

void InstCabDlg::OnUnexpectedError() {
  controller_.BeginCancel();
  if (cancelEvent_) SignalEvent(cancelEvent_.get());
  EndDialog(IDCANCEL);
}

std::optional<INT_PTR> InstCabDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // A sent message's result travels in DWLP_MSGRESULT, not as the dialog
  // procedure's return value.
  if (std::optional<LRESULT> result = DeliverReport(recorder_, message, wParam, lParam))
    return SetMessageResult(*result);
  switch (message) {
    case WM_DESTROY:
      // The cancel event may still be unsignalled here (a box ended the
      // dialog); the worker then ends on its own, sending nothing more.
      JoinWorker();
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

namespace {
UINT BoxStyle(BoxKind kind) {
  switch (kind) {
    case BoxKind::Question:
      return MB_YESNO | MB_ICONQUESTION;
    case BoxKind::Information:
      return MB_OK | MB_ICONINFORMATION;
    case BoxKind::Error:
      break;
  }
  return MB_OK | MB_ICONERROR;
}
}  // namespace

BoxAnswer InstCabDlg::ShowBox(const std::string& text, const std::string& caption, BoxKind kind) {
  switch (MessageBoxW(hwnd(), WideFromUtf8(text).c_str(), WideFromUtf8(caption).c_str(), BoxStyle(kind))) {
    case IDYES:
      return BoxAnswer::Yes;
    case IDNO:
      return BoxAnswer::No;
    default:
      // OK, or a box that could not be shown: neither goes on after the
      // question.
      return BoxAnswer::Ok;
  }
}

void InstCabDlg::End(int result) { EndDialog(result); }

std::string InstCabDlg::DisplayVersion(const char* raw) { return Utf8FromJapanese(raw != nullptr ? raw : ""); }

void RefreshCursor() {
  POINT point{};
  if (!GetCursorPos(&point)) return;
  HWND under = WindowFromPoint(point);
  if (under == nullptr || GetWindowThreadProcessId(under, nullptr) != GetCurrentThreadId()) return;
  LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
  SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, WM_MOUSEMOVE));
}
