#include "tests/support/recording_sink.h"

LRESULT RecordingSink::Deliver(UINT message, WPARAM wParam, LPARAM lParam) {
  std::string line;
  LRESULT result = 0;
  switch (message) {
    case WM_INSTALL_STAGE:
      line = "stage " + std::to_string(wParam);
      break;
    case WM_INSTALL_PROGRESS:
      line = "progress " + std::to_string(wParam) + " " + std::to_string(lParam);
      break;
    case WM_INSTALL_ERROR:
      line = "error " + std::to_string(wParam);
      if (wParam == kErrorVersionTooOld || wParam == kErrorVersionNewer)
        line += " [" + std::string(reinterpret_cast<const char*>(lParam)) + "]";
      else if (lParam != 0)
        line += " unexpected parameter";
      if (wParam == kErrorVersionNewer) result = answerNewer;
      break;
    default:
      line = "message " + std::to_string(message);
  }
  log.push_back(line);
  if (onNotify) onNotify(log.size() - 1);
  return result;
}

std::vector<std::string> RecordingSink::Lines(const std::string& kind) const {
  std::vector<std::string> lines;
  for (const std::string& line : log)
    if (line.rfind(kind + " ", 0) == 0) lines.push_back(line);
  return lines;
}
