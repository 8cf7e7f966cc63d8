// The main window: the picture with the instructions over it, the
// memory-card option, and the start and Exit buttons.
#pragma once

#include "app/modal_dialog.h"
#include "app/unique_handle.h"

class InstCabDlg;

class CRavoVupDlg final : public ModalDialog {
 public:
  // memoryCard: the option's state when the dialog opens.
  explicit CRavoVupDlg(bool memoryCard = true);

 protected:
  BOOL OnInitDialog() override;
  // The start button: one revision-up attempt in the progress dialog.
  void OnOK() override;
  // Exit, the close box and Escape.
  void OnCancel() override;
  std::optional<INT_PTR> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void PrepareBackground();
  void ApplyBoldFont();
  INT_PTR OnCtlColorStatic(HDC dc, HWND control);
  void EraseWithPicture(HDC dc);
  bool PaintMinimised();

  UniqueIcon bigIcon_;
  UniqueIcon smallIcon_;
  UniqueFont boldFont_;
  // The picture at the size the template gives it on this system, shown by
  // the picture control and used as the brush behind every text.
  UniqueBitmap background_;
  UniqueBrush backgroundBrush_;
  InstCabDlg* attempt_ = nullptr;
  bool startPending_ = false;  // Start pressed while the last attempt was ending
  bool exiting_ = false;       // Exit pressed: no pending start runs after it
  bool memoryCardAtStart_;
};
