#include "tests/support/recording_observer.h"

namespace {
std::string Number(InstallStage stage) { return std::to_string(static_cast<unsigned>(stage)); }
std::string Number(InstallError code) { return std::to_string(static_cast<unsigned>(code)); }
std::string Quoted(const char* version) {
  return version != nullptr ? " [" + std::string(version) + "]" : " missing version";
}
}  // namespace

void RecordingObserver::Record(std::string line) {
  log.push_back(std::move(line));
  if (onReport) onReport(log.size() - 1);
}

void RecordingObserver::OnStage(InstallStage stage) { Record("stage " + Number(stage)); }

void RecordingObserver::OnProgress(int percent, bool copyEnded) {
  Record("progress " + std::to_string(percent) + (copyEnded ? " 1" : " 0"));
}

void RecordingObserver::OnError(InstallError code, const char* version) {
  std::string line = "error " + Number(code);
  if (code == InstallError::VersionTooOld)
    line += Quoted(version);
  else if (version != nullptr)
    line += " unexpected version";
  Record(std::move(line));
}

bool RecordingObserver::ConfirmNewerVersion(const char* version) {
  Record("error " + Number(InstallError::VersionNewer) + Quoted(version));
  return answerNewer;
}

std::vector<std::string> RecordingObserver::Lines(const std::string& kind) const {
  std::vector<std::string> lines;
  for (const std::string& line : log)
    if (line.rfind(kind + " ", 0) == 0) lines.push_back(line);
  return lines;
}
