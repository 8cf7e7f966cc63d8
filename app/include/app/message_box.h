// The program's message boxes: one style per kind of box, and the button
// pressed as an answer.
#pragma once

#include <windows.h>

#include <string>

#include "progress/progress_view.h"

// owner: null for a box of its own on the task bar. A box that could not
// be shown answers OK, which never goes on after the question.
BoxAnswer ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, BoxKind kind);
