// What /check tells whoever started it: an exit code for a script, and the
// one box that /check without /quiet shows.
#pragma once

#include <functional>
#include <string>

#include "progress/progress_view.h"
#include "worker/version_check.h"

// Beside the codes a revision-up ends with: a version that a revision-up
// would bring up to date.
inline constexpr int kExitCheckOutdated = 10;

// 0 for the package's version, 10 for one a revision-up brings up to date,
// 8 for a newer one; else the code of the box a revision-up shows for the
// same finding (7, 6, 1, 2 or 3).
int ExitCodeFor(const VersionCheck& check);

struct CheckBox {
  std::string text;
  std::string caption;
  BoxKind kind;
};

// `display` turns the handheld's version text (code page 932) into UTF-8.
CheckBox CheckBoxFor(const VersionCheck& check, const std::function<std::string(const char*)>& display);
