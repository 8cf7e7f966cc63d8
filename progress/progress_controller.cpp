#include "progress/progress_controller.h"

#include <cstdio>

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

LRESULT ProgressController::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  if (quiet_) {
    if (cancelled_ && message == WM_INSTALL_STAGE && wParam == kStageFinished) completedDespiteCancel_ = true;
    return 0;
  }
  switch (message) {
    case WM_INSTALL_STAGE:
      return OnStage(wParam);
    case WM_INSTALL_ERROR:
      return OnError(wParam, reinterpret_cast<const char*>(lParam));
    case WM_INSTALL_PROGRESS:
      return OnProgress(wParam, lParam);
    default:
      return 0;
  }
}

void ProgressController::End(int result) {
  quiet_ = true;
  view_.End(result);
}

LRESULT ProgressController::OnStage(WPARAM stage) {
  if (const StageReaction* reaction = FindStageReaction(stage)) {
    view_.SetStatus(reaction->status);
    view_.SetTitle(reaction->title);
  } else if (stage == kStageFinished) {
    ReportCompletion();
  }
  return 0;
}

void ProgressController::ReportCompletion() {
  quiet_ = true;  // nothing the box's own message loop delivers may react
  const BoxReaction& box = CompletionBox();
  view_.ShowBox(box.text, box.caption, box.type);
  End(kResultDone);
}

LRESULT ProgressController::OnError(WPARAM code, const char* version) {
  const BoxReaction* box = FindErrorBox(code);
  if (box == nullptr) {
    End(kResultFailed);
    return 0;
  }
  std::string message = box->text;
  if (code == kErrorVersionTooOld)
    message = FillTemplate(box->text, {view_.DisplayVersion(version), RAVO_MINIMUM_VERSION});
  else if (code == kErrorVersionNewer)
    message = FillTemplate(box->text, {view_.DisplayVersion(version)});

  int answer = view_.ShowBox(message, box->caption, box->type);
  if (code == kErrorVersionNewer && answer == IDYES) return 1;
  End(kResultFailed);
  return 0;
}

LRESULT ProgressController::OnProgress(WPARAM percent, LPARAM ended) {
  view_.SetBar(static_cast<int>(percent));
  char title[128];
  std::snprintf(title, sizeof title, text::kTitleProgressTemplate, static_cast<int>(percent));
  view_.SetTitle(title);
  view_.EnableCancel(ended == 0);
  return 0;
}
