// A modal dialog built from a resource template, with the few hooks this
// program needs. One static dialog procedure finds the object through
// DWLP_USER and forwards to the virtual handlers; no exception gets past it
// into user32.
#pragma once

#include <windows.h>

#include <optional>

class ModalDialog {
 public:
  ModalDialog(UINT templateId, HWND parent) : templateId_(templateId), parent_(parent) {}
  virtual ~ModalDialog() = default;
  ModalDialog(const ModalDialog&) = delete;
  ModalDialog& operator=(const ModalDialog&) = delete;

  // Runs the dialog; returns the value given to EndDialog, or -1 when the
  // window could not be created.
  INT_PTR DoModal();

  HWND hwnd() const { return hwnd_; }
  HWND parent() const { return parent_; }

 protected:
  // Return TRUE to let the dialog manager set the initial focus.
  virtual BOOL OnInitDialog() { return TRUE; }
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // Any other message. A value is what the dialog procedure returns for it;
  // nothing means "not handled" (the procedure returns FALSE).
  virtual std::optional<INT_PTR> OnMessage(UINT, WPARAM, LPARAM) { return std::nullopt; }
  // A handler threw. The default ends the dialog with -1, as a failed modal
  // run would; dialogs with more at stake override it.
  virtual void OnUnexpectedError() { EndDialog(-1); }

  void EndDialog(INT_PTR result) { ::EndDialog(hwnd_, result); }
  // The result of a sent message, for messages whose result does not travel
  // as the procedure's return value. Returns the TRUE the procedure must give.
  INT_PTR SetMessageResult(LRESULT result) {
    SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
    return TRUE;
  }

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  void CenterOnOwner();

  UINT templateId_;
  HWND parent_;
  HWND hwnd_ = nullptr;
};
