#include "app/message_box.h"

#include "app/wide_text.h"

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

BoxAnswer ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, BoxKind kind) {
  switch (MessageBoxW(owner, WideFromUtf8(text).c_str(), WideFromUtf8(caption).c_str(), BoxStyle(kind))) {
    case IDYES:
      return BoxAnswer::Yes;
    case IDNO:
      return BoxAnswer::No;
    default:
      return BoxAnswer::Ok;
  }
}
