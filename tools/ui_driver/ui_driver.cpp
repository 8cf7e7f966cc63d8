// Drives RavoVup's windows from outside, the way a user would, for the demo
// and the Wine tests. One command per run; exit code 0 on success, 1 when a
// wait timed out or a window was not found, 2 on bad usage. `ui_driver serve`
// instead reads commands from stdin, one a line with its words separated by
// tabs, and answers each with one line on stdout:
//   {"code":<exit code as above>,"out":"<what the command printed>"}
// A Wine process start costs more than most steps, and a step right after a
// click must not wait for one.
//
//   ui_driver wait <title> [ms]           a visible top-level window appears
//   ui_driver wait-gone <title> [ms]      ... and is gone again
//   ui_driver wait-enabled <title> <id> [ms]
//                                         the control and its window take
//                                         input (a modal box disables the
//                                         window, not its controls)
//   ui_driver wait-ready <title> <id> [ms]
//                                         ... and a press on it would be
//                                         taken: as click waits for, below
//   ui_driver click <title> <id> [ms]     posts a button click, once the
//                                         button's window is the active
//                                         window and takes input (waits up
//                                         to ms, default 10 s); prints where
//                                         input was: "before\tforeground=
//                                         <title>\tactive=<title>\tfocus=
//                                         <id>(<class>)", and after a wait
//                                         "ready after\t<ms> ms\t..." too
//   ui_driver check <title> <id> <0|1>    clicks a check box into that state,
//                                         waiting as click does
//   ui_driver command <title> <id>        posts WM_COMMAND as the dialog
//                                         manager does for Enter (1) and
//                                         Escape (2), even for a disabled button
//   ui_driver state <title> <id>          prints "enabled=E checked=C"
//   ui_driver texts <title>               prints the title and every child's
//                                         id, class and text (UTF-8)
//   ui_driver rect <title>                prints WxH+X+Y, for cropping shots
//   ui_driver wait-bar <title> <percent> [ms]
//                                         the progress bar reaches the percent
//   ui_driver cancel <title> <delay ms> [ms]
//                                         once the window is there, waits the
//                                         delay, prints what it shows, posts
//                                         Escape (IDCANCEL) to it and waits
//                                         (ms again) for it to close
//   ui_driver watch <title> [ms] [<click title> <id>]
//                                         records every change of what the
//                                         windows show until <title> appears;
//                                         with a click, posts it (as click
//                                         does) once the first snapshot is
//                                         taken and ends
//                                         with "after\t<ms since the click>";
//                                         each change starts with a line
//                                         "at\t<ms since the click>"
//   ui_driver windows                     lists visible top-level windows
//
// A title ending in '*' matches by prefix. Texts print line feeds as "\n".
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length, nullptr, nullptr);
  return out;
}

// Serving, a command's output is collected into its answer line.
bool serving = false;
std::string printed;

// Raw UTF-8 bytes to stdout, whatever the console code page.
void Write(const std::string& text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void Print(const std::string& text) {
  if (serving) printed += text;
  else Write(text);
}

// The text may change between asking its length and reading it (a title
// going from 9 % to 10 %); a buffer that came back full is read again.
std::wstring TextOf(HWND window) {
  for (int room = GetWindowTextLengthW(window) + 16;; room *= 2) {
    std::wstring text(static_cast<size_t>(room), L'\0');
    int got = GetWindowTextW(window, text.data(), room);
    if (got < room - 1) {
      text.resize(static_cast<size_t>(got));
      return text;
    }
  }
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

bool Matches(const std::wstring& title, const std::wstring& pattern) {
  if (!pattern.empty() && pattern.back() == L'*') return title.rfind(pattern.substr(0, pattern.size() - 1), 0) == 0;
  return title == pattern;
}

BOOL CALLBACK CollectVisible(HWND window, LPARAM list) {
  if (IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

HWND Find(const std::wstring& pattern) {
  for (HWND window : TopLevelWindows())
    if (Matches(TextOf(window), pattern)) return window;
  return nullptr;
}

// How long a press waits for its window to become active.
constexpr DWORD kPressWait = 10000;

template <typename Ready>
bool WaitFor(DWORD milliseconds, Ready ready, DWORD poll = 50) {
  ULONGLONG deadline = GetTickCount64() + milliseconds;
  for (;;) {
    if (ready()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(poll);
  }
}

HWND Control(const std::wstring& title, int id) {
  HWND window = Find(title);
  return window != nullptr ? GetDlgItem(window, id) : nullptr;
}

// "none", a top-level window's title, or a control's id and class.
std::string NameOf(HWND window);

// A dialog that `window` owns and that still exists, shown or hidden: one
// that has ended but whose destruction is still running keeps its thread in
// its own message loop.
struct OwnedSearch {
  HWND owner, found;
};

BOOL CALLBACK FindOwnedDialog(HWND candidate, LPARAM param) {
  auto* search = reinterpret_cast<OwnedSearch*>(param);
  if (candidate == search->owner || GetWindow(candidate, GW_OWNER) != search->owner ||
      ClassOf(candidate) != L"#32770")
    return TRUE;
  search->found = candidate;
  return FALSE;
}

HWND OwnedDialog(HWND window) {
  OwnedSearch search{window, nullptr};
  EnumThreadWindows(GetWindowThreadProcessId(window, nullptr), FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Where input goes now, seen from outside the program: the foreground
// window, the active window and focus of the thread that owns `window`, and
// a dialog of `window`'s own that still exists.
std::string InputState(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  HWND owned = OwnedDialog(window);
  return "foreground=" + NameOf(GetForegroundWindow()) + "\tactive=" + NameOf(info.hwndActive) +
         "\tfocus=" + NameOf(info.hwndFocus) + "\towns=" + NameOf(owned) +
         (owned != nullptr && !IsWindowVisible(owned) ? " (hidden)" : "");
}

// A press is posted only once a person's click would be taken:
// - The button's window is the foreground window and its thread's active
//   one. A person's click activates the window first; a posted BM_CLICK
//   does not, and the button takes the focus between its press and its
//   release: if that activated the dialog, the dialog manager would hand
//   the focus back to the control that last had it and drop the press.
// - The button and its window take input.
// - The window owns no dialog that still exists. A dialog's end enables its
//   owner again before the dialog is destroyed; until then its thread runs
//   that dialog's loop (which drops what it takes after the end) and its
//   destruction (the progress dialog waits there for its worker, serving
//   messages, while the main dialog's start button still ignores presses).
bool ReadyForPress(HWND control) {
  HWND root = GetAncestor(control, GA_ROOT);
  if (root == nullptr || !IsWindowEnabled(control) || !IsWindowEnabled(root) || OwnedDialog(root) != nullptr)
    return false;
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetForegroundWindow() == root && GetGUIThreadInfo(GetWindowThreadProcessId(root, nullptr), &info) &&
         info.hwndActive == root;
}

// Waits for ReadyForPress, printing where input was when the press was asked
// for and, when it had to wait, where it was once ready. False when the
// button never became ready.
bool AwaitPress(HWND control, DWORD milliseconds) {
  HWND root = GetAncestor(control, GA_ROOT);
  Print("before\t" + InputState(root) + "\n");
  ULONGLONG asked = GetTickCount64();
  if (ReadyForPress(control)) return true;
  bool ready = WaitFor(milliseconds, [&] { return IsWindow(control) && ReadyForPress(control); }, 5);
  Print(std::string(ready ? "ready after\t" : "not ready after\t") + std::to_string(GetTickCount64() - asked) +
        " ms\t" + (IsWindow(control) ? InputState(root) : std::string("gone")) + "\n");
  return ready;
}

int Fail(const char* what, const std::wstring& title) {
  std::string line = std::string("ui_driver: ") + what + ": " + Utf8(title) + "\n";
  if (serving) printed += line;
  else std::fputs(line.c_str(), stderr);
  return 1;
}

std::string Escaped(const std::wstring& text) {
  std::string out;
  for (char c : Utf8(text)) {
    if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

DWORD Milliseconds(int argc, wchar_t** argv, int index) {
  return argc > index ? static_cast<DWORD>(_wtoi(argv[index])) : 20000;
}

HWND ChildOfClass(HWND window, const wchar_t* name) {
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    if (ClassOf(child) == name) return child;
  return nullptr;
}

// -1 when the window has no progress bar.
int BarOf(HWND window) {
  HWND bar = ChildOfClass(window, L"msctls_progress32");
  return bar != nullptr ? static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0)) : -1;
}

// A window's title, then its status text (1001) and bar where it has them.
std::string DescribeOnce(HWND window) {
  std::string line = Escaped(TextOf(window));
  if (HWND status = GetDlgItem(window, 1001); status != nullptr) line.append("\t").append(Escaped(TextOf(status)));
  if (int bar = BarOf(window); bar >= 0) line.append("\tbar=").append(std::to_string(bar));
  return line;
}

// The parts are read one after another, the bar only once the program's
// thread answers: a read across a change of stage can show the last copy's
// title and status with the next copy's bar. Two reads that agree show one
// moment.
std::string Describe(HWND window) {
  std::string line = DescribeOnce(window);
  for (int tries = 0; tries < 20; ++tries) {
    std::string again = DescribeOnce(window);
    if (again == line) break;
    line = std::move(again);
  }
  return line;
}

std::string NameOf(HWND window) {
  if (window == nullptr) return "none";
  if (GetAncestor(window, GA_ROOT) == window) return Escaped(TextOf(window));
  return std::to_string(static_cast<short>(GetDlgCtrlID(window))) + "(" + Utf8(ClassOf(window)) + ")";
}

// One line per visible top-level window.
std::string Snapshot() {
  std::string lines;
  for (HWND window : TopLevelWindows()) lines.append("seen\t").append(Describe(window)).append("\n");
  return lines;
}

int Run(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  std::wstring command = argv[1];
  std::wstring title = argc > 2 ? argv[2] : L"";

  if (command == L"windows") {
    for (HWND window : TopLevelWindows())
      Print(Utf8(ClassOf(window)) + "\t" + Escaped(TextOf(window)) + "\n");
    return 0;
  }
  if (argc < 3) return 2;
  if (command == L"wait") {
    return WaitFor(Milliseconds(argc, argv, 3), [&] { return Find(title) != nullptr; }) ? 0 : Fail("no window", title);
  }
  if (command == L"wait-gone") {
    return WaitFor(Milliseconds(argc, argv, 3), [&] { return Find(title) == nullptr; }) ? 0
                                                                                        : Fail("still there", title);
  }
  if (command == L"texts" || command == L"rect") {
    HWND window = Find(title);
    if (window == nullptr) return Fail("no window", title);
    if (command == L"rect") {
      RECT r{};
      GetWindowRect(window, &r);
      char line[96];
      std::snprintf(line, sizeof line, "%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
      Print(line);
      return 0;
    }
    Print("title\t" + Escaped(TextOf(window)) + "\n");
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
      Print(std::to_string(static_cast<short>(GetDlgCtrlID(child))) + "\t" + Utf8(ClassOf(child)) + "\t" +
            Escaped(TextOf(child)) + "\n");
    return 0;
  }
  if (command == L"watch") {
    std::string last;
    ULONGLONG clicked = GetTickCount64();
    // Each change comes with its time since the click.
    auto record = [&] {
      std::string now = Snapshot();
      if (now != last) Print("at\t" + std::to_string(GetTickCount64() - clicked) + "\n" + now);
      last = now;
    };
    record();
    // The click comes once the watch runs, so it sees everything that follows.
    if (argc > 5) {
      HWND control = Control(argv[4], _wtoi(argv[5]));
      if (control == nullptr) return Fail("no such control", argv[4]);
      if (!AwaitPress(control, kPressWait)) return Fail("not ready for a press", argv[4]);
      PostMessageW(control, BM_CLICK, 0, 0);
      clicked = GetTickCount64();
    }
    bool found = WaitFor(Milliseconds(argc, argv, 3), [&] {
      record();
      return Find(title) != nullptr;
    }, 10);
    record();  // the window may have come after the last snapshot
    if (argc > 5) Print("after\t" + std::to_string(GetTickCount64() - clicked) + "\n");
    return found ? 0 : Fail("no window", title);
  }
  if (argc < 4) return 2;
  int id = _wtoi(argv[3]);
  if (command == L"cancel") {
    HWND window = nullptr;
    if (!WaitFor(Milliseconds(argc, argv, 4), [&] { return (window = Find(title)) != nullptr; }, 5))
      return Fail("no window", title);
    const int delay = id;
    Sleep(static_cast<DWORD>(delay));
    if (!IsWindow(window)) return Fail("gone before the cancel", title);
    Print("cancel at\t" + Describe(window) + "\n");
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ULONGLONG posted = GetTickCount64();
    if (!WaitFor(Milliseconds(argc, argv, 4), [&] { return !IsWindow(window); }, 5))
      return Fail("still there after the cancel", title);
    Print("closed after " + std::to_string(GetTickCount64() - posted) + " ms\n");
    return 0;
  }
  if (command == L"wait-bar") {
    const int percent = id;
    return WaitFor(Milliseconds(argc, argv, 4),
                   [&] {
                     HWND window = Find(title);
                     return window != nullptr && BarOf(window) >= percent;
                   })
               ? 0
               : Fail("bar not reached", title);
  }
  if (command == L"wait-enabled") {
    return WaitFor(Milliseconds(argc, argv, 4),
                   [&] {
                     HWND control = Control(title, id);
                     return control != nullptr && IsWindowEnabled(control) &&
                            IsWindowEnabled(GetAncestor(control, GA_ROOT));
                   })
               ? 0
               : Fail("control not enabled", title);
  }
  if (command == L"wait-ready") {
    return WaitFor(Milliseconds(argc, argv, 4),
                   [&] {
                     HWND control = Control(title, id);
                     return control != nullptr && ReadyForPress(control);
                   })
               ? 0
               : Fail("control not ready for a press", title);
  }
  if (command == L"command") {
    HWND window = Find(title);
    if (window == nullptr) return Fail("no window", title);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    return 0;
  }
  HWND control = Control(title, id);
  if (control == nullptr) return Fail("no such control", title);
  if (command == L"click") {
    if (!AwaitPress(control, argc > 4 ? Milliseconds(argc, argv, 4) : kPressWait))
      return Fail("not ready for a press", title);
    // Posted: the click may open a modal dialog, which would hold a send.
    PostMessageW(control, BM_CLICK, 0, 0);
    return 0;
  }
  if (command == L"state") {
    char line[64];
    std::snprintf(line, sizeof line, "enabled=%d checked=%d\n", IsWindowEnabled(control) ? 1 : 0,
                  static_cast<int>(SendMessageW(control, BM_GETCHECK, 0, 0)));
    Print(line);
    return 0;
  }
  if (command == L"check" && argc > 4) {
    if (!AwaitPress(control, kPressWait)) return Fail("not ready for a press", title);
    LRESULT wanted = _wtoi(argv[4]) ? BST_CHECKED : BST_UNCHECKED;
    for (int i = 0; i < 3 && SendMessageW(control, BM_GETCHECK, 0, 0) != wanted; ++i)
      SendMessageW(control, BM_CLICK, 0, 0);
    return SendMessageW(control, BM_GETCHECK, 0, 0) == wanted ? 0 : Fail("check box did not change", title);
  }
  return 2;
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out.append(1, '\\').append(1, c);
    else if (c == '\n') out += "\\n";
    else if (static_cast<unsigned char>(c) < 0x20) {
      char code[8];
      std::snprintf(code, sizeof code, "\\u%04x", c);
      out += code;
    } else out += c;
  }
  return out + "\"";
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length);
  return out;
}

// One command a line until stdin ends.
int Serve(const wchar_t* self) {
  serving = true;
  std::string pending;
  char buffer[4096];
  DWORD got = 0;
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  while (ReadFile(input, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    pending.append(buffer, got);
    for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
      std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::vector<std::wstring> words{self};
      std::wstring text = Wide(line);
      for (std::size_t start = 0;;) {
        std::size_t tab = text.find(L'\t', start);
        words.push_back(text.substr(start, tab == std::wstring::npos ? std::wstring::npos : tab - start));
        if (tab == std::wstring::npos) break;
        start = tab + 1;
      }
      std::vector<wchar_t*> argv;
      for (auto& word : words) argv.push_back(word.data());
      printed.clear();
      int result = Run(static_cast<int>(argv.size()), argv.data());
      Write("{\"code\":" + std::to_string(result) + ",\"out\":" + JsonString(printed) + "}\n");
    }
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wstring(argv[1]) == L"serve") return Serve(argv[0]);
  return Run(argc, argv);
}
