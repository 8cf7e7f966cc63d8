// The diagnostic log: one line per event of an attempt, appended to the
// user's standard log file, so that whoever supports a technician can see
// what a code alone does not say. Writing it never changes an outcome and
// never blocks: a line that cannot be written is dropped.
#pragma once

#include <string>
#include <string_view>

namespace diag {

// Appends one event (without time stamp or line end) to the standard log and
// to any file given to AlsoWriteTo. Safe from any thread; never throws.
void Event(std::string_view text);

// Writes every later event to `path` as well (a command line's /log <file>).
// A file that cannot be written is noted in the standard log and otherwise
// ignored.
void AlsoWriteTo(const std::wstring& path);

// Whether events go anywhere: work done only for the log (asking the handheld
// why a call failed) is skipped when they do not.
bool Active();

// Runs `write`, which builds lines and hands them to Event, only when the
// log is written, and keeps whatever its building throws (an allocation that
// fails) from the caller: a line of the log must never change what the
// program does, such as deleting a partial file after it.
template <typename Write>
void Log(Write&& write) noexcept {
  try {
    if (Active()) write();
  } catch (...) {
  }
}

// Where the standard log lives: RavoVup.log in this folder, and the older
// file it rotates to beside it. The platform's folder (%LOCALAPPDATA%\RavoVup
// on Windows) unless a test names its own; empty turns the standard log off.
// Also forgets any AlsoWriteTo file.
void UseFolder(const std::wstring& folder);

inline constexpr char kLogName[] = "RavoVup.log";
inline constexpr char kOlderLogName[] = "RavoVup.old.log";
// The standard log moves aside before a line would take it past this size.
inline constexpr unsigned long kRotateBytes = 1024 * 1024;

// Texts for event lines.
// Bytes from outside (a file's contents) with every byte that is not
// printable ASCII, and the backslash, written as \xNN or \\.
std::string Escaped(std::string_view bytes);
std::string Utf8(std::wstring_view text);
std::string Utf8(std::u16string_view text);
// "x64" or "x86" for the program itself; and the system it runs on, e.g.
// "Windows 10.0.19045, 64-bit".
const char* ProgramArchitecture();
std::string SystemDescription();

}  // namespace diag
