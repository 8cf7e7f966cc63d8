// Stands in for the progress dialog's window: records what the dialog
// would show, one line a call, and answers its boxes as told.
#pragma once

#include <string>
#include <vector>

#include "progress/progress_view.h"

class FakeView final : public ProgressView {
 public:
  // "status:<text>", "title:<text>", "bar:42", "cancel:on", "cancel:off",
  // "box:<kind>:<caption>:<text>" with kind error, question or information,
  // and "end:<result>".
  std::vector<std::string> seen;
  // The texts of the boxes shown, in order.
  std::vector<std::string> boxes;
  // The answer to a question; every other box is answered OK.
  BoxAnswer answer = BoxAnswer::No;
  // The result the dialog ended with; 0 while it has not ended.
  int result = 0;
  // Off: only the boxes and the result are kept, as a run of thousands of
  // reports needs.
  bool recordAll = true;

  void SetStatus(const std::string& text) override;
  void SetTitle(const std::string& text) override;
  void SetBar(int position) override;
  void EnableCancel(bool enabled) override;
  BoxAnswer ShowBox(const std::string& text, const std::string& caption, BoxKind kind) override;
  void End(int code) override;
  std::string DisplayVersion(const char* raw) override { return raw; }

 private:
  void See(std::string line);
};
