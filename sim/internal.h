// What the parts of the simulated handheld share: the attached device, its
// table of open handles, the prologue of every call, paths and text.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "device/event.h"
#include "sim/operations.h"
#include "sim/sim.h"

namespace sim::detail {

namespace fs = std::filesystem;

struct FileObject {
  std::fstream stream;
  fs::path local;
  std::string devicePath;
  bool canRead = false;
  bool canWrite = false;
};
struct KeyObject {
  std::string path;  // "HKEY_LOCAL_MACHINE\Software\Meridane", as created
};
struct ProcessObject {};
using Object = std::variant<FileObject, KeyObject, ProcessObject>;

struct Device {
  Config config;
  bool attached = false;
  std::array<unsigned, kOpCount> counts{};
  std::vector<Call> calls;
  std::map<std::uintptr_t, Object> handles;
  std::uintptr_t nextHandle = 0x100;
  UniqueEvent startEvent;
  std::ofstream callLog;
};

// Everything in Device is guarded by this one lock.
std::unique_lock<std::mutex> Lock();
Device& State();

struct CallStart {
  bool proceed = false;  // attached, and not the call sim.ini asked to fail
  unsigned number = 0;   // 1-based, per operation
  LinkModel link;
};
// The error a failed call leaves for CeGetLastError; returns `value`, the
// call's failure result.
void RecordError(DWORD error);
template <typename T>
T Failed(T value, DWORD error) {
  RecordError(error);
  return value;
}

// Counts and records a call, then runs the hook and the link latency with no
// lock held, so a hook may call back into the simulator.
CallStart Begin(Op op, std::string detail);
// The time the link needs for `bytes`; called with no lock held.
void Pace(const LinkModel& link, std::size_t bytes);

HANDLE NewHandle(Device& device, Object object);
template <typename T>
T* Find(Device& device, const void* handle) {
  auto it = device.handles.find(reinterpret_cast<std::uintptr_t>(handle));
  return it == device.handles.end() ? nullptr : std::get_if<T>(&it->second);
}

// ---- paths.cpp ----
struct DevicePath {
  fs::path local;
  std::string name;  // "\Storage Card\Q58ravoInstall.CAB", spelled as on disk
};
// Null for a path that leaves the root, names the root itself or one of the
// simulator's own record files, or holds characters the handheld refuses.
std::optional<DevicePath> Resolve(const fs::path& root, std::string_view devicePath);
bool IsOpen(const Device& device, const fs::path& local);
// The attribute bits of files, which the PC's own permissions cannot carry
// (the tests may run as root), kept in <root>/attributes.txt.
DWORD GetAttributes(const fs::path& root, const std::string& name);  // 0 when none
void SetAttributes(const fs::path& root, const std::string& name, DWORD bits);

// ---- text.cpp ----
// A null string reads as "(null)" so a call record still says what came in.
std::string Utf8(const WCHAR* text);
std::u16string Utf16(std::string_view utf8);
bool SameName(std::string_view a, std::string_view b);  // ASCII case ignored, as on the handheld
std::string Lower(std::string_view text);
std::string Trim(std::string_view text);
fs::path PathFromUtf8(std::string_view utf8);
std::string Utf8Of(const fs::path& path);
std::string Hex8(std::uint32_t value);

}  // namespace sim::detail
