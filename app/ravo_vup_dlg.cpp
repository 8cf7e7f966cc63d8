#include "app/ravo_vup_dlg.h"

#include "app/inst_cab_dlg.h"
#include "app/wide_text.h"
#include "progress/dialog_result.h"
#include "app/resource_ids.h"
#include "resources/texts.h"

namespace {
// The picture control's size in the template, in dialog units.
constexpr RECT kPictureUnits{0, 0, 343, 268};

UniqueIcon LoadAppIcon(int sizeMetricX, int sizeMetricY) {
  return UniqueIcon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                                  IMAGE_ICON, GetSystemMetrics(sizeMetricX),
                                                  GetSystemMetrics(sizeMetricY), LR_DEFAULTCOLOR)));
}

// Halftone stretching keeps the gradient smooth when the dialog's font
// makes the window larger than the picture.
UniqueBitmap StretchedCopy(HBITMAP source, int width, int height) {
  BITMAP info{};
  if (GetObjectW(source, sizeof info, &info) == 0) return {};
  UniqueBitmap copy;
  UniqueMemoryDc from, to;
  {
    ScopedDc screen(nullptr);
    copy.reset(CreateCompatibleBitmap(screen.get(), width, height));
    from.reset(CreateCompatibleDC(screen.get()));
    to.reset(CreateCompatibleDC(screen.get()));
  }
  if (!copy || !from || !to) return {};
  {
    SelectedObject sourceIn(from.get(), source);
    SelectedObject copyIn(to.get(), copy.get());
    SetStretchBltMode(to.get(), HALFTONE);
    SetBrushOrgEx(to.get(), 0, 0, nullptr);
    StretchBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
  }
  return copy;
}
HWND FindGroupBox(HWND dialog) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[16] = {};
    GetClassNameW(child, name, 16);
    if (lstrcmpiW(name, L"Button") == 0 && (GetWindowLongPtrW(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX)
      return child;
  }
  return nullptr;
}

// Anchors the picture brush so that it lines up with the dialog's client
// area, given where the DC's logical origin lies in dialog coordinates. The
// device point of the logical origin is asked for, since themed controls
// paint through DCs whose origin is not their own window's.
void AlignBrush(HDC dc, POINT logicalOriginInDialog) {
  POINT device{0, 0};
  LPtoDP(dc, &device, 1);
  SetBrushOrgEx(dc, device.x - logicalOriginInDialog.x, device.y - logicalOriginInDialog.y, nullptr);
}
}  // namespace

CRavoVupDlg::CRavoVupDlg(bool memoryCard)
    : ModalDialog(IDD_MAIN, nullptr),
      bigIcon_(LoadAppIcon(SM_CXICON, SM_CYICON)),
      smallIcon_(LoadAppIcon(SM_CXSMICON, SM_CYSMICON)),
      memoryCardAtStart_(memoryCard) {}

BOOL CRavoVupDlg::OnInitDialog() {
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
#ifdef RAVO_DEMO_PACKAGE
  SetWindowTextW(hwnd(), WideFromUtf8(text::kDemoAppTitle).c_str());
#else
  SetWindowTextW(hwnd(), WideFromUtf8(text::kAppTitle).c_str());
#endif
  SendDlgItemMessageW(hwnd(), IDC_MEMORY_CARD, BM_SETCHECK, memoryCardAtStart_ ? BST_CHECKED : BST_UNCHECKED, 0);
  PrepareBackground();
  ApplyBoldFont();
  return TRUE;
}

void CRavoVupDlg::PrepareBackground() {
  HWND picture = GetWindow(hwnd(), GW_CHILD);  // the template's first control
  if (picture == nullptr) return;
  RECT size = kPictureUnits;
  MapDialogRect(hwnd(), &size);
  UniqueBitmap original(static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_BACKGROUND), IMAGE_BITMAP, 0, 0, 0)));
  if (!original) return;
  background_ = StretchedCopy(original.get(), size.right, size.bottom);
  if (!background_) return;
  backgroundBrush_.reset(CreatePatternBrush(background_.get()));

  // Painting order of overlapping controls must not matter: each control
  // clips the siblings above it, and the picture and the group box go to
  // the bottom, so neither paints over the texts that lie on them.
  for (HWND child = GetWindow(hwnd(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    SetWindowLongPtrW(child, GWL_STYLE, GetWindowLongPtrW(child, GWL_STYLE) | WS_CLIPSIBLINGS);
  if (HWND group = FindGroupBox(hwnd())) SetWindowPos(group, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(picture, HWND_BOTTOM, 0, 0, size.right, size.bottom, SWP_NOACTIVATE);
  // The control loaded the resource picture itself and keeps no claim on it
  // once replaced.
  UniqueBitmap previous(reinterpret_cast<HBITMAP>(
      SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(background_.get()))));
  if (previous.get() == background_.get()) previous.release();
}

void CRavoVupDlg::ApplyBoldFont() {
  auto dialogFont = reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
  LOGFONTW description{};
  if (dialogFont == nullptr || GetObjectW(dialogFont, sizeof description, &description) == 0) return;
  description.lfWeight = FW_BOLD;
  boldFont_.reset(CreateFontIndirectW(&description));
  if (!boldFont_) return;
  for (HWND child = GetWindow(hwnd(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), TRUE);
}

void CRavoVupDlg::OnOK() {
  // After a box has ended an attempt, this window is enabled again while the
  // attempt's worker still ends the link: a press then is kept, and the next
  // attempt starts once that one has wholly ended, so that no press is lost
  // and no two attempts overlap.
  if (attempt_ != nullptr) {
    startPending_ = true;
    return;
  }
  do {
    startPending_ = false;
    InstCabDlg attempt(hwnd());
    attempt_ = &attempt;
    const INT_PTR result = attempt.DoModal();
    attempt_ = nullptr;
    // Only a completed revision-up ends the program; after anything else the
    // user may try again.
    if (result == kResultDone) {
      EndDialog(IDOK);
      return;
    }
  } while (startPending_ && !exiting_);
}

void CRavoVupDlg::OnCancel() {
  exiting_ = true;
  ModalDialog::OnCancel();
}

std::optional<INT_PTR> CRavoVupDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_ERASEBKGND:
      // Themed controls ask their parent to paint what lies behind them
      // (DrawThemeParentBackground): that has to be the picture as well.
      if (!backgroundBrush_) return std::nullopt;
      EraseWithPicture(reinterpret_cast<HDC>(wParam));
      return SetMessageResult(TRUE);
    case WM_PRINTCLIENT:
      if (!backgroundBrush_) return std::nullopt;
      EraseWithPicture(reinterpret_cast<HDC>(wParam));
      return TRUE;
    case WM_PAINT:
      if (PaintMinimised()) return TRUE;
      return std::nullopt;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(bigIcon_.get());
    case WM_SETCURSOR:
      // Over the disabled main window too, while an attempt is busy.
      if (attempt_ != nullptr && attempt_->busy()) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return SetMessageResult(TRUE);
      }
      return std::nullopt;
  }
  return std::nullopt;
}

// Texts, the group box and the check box sit on the picture. They are given
// the picture itself as their background, aligned to where each control
// lies, rather than no background at all: a control that repaints (the check
// box on every click, anything uncovered) then paints the picture back
// before its text, and antialiased text never piles up into a smear.
INT_PTR CRavoVupDlg::OnCtlColorStatic(HDC dc, HWND control) {
  SetBkMode(dc, TRANSPARENT);
  if (!backgroundBrush_) return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
  POINT place{0, 0};
  MapWindowPoints(control, hwnd(), &place, 1);
  AlignBrush(dc, place);
  return reinterpret_cast<INT_PTR>(backgroundBrush_.get());
}

bool CRavoVupDlg::PaintMinimised() {
  if (!IsIconic(hwnd())) return false;
  ScopedPaint paint(hwnd());
  HDC dc = paint.dc();
  SendMessageW(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  int iconWidth = GetSystemMetrics(SM_CXICON);
  int iconHeight = GetSystemMetrics(SM_CYICON);
  RECT client{};
  GetClientRect(hwnd(), &client);
  int x = (client.right - client.left - iconWidth + 1) / 2;
  int y = (client.bottom - client.top - iconHeight + 1) / 2;
  DrawIcon(dc, x, y, bigIcon_.get());
  return true;
}

void CRavoVupDlg::EraseWithPicture(HDC dc) {
  RECT client{};
  GetClientRect(hwnd(), &client);
  AlignBrush(dc, POINT{0, 0});
  FillRect(dc, &client, backgroundBrush_.get());
}
