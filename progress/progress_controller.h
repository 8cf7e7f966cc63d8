// The progress dialog's handlers, free of any window: they turn each worker
// notification into calls on a view. The Windows dialog is one such view;
// tests supply their own.
#pragma once

#include <string>

#include "progress/notifications.h"

class ProgressView {
 public:
  virtual void SetStatus(const std::string& text) = 0;
  virtual void SetTitle(const std::string& text) = 0;
  virtual void SetBar(int position) = 0;
  virtual void EnableCancel(bool enabled) = 0;
  // Shows a modal box and returns the button pressed (IDOK, IDYES, IDNO...).
  virtual int ShowBox(const std::string& text, const std::string& caption, UINT type) = 0;
  virtual void End(int result) = 0;
  // The handheld's version text (code page 932) as UTF-8 for display.
  virtual std::string DisplayVersion(const char* raw) = 0;

 protected:
  ~ProgressView() = default;
};

class ProgressController {
 public:
  explicit ProgressController(ProgressView& view) : view_(view) {}

  // Runs the handler of a notification and returns its result to the worker.
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  // After a cancel, or once the dialog has ended, notifications that are
  // still on their way are answered at once, with no reaction: the dialog may
  // be waiting for the worker, and the user asked for nothing more.
  void BeginCancel() { quiet_ = cancelled_ = true; }
  bool quiet() const { return quiet_; }

  // A cancel that comes after the worker's last look at the cancel event
  // cannot stop it: the installer is started on the handheld all the same.
  // Once the worker has ended, the dialog then reports the completion rather
  // than a cancel, so the user is sent to the handheld's screen.
  bool CompletedDespiteCancel() const { return completedDespiteCancel_; }
  // Shows the completion box and ends the dialog as done.
  void ReportCompletion();

 private:
  LRESULT OnStage(WPARAM stage);
  LRESULT OnError(WPARAM code, const char* version);
  LRESULT OnProgress(WPARAM percent, LPARAM ended);
  void End(int result);

  ProgressView& view_;
  bool quiet_ = false;
  bool cancelled_ = false;
  bool completedDespiteCancel_ = false;
};

// Replaces each %s of a template, in order, with the next argument.
std::string FillTemplate(const char* pattern, std::initializer_list<std::string> values);
