// What the progress dialog does for each stage and error code: the fixed
// texts, captions and kinds of box, as data.
#pragma once

#include <optional>
#include <string>

#include "progress/progress_view.h"
#include "worker/install_observer.h"

struct StageReaction {
  const char* status;  // text of control 1001
  const char* title;   // window title
};

// Stages 0 to 2; null for stage 3 (which shows the completion box) and for
// values that are never sent.
const StageReaction* FindStageReaction(InstallStage stage);

struct BoxReaction {
  const char* text;  // a template with %s for codes 7 and 8
  const char* caption;
  BoxKind kind;
};

const BoxReaction& CompletionBox();
// Null for codes that have no message: the dialog then ends silently.
const BoxReaction* FindErrorBox(InstallError code);
// The box's text for `code`, the installed version (shown, as UTF-8) and the
// minimum filled in where its template asks for them.
std::string ErrorMessage(const BoxReaction& box, InstallError code, const std::string& shownVersion);
// What a script reads for a code the dialog has a box for; none for others.
std::optional<int> ErrorExitCode(InstallError code);
