#include "progress/progress_controller.h"

#include <cstdio>

#include "progress/dialog_result.h"
#include "progress/reactions.h"
#include "resources/texts.h"
#include "resources/version.h"

std::string FillTemplate(const char* pattern, std::initializer_list<std::string> values) {
  std::string out;
  auto next = values.begin();
  for (const char* p = pattern; *p != '\0'; ++p) {
    if (p[0] == '%' && p[1] == 's' && next != values.end()) {
      out += *next++;
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

void ProgressController::End(int result) {
  quiet_ = true;
  view_.End(result);
}

void ProgressController::OnStage(InstallStage stage) {
  if (quiet_) {
    if (cancelled_ && stage == InstallStage::Finished) completedDespiteCancel_ = true;
    return;
  }
  if (const StageReaction* reaction = FindStageReaction(stage)) {
    view_.SetStatus(reaction->status);
    view_.SetTitle(reaction->title);
    shownPercent_ = -1;
  } else if (stage == InstallStage::Finished) {
    ReportCompletion();
  }
}

void ProgressController::ReportCompletion() {
  quiet_ = true;  // nothing the box's own message loop delivers may react
  const BoxReaction& box = CompletionBox();
  view_.ShowBox(box.text, box.caption, box.kind);
  End(kResultDone);
}

void ProgressController::OnError(InstallError code, const char* version) {
  if (!quiet_) React(code, version);
}

bool ProgressController::ConfirmNewerVersion(const char* version) {
  return !quiet_ && React(InstallError::VersionNewer, version);
}

bool ProgressController::React(InstallError code, const char* version) {
  const BoxReaction* box = FindErrorBox(code);
  if (box == nullptr) {
    End(kResultFailed);
    return false;
  }
  const std::string message = ErrorMessage(*box, code, version != nullptr ? view_.DisplayVersion(version) : std::string());
  const BoxAnswer answer = view_.ShowBox(message, box->caption, box->kind);
  if (code == InstallError::VersionNewer && answer == BoxAnswer::Yes) return true;
  End(kResultFailed);
  return false;
}

void ProgressController::OnProgress(int percent, bool copyEnded) {
  if (quiet_) return;
  if (percent != shownPercent_) {
    view_.SetBar(percent);
    char title[128];
    std::snprintf(title, sizeof title, text::kTitleProgressTemplate, percent);
    view_.SetTitle(title);
    shownPercent_ = percent;
  }
  view_.EnableCancel(!copyEnded);
}
