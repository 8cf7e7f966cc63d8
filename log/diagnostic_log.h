// The diagnostic log: one line per event of an attempt, appended to the
// user's standard log file, so that whoever supports a technician can see
// what a code alone does not say. Writing it never changes an outcome and
// never blocks: a line that cannot be written is dropped.
#pragma once

#include <string>
#include <string_view>

namespace diag {

// Appends one event (without time stamp or line end) to the standard log and
// to any file given to AlsoWriteTo.
void Event(std::string_view text);

// Writes every later event to `path` as well (a command line's /log <file>).
// A file that cannot be written is noted in the standard log and otherwise
// ignored.
void AlsoWriteTo(const std::wstring& path);

}  // namespace diag
