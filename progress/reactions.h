// What the progress dialog does for each notification code: the fixed
// texts, captions, box types and dialog results, as data.
#pragma once

#include "progress/notifications.h"

constexpr int kResultDone = 1;    // the main dialog closes
constexpr int kResultFailed = 2;  // failed, refused or cancelled: back to the main dialog

struct StageReaction {
  const char* status;  // text of control 1001
  const char* title;   // window title
};

// Stages 0 to 2; null for stage 3 (which shows the completion box) and for
// values that are never sent.
const StageReaction* FindStageReaction(WPARAM stage);

struct BoxReaction {
  const char* text;  // a template with %s for codes 7 and 8
  const char* caption;
  UINT type;  // MB_ flags
};

const BoxReaction& CompletionBox();
// Null for codes that have no message: the dialog then ends silently.
const BoxReaction* FindErrorBox(WPARAM code);
