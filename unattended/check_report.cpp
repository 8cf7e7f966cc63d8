#include "unattended/check_report.h"

#include "progress/progress_controller.h"
#include "progress/reactions.h"
#include "resources/texts.h"
#include "attempt/run_outcome.h"

namespace {

// The code a revision-up reports for the same finding.
InstallError RevisionCode(const VersionCheck& check) {
  switch (check.verdict) {
    case CheckVerdict::TooOld: return InstallError::VersionTooOld;
    case CheckVerdict::NotInstalled: return InstallError::NotInstalled;
    case CheckVerdict::Newer: return InstallError::VersionNewer;
    default: return check.connectError;
  }
}

}  // namespace

int ExitCodeFor(const VersionCheck& check) {
  switch (check.verdict) {
    case CheckVerdict::Latest: return kExitDone;
    case CheckVerdict::Outdated: return kExitCheckOutdated;
    default:
      return ErrorExitCode(RevisionCode(check)).value_or(kExitInternalError);
  }
}

CheckBox CheckBoxFor(const VersionCheck& check, const std::function<std::string(const char*)>& display) {
  const char* verdict = nullptr;
  switch (check.verdict) {
    case CheckVerdict::Latest: verdict = text::kCheckLatestTemplate; break;
    case CheckVerdict::Outdated: verdict = text::kCheckOutdatedTemplate; break;
    case CheckVerdict::Newer: verdict = text::kCheckNewerTemplate; break;
    default: break;
  }
  if (verdict != nullptr)
    return {FillTemplate(verdict, {display(check.version.text), RAVO_PACKAGE_VERSION}), text::kCaptionVersion,
            BoxKind::Information};

  // The revision-up's own box for what it would have refused.
  const InstallError code = RevisionCode(check);
  const BoxReaction* box = FindErrorBox(code);
  if (box == nullptr) return {"", text::kCaptionVersion, BoxKind::Error};
  return {ErrorMessage(*box, code, display(check.version.text)), box->caption, box->kind};
}
