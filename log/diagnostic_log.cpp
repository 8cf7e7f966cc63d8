#include "log/diagnostic_log.h"

#include <cstdio>
#include <mutex>
#include <optional>

#include "log_platform.h"

namespace diag {

namespace {

std::wstring Join(const std::wstring& folder, const char* name) {
  std::wstring path = folder;
  if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'/';
  for (const char* c = name; *c != 0; ++c) path += static_cast<wchar_t>(*c);
  return path;
}

// One destination. The file stays open between events, so that an event
// costs one write; a write that fails drops the file, and the next event
// opens it afresh.
class Sink {
 public:
  Sink(std::wstring path, bool rotates) : path_(std::move(path)), rotates_(rotates) {}

  bool Append(std::string_view line) {
    if (!file_ && !Open()) return false;
    if (rotates_ && size_ + line.size() > kRotateBytes && size_ != 0) {
      file_.reset();
      // Whether or not the older file could be replaced, the log goes on:
      // reopened, it is either empty or still the full one.
      platform::Replace(path_, Join(FolderOf(path_), kOlderLogName));
      if (!Open()) return false;
    }
    if (!file_->Write(line)) {
      file_.reset();
      return false;
    }
    size_ += line.size();
    return true;
  }

  const std::wstring& path() const { return path_; }

 private:
  static std::wstring FolderOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
  }
  bool Open() {
    file_ = platform::OpenForAppend(path_);
    size_ = file_ ? file_->InitialSize() : 0;
    return file_ != nullptr;
  }

  std::wstring path_;
  bool rotates_;
  std::unique_ptr<platform::AppendFile> file_;
  std::uint64_t size_ = 0;
};

struct State {
  std::mutex mutex;
  bool folderChosen = false;
  std::optional<Sink> standard;
  std::optional<Sink> extra;
};

// Never destroyed: a thread may still log while the program ends.
State& TheState() {
  static State* state = new State;
  return *state;
}

// With the lock held.
void ChooseFolder(State& state, const std::wstring& folder) {
  state.folderChosen = true;
  state.standard.reset();
  if (!folder.empty()) state.standard.emplace(Join(folder, kLogName), true);
}

std::string Stamped(std::string_view text) {
  const platform::LocalTime t = platform::Now();
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d ", t.year, t.month, t.day, t.hour, t.minute,
                t.second, t.millisecond);
  std::string line = stamp;
  line.reserve(line.size() + text.size() + 2);
  // One event, one line, whatever the text holds.
  for (char c : text) {
    if (c == '\r')
      line += "\\r";
    else if (c == '\n')
      line += "\\n";
    else
      line += c;
  }
  line += "\r\n";  // Notepad on older Windows shows nothing else as a line end
  return line;
}

// With the lock held.
void Write(State& state, std::string_view text, bool toExtra) {
  if (!state.folderChosen) ChooseFolder(state, platform::StandardFolder());
  if (!state.standard && !(toExtra && state.extra)) return;
  const std::string line = Stamped(text);
  if (state.standard) state.standard->Append(line);
  if (toExtra && state.extra) state.extra->Append(line);
}

}  // namespace

void Event(std::string_view text) {
  try {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    Write(state, text, true);
  } catch (...) {
    // Out of memory, or a lock the system would not give: the line is lost,
    // never the attempt.
  }
}

void AlsoWriteTo(const std::wstring& path) {
  try {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    if (!state.folderChosen) ChooseFolder(state, platform::StandardFolder());
    const std::string name = Utf8(path);
    Sink extra(path, false);
    const std::string line = Stamped("log: also written to " + name);
    if (extra.Append(line)) {
      state.extra.emplace(std::move(extra));
      if (state.standard) state.standard->Append(line);
    } else {
      Write(state, "log: " + name + " cannot be written; this log only", false);
    }
  } catch (...) {
  }
}

bool Active() {
  try {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    if (!state.folderChosen) ChooseFolder(state, platform::StandardFolder());
    return state.standard || state.extra;
  } catch (...) {
    return false;
  }
}

void UseFolder(const std::wstring& folder) {
  State& state = TheState();
  std::lock_guard lock(state.mutex);
  ChooseFolder(state, folder);
  state.extra.reset();
}

}  // namespace diag
