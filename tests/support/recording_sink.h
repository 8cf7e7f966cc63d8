// Stands in for the progress dialog on the worker's own thread: records each
// notification as a line and answers the version question.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "progress/notifications.h"

class RecordingSink final : public NotificationSink {
 public:
  // "stage 1", "progress 42 0", "error 7 [Version 1.0.9.9]".
  std::vector<std::string> log;
  LRESULT answerNewer = 1;
  // Runs after a notification is recorded, with its 0-based index.
  std::function<void(std::size_t)> onNotify;

  LRESULT Deliver(UINT message, WPARAM wParam, LPARAM lParam) override;
  HWND window() { return AsWindow(this); }

  std::vector<std::string> Lines(const std::string& kind) const;
  std::vector<std::string> Errors() const { return Lines("error"); }
  std::vector<std::string> Stages() const { return Lines("stage"); }
};
