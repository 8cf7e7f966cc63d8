// What the progress dialog shows, free of any window: the Windows dialog is
// one such view; tests and benchmarks supply their own.
#pragma once

#include <string>

// The kinds of box the dialog shows: an error and the completion have one OK
// button, the question has Yes and No.
enum class BoxKind { Error, Question, Information };
enum class BoxAnswer { Ok, Yes, No };

class ProgressView {
 public:
  virtual void SetStatus(const std::string& text) = 0;
  virtual void SetTitle(const std::string& text) = 0;
  virtual void SetBar(int position) = 0;
  virtual void EnableCancel(bool enabled) = 0;
  // Shows a modal box and returns the button pressed.
  virtual BoxAnswer ShowBox(const std::string& text, const std::string& caption, BoxKind kind) = 0;
  virtual void End(int result) = 0;
  // The handheld's version text (code page 932, never null) as UTF-8 for
  // display.
  virtual std::string DisplayVersion(const char* raw) = 0;

 protected:
  ~ProgressView() = default;
};
