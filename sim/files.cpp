// The handheld's file system over the folder, with the Windows rules for
// read-only files and for files that are open, which the PC's file system
// (and a test run as root) would not enforce.
#include "internal.h"

using namespace sim;
using namespace sim::detail;

namespace {
fs::file_type Type(const fs::path& local) {
  std::error_code error;
  return fs::status(local, error).type();
}
bool ParentExists(const fs::path& local) { return Type(local.parent_path()) == fs::file_type::directory; }
bool ReadOnly(const fs::path& root, const std::string& name) {
  return (GetAttributes(root, name) & FILE_ATTRIBUTE_READONLY) != 0;
}

// The Windows error codes these operations leave for CeGetLastError.
constexpr DWORD kFileNotFound = 2, kPathNotFound = 3, kAccessDenied = 5, kInvalidHandle = 6, kWriteFault = 29,
                kSharingViolation = 32, kNotSupported = 50, kInvalidParameter = 87, kInvalidName = 123,
                kAlreadyExists = 183;
DWORD Missing(const fs::path& local) { return ParentExists(local) ? kFileNotFound : kPathNotFound; }

// Only the two dispositions the program uses; any other is refused rather
// than half imitated.
HANDLE Open(Device& device, const std::string& path, DWORD access, DWORD disposition) {
  const fs::path& root = device.config.root;
  auto target = Resolve(root, path);
  const bool create = disposition == CREATE_ALWAYS, write = create || (access & GENERIC_WRITE) != 0;
  const HANDLE kNone = INVALID_HANDLE_VALUE;
  if (!target) return Failed(kNone, kInvalidName);
  if (!create && disposition != OPEN_EXISTING) return Failed(kNone, kInvalidParameter);
  const fs::file_type type = Type(target->local);
  if (type == fs::file_type::directory) return Failed(kNone, kAccessDenied);
  if (!create && type != fs::file_type::regular) return Failed(kNone, Missing(target->local));
  // Windows refuses a second writer on a file that is open; the program never
  // needs one, so any such attempt is a fault worth seeing.
  if (write && ReadOnly(root, target->name)) return Failed(kNone, kAccessDenied);
  if (write && IsOpen(device, target->local)) return Failed(kNone, kSharingViolation);
  if (create) {
    if (!ParentExists(target->local)) return Failed(kNone, kPathNotFound);
    if (!std::ofstream(target->local, std::ios::binary | std::ios::trunc)) return Failed(kNone, kAccessDenied);
    SetAttributes(root, target->name, 0);
  }
  FileObject file{{}, target->local, target->name, (access & GENERIC_READ) != 0, (access & GENERIC_WRITE) != 0};
  file.stream.open(target->local, std::ios::binary | std::ios::in | (file.canWrite ? std::ios::out : std::ios::in));
  if (!file.stream.is_open()) return Failed(kNone, kAccessDenied);
  return NewHandle(device, std::move(file));
}
}  // namespace

extern "C" HANDLE WINAPI CeCreateFile(LPCWSTR path, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition,
                                      DWORD, HANDLE) {
  std::string name = Utf8(path);
  if (!Begin(Op::CeCreateFile, name).proceed) return INVALID_HANDLE_VALUE;
  if (path == nullptr) return Failed(INVALID_HANDLE_VALUE, kInvalidParameter);
  auto lock = Lock();
  return Open(State(), name, access, disposition);
}

extern "C" BOOL WINAPI CeReadFile(HANDLE handle, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED) {
  if (read != nullptr) *read = 0;
  CallStart start = Begin(Op::CeReadFile, std::to_string(toRead));
  if (!start.proceed) return FALSE;
  if (buffer == nullptr && toRead != 0) return Failed(FALSE, kInvalidParameter);
  std::size_t got = 0;
  {
    auto lock = Lock();
    auto* file = Find<FileObject>(State(), handle);
    if (file == nullptr || !file->stream.is_open()) return Failed(FALSE, kInvalidHandle);
    if (!file->canRead) return Failed(FALSE, kAccessDenied);
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
  if (!start.proceed) return FALSE;
  if (buffer == nullptr && toWrite != 0) return Failed(FALSE, kInvalidParameter);
  DWORD count = toWrite;
  {
    auto lock = Lock();
    auto* file = Find<FileObject>(State(), handle);
    if (file == nullptr || !file->stream.is_open()) return Failed(FALSE, kInvalidHandle);
    if (!file->canWrite) return Failed(FALSE, kAccessDenied);
    if (State().config.faults.shortWriteAt == start.number) count = toWrite / 2;
    // Written through at once, so the folder shows what the handheld holds.
    if (!file->stream.write(static_cast<const char*>(buffer), count).flush()) {
      file->stream.clear();
      return Failed(FALSE, kWriteFault);
    }
  }
  if (written != nullptr) *written = count;
  Pace(start.link, count);
  return TRUE;
}

extern "C" BOOL WINAPI CeCloseHandle(HANDLE handle) {
  std::string what = "(not open)";
  {
    auto lock = Lock();
    if (auto* file = Find<FileObject>(State(), handle)) what = file->devicePath;
    if (Find<ProcessObject>(State(), handle)) what = "(process)";
    if (Find<KeyObject>(State(), handle)) what = "(registry key)";
  }
  if (!Begin(Op::CeCloseHandle, what).proceed) return FALSE;
  auto lock = Lock();
  // Registry keys have their own close; a key passed here stays open.
  if (!Find<FileObject>(State(), handle) && !Find<ProcessObject>(State(), handle)) return Failed(FALSE, kInvalidHandle);
  State().handles.erase(reinterpret_cast<std::uintptr_t>(handle));
  return TRUE;
}

extern "C" BOOL WINAPI CeDeleteFile(LPCWSTR path) {
  std::string name = Utf8(path);
  if (!Begin(Op::CeDeleteFile, name).proceed) return FALSE;
  if (path == nullptr) return Failed(FALSE, kInvalidParameter);
  auto lock = Lock();
  const fs::path& root = State().config.root;
  auto target = Resolve(root, name);
  if (!target) return Failed(FALSE, kInvalidName);
  const fs::file_type type = Type(target->local);
  if (type == fs::file_type::directory) return Failed(FALSE, kAccessDenied);
  if (type != fs::file_type::regular) return Failed(FALSE, Missing(target->local));
  if (IsOpen(State(), target->local)) return Failed(FALSE, kSharingViolation);
  if (ReadOnly(root, target->name)) return Failed(FALSE, kAccessDenied);
  std::error_code error;
  if (!fs::remove(target->local, error)) return Failed(FALSE, kAccessDenied);
  SetAttributes(root, target->name, 0);
  return TRUE;
}

extern "C" BOOL WINAPI CeCreateDirectory(LPCWSTR path, LPSECURITY_ATTRIBUTES) {
  std::string name = Utf8(path);
  if (!Begin(Op::CeCreateDirectory, name).proceed) return FALSE;
  if (path == nullptr) return Failed(FALSE, kInvalidParameter);
  auto lock = Lock();
  auto target = Resolve(State().config.root, name);
  if (!target) return Failed(FALSE, kInvalidName);
  if (Type(target->local) != fs::file_type::not_found) return Failed(FALSE, kAlreadyExists);
  if (!ParentExists(target->local)) return Failed(FALSE, kPathNotFound);
  std::error_code error;
  return fs::create_directory(target->local, error) ? TRUE : Failed(FALSE, kAccessDenied);
}

extern "C" BOOL WINAPI CeSetFileAttributes(LPCWSTR path, DWORD attributes) {
  std::string name = Utf8(path);
  if (!Begin(Op::CeSetFileAttributes, name + " " + Hex8(attributes)).proceed) return FALSE;
  if (path == nullptr) return Failed(FALSE, kInvalidParameter);
  auto lock = Lock();
  auto target = Resolve(State().config.root, name);
  if (!target) return Failed(FALSE, kInvalidName);
  if (Type(target->local) == fs::file_type::not_found) return Failed(FALSE, Missing(target->local));
  SetAttributes(State().config.root, target->name, attributes);
  return TRUE;
}

// Bound but never called by the program: refused, so that a program that
// starts calling it meets a failure rather than an imitation.
extern "C" BOOL WINAPI CeMoveFile(LPCWSTR from, LPCWSTR to) {
  if (!Begin(Op::CeMoveFile, Utf8(from) + " -> " + Utf8(to)).proceed) return FALSE;
  return Failed(FALSE, kNotSupported);
}
