// The handheld's file system over the folder, with the Windows rules for
// read-only files and for files that are open, which the PC's file system
// (and a test run as root) would not enforce.
#include <algorithm>

#include "sim/internal.h"

using namespace sim;
using namespace sim::detail;

namespace {
constexpr DWORD kCreateNew = 1;
constexpr DWORD kCreateAlways = 2;
constexpr DWORD kOpenExisting = 3;
constexpr DWORD kOpenAlways = 4;
constexpr DWORD kTruncateExisting = 5;
constexpr DWORD kSettableBits = 0x1 | 0x2 | 0x4 | 0x20;  // read-only, hidden, system, archive

bool IsFile(const fs::path& local) {
  std::error_code error;
  return fs::is_regular_file(local, error);
}
bool Exists(const fs::path& local) {
  std::error_code error;
  return fs::exists(local, error);
}
bool ParentExists(const fs::path& local) {
  std::error_code error;
  return fs::is_directory(local.parent_path(), error);
}

HANDLE OpenOnDevice(Device& device, const std::string& path, DWORD access, DWORD disposition, DWORD attributes) {
  auto target = Resolve(device.config.root, path);
  if (!target || (Exists(target->local) && !IsFile(target->local))) return INVALID_HANDLE_VALUE;
  const bool exists = IsFile(target->local);
  Attributes bits(device.config.root);
  const bool readOnly = exists && bits.ReadOnly(target->name);

  bool create = false, truncate = false;
  switch (disposition) {
    case kCreateNew:
      if (exists) return INVALID_HANDLE_VALUE;
      create = true;
      break;
    case kCreateAlways:
      create = !exists;
      truncate = exists;
      break;
    case kOpenExisting:
      if (!exists) return INVALID_HANDLE_VALUE;
      break;
    case kOpenAlways:
      create = !exists;
      break;
    case kTruncateExisting:
      if (!exists) return INVALID_HANDLE_VALUE;
      truncate = true;
      break;
    default:
      return INVALID_HANDLE_VALUE;
  }
  const bool canWrite = (access & GENERIC_WRITE) != 0;
  if (readOnly && (canWrite || truncate)) return INVALID_HANDLE_VALUE;
  if (create && !ParentExists(target->local)) return INVALID_HANDLE_VALUE;
  // Windows refuses a second writer on a file that is open; the worker never
  // needs one, so any such attempt is a fault worth seeing.
  if ((canWrite || truncate) && IsOpen(device, target->local)) return INVALID_HANDLE_VALUE;

  if (create || truncate) {
    std::ofstream made(target->local, std::ios::binary | std::ios::trunc);
    if (!made) return INVALID_HANDLE_VALUE;
    // A new or replaced file takes the attributes asked for.
    bits.Set(target->name, attributes & kSettableBits);
    bits.SaveIfChanged();
  }
  FileObject file;
  file.local = target->local;
  file.devicePath = target->name;
  file.canRead = (access & GENERIC_READ) != 0;
  file.canWrite = canWrite;
  std::ios::openmode mode = std::ios::binary | std::ios::in;
  if (canWrite) mode |= std::ios::out;
  file.stream.open(target->local, mode);
  if (!file.stream.is_open()) return INVALID_HANDLE_VALUE;
  return NewHandle(device, std::move(file));
}
}  // namespace

extern "C" HANDLE WINAPI CeCreateFile(LPCWSTR path, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition,
                                      DWORD attributes, HANDLE) {
  std::string name = Utf8(path);
  CallStart start = Begin(Op::CeCreateFile, name);
  if (!start.attached || start.inject || path == nullptr) return INVALID_HANDLE_VALUE;
  auto lock = Lock();
  if (!State().attached) return INVALID_HANDLE_VALUE;
  return OpenOnDevice(State(), name, access, disposition, attributes);
}

extern "C" BOOL WINAPI CeReadFile(HANDLE handle, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED) {
  if (read != nullptr) *read = 0;
  CallStart start = Begin(Op::CeReadFile, std::to_string(toRead));
  if (!start.attached || start.inject || (buffer == nullptr && toRead != 0)) return FALSE;
  std::size_t got = 0;
  {
    auto lock = Lock();
    auto* file = Find<FileObject>(State(), handle);
    if (file == nullptr || !file->canRead || !file->stream.is_open()) return FALSE;
    file->stream.read(static_cast<char*>(buffer), toRead);
    got = static_cast<std::size_t>(file->stream.gcount());
    // Reading at the end is a success with no bytes, as on Windows.
    file->stream.clear();
  }
  if (read != nullptr) *read = static_cast<DWORD>(got);
  Pace(start.link, got);
  return TRUE;
}

extern "C" BOOL WINAPI CeWriteFile(HANDLE handle, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED) {
  if (written != nullptr) *written = 0;
  CallStart start = Begin(Op::CeWriteFile, std::to_string(toWrite));
  if (!start.attached || start.inject || (buffer == nullptr && toWrite != 0)) return FALSE;
  DWORD count = toWrite;
  {
    auto lock = Lock();
    Device& device = State();
    auto* file = Find<FileObject>(device, handle);
    if (file == nullptr || !file->canWrite || !file->stream.is_open()) return FALSE;
    if (device.config.faults.shortWriteAt == start.number) count = toWrite / 2;
    file->stream.write(static_cast<const char*>(buffer), count);
    // Written through at once, so the folder shows what the handheld holds.
    file->stream.flush();
    if (!file->stream) {
      file->stream.clear();
      return FALSE;
    }
  }
  if (written != nullptr) *written = count;
  Pace(start.link, count);
  return TRUE;
}

extern "C" BOOL WINAPI CeCloseHandle(HANDLE handle) {
  std::string what;
  {
    auto lock = Lock();
    auto it = State().handles.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == State().handles.end()) {
      what = "(not open)";
    } else if (auto* file = std::get_if<FileObject>(&it->second)) {
      what = file->devicePath;
    } else if (auto* process = std::get_if<ProcessObject>(&it->second)) {
      what = "process " + process->commandLine;
    } else {
      what = "(registry key)";
    }
  }
  CallStart start = Begin(Op::CeCloseHandle, what);
  if (!start.attached || start.inject) return FALSE;
  auto lock = Lock();
  Device& device = State();
  auto it = device.handles.find(reinterpret_cast<std::uintptr_t>(handle));
  // Registry keys have their own close; a key passed here stays open.
  if (it == device.handles.end() || std::holds_alternative<KeyObject>(it->second)) return FALSE;
  device.handles.erase(it);
  return TRUE;
}

extern "C" BOOL WINAPI CeDeleteFile(LPCWSTR path) {
  std::string name = Utf8(path);
  CallStart start = Begin(Op::CeDeleteFile, name);
  if (!start.attached || start.inject || path == nullptr) return FALSE;
  auto lock = Lock();
  Device& device = State();
  auto target = Resolve(device.config.root, name);
  if (!target || !IsFile(target->local) || IsOpen(device, target->local)) return FALSE;
  Attributes bits(device.config.root);
  if (bits.ReadOnly(target->name)) return FALSE;
  std::error_code error;
  if (!fs::remove(target->local, error)) return FALSE;
  bits.Forget(target->name);
  bits.SaveIfChanged();
  return TRUE;
}

extern "C" BOOL WINAPI CeCreateDirectory(LPCWSTR path, LPSECURITY_ATTRIBUTES) {
  std::string name = Utf8(path);
  CallStart start = Begin(Op::CeCreateDirectory, name);
  if (!start.attached || start.inject || path == nullptr) return FALSE;
  auto lock = Lock();
  auto target = Resolve(State().config.root, name);
  if (!target || Exists(target->local) || !ParentExists(target->local)) return FALSE;
  std::error_code error;
  return fs::create_directory(target->local, error) ? TRUE : FALSE;
}

extern "C" BOOL WINAPI CeSetFileAttributes(LPCWSTR path, DWORD attributes) {
  std::string name = Utf8(path);
  CallStart start = Begin(Op::CeSetFileAttributes, name + " " + Hex8(attributes));
  if (!start.attached || start.inject || path == nullptr) return FALSE;
  // Normal is only valid alone; anything outside the settable bits is refused.
  if ((attributes & ~(kSettableBits | FILE_ATTRIBUTE_NORMAL)) != 0 ||
      ((attributes & FILE_ATTRIBUTE_NORMAL) != 0 && attributes != FILE_ATTRIBUTE_NORMAL))
    return FALSE;
  auto lock = Lock();
  auto target = Resolve(State().config.root, name);
  if (!target || !Exists(target->local)) return FALSE;
  Attributes bits(State().config.root);
  bits.Set(target->name, attributes);
  bits.SaveIfChanged();
  return TRUE;
}

extern "C" BOOL WINAPI CeMoveFile(LPCWSTR from, LPCWSTR to) {
  std::string fromName = Utf8(from), toName = Utf8(to);
  CallStart start = Begin(Op::CeMoveFile, fromName + " -> " + toName);
  if (!start.attached || start.inject || from == nullptr || to == nullptr) return FALSE;
  auto lock = Lock();
  Device& device = State();
  auto source = Resolve(device.config.root, fromName);
  auto target = Resolve(device.config.root, toName);
  if (!source || !target || !Exists(source->local) || Exists(target->local) || !ParentExists(target->local))
    return FALSE;
  // A folder cannot move into itself, and nothing open moves.
  if (SameName(target->name.substr(0, std::min(target->name.size(), source->name.size() + 1)), source->name + "\\"))
    return FALSE;
  for (const auto& [value, object] : device.handles)
    if (auto* file = std::get_if<FileObject>(&object);
        file != nullptr && (file->local == source->local || SameName(file->devicePath.substr(0, source->name.size() + 1),
                                                                      source->name + "\\")))
      return FALSE;
  std::error_code error;
  fs::rename(source->local, target->local, error);
  if (error) return FALSE;
  Attributes bits(device.config.root);
  bits.Rename(source->name, target->name);
  bits.SaveIfChanged();
  return TRUE;
}
