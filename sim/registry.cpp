// The registry operations. Key handles name a key by its path, so a key
// deleted while open is noticed, and the access mask a key was opened with
// is deliberately not enforced: the worker writes through a key it opened
// for querying, and the handheld lets it.
#include <cstring>

#include "sim/internal.h"
#include "sim/registry_file.h"

using namespace sim;
using namespace sim::detail;

namespace {
constexpr LONG kInjectedError = ERROR_ACCESS_DENIED;
constexpr LONG kInvalidParameter = 87;
constexpr LONG kMoreData = 234;
constexpr LONG kKeyDeleted = 1018;

struct PredefinedKey {
  std::uint32_t value;
  const char* name;
};
constexpr PredefinedKey kPredefined[] = {{0x80000000u, "HKEY_CLASSES_ROOT"},
                                         {0x80000001u, "HKEY_CURRENT_USER"},
                                         {0x80000002u, "HKEY_LOCAL_MACHINE"},
                                         {0x80000003u, "HKEY_USERS"}};

// The path behind a root or an open key; null for anything else.
std::optional<std::string> BasePath(Device& device, HKEY key) {
  for (const PredefinedKey& predefined : kPredefined)
    if (reinterpret_cast<std::intptr_t>(key) == static_cast<std::intptr_t>(static_cast<LONG>(predefined.value)))
      return predefined.name;
  if (auto* open = Find<KeyObject>(device, key)) return open->path;
  return std::nullopt;
}

std::string Describe(HKEY key, LPCWSTR subKey) {
  auto lock = Lock();
  std::string base = BasePath(State(), key).value_or("(bad key)");
  if (subKey == nullptr || subKey[0] == 0) return base;
  return base + "\\" + Utf8(subKey);
}

std::string Describe(HKEY key) { return Describe(key, nullptr); }

// Resolves the key a call works on, reading the registry file fresh.
struct Target {
  LONG error = ERROR_SUCCESS;
  std::string path;
};
Target Locate(Device& device, Registry& registry, HKEY key, LPCWSTR subKey) {
  auto base = BasePath(device, key);
  if (!base) return {ERROR_INVALID_HANDLE, {}};
  if (registry.Find(*base) == nullptr) return {kKeyDeleted, {}};
  auto path = JoinKeyPath(*base, subKey == nullptr ? std::string() : Utf8(subKey));
  if (!path) return {ERROR_INVALID_HANDLE, {}};
  return {ERROR_SUCCESS, *path};
}
}  // namespace

extern "C" LONG WINAPI CeRegOpenKeyEx(HKEY root, LPCWSTR subKey, DWORD, REGSAM, PHKEY result) {
  CallStart start = Begin(Op::CeRegOpenKeyEx, Describe(root, subKey));
  if (!start.attached || start.inject) return kInjectedError;
  if (result == nullptr) return kInvalidParameter;
  auto lock = Lock();
  Device& device = State();
  Registry registry = Registry::Load(device.config.root);
  Target target = Locate(device, registry, root, subKey);
  if (target.error != ERROR_SUCCESS) return target.error;
  RegKey* key = registry.Find(target.path);
  if (key == nullptr) return ERROR_FILE_NOT_FOUND;
  *result = reinterpret_cast<HKEY>(NewHandle(device, KeyObject{key->path}));
  return ERROR_SUCCESS;
}

extern "C" LONG WINAPI CeRegCreateKeyEx(HKEY root, LPCWSTR subKey, DWORD, LPWSTR, DWORD, REGSAM,
                                        LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition) {
  CallStart start = Begin(Op::CeRegCreateKeyEx, Describe(root, subKey));
  if (!start.attached || start.inject) return kInjectedError;
  if (result == nullptr || subKey == nullptr) return kInvalidParameter;
  auto lock = Lock();
  Device& device = State();
  Registry registry = Registry::Load(device.config.root);
  Target target = Locate(device, registry, root, subKey);
  if (target.error != ERROR_SUCCESS) return target.error;
  bool created = false;
  RegKey& key = registry.Create(target.path, created);
  if (created) registry.Save();
  if (disposition != nullptr) *disposition = created ? 1 : 2;  // REG_CREATED_NEW_KEY, REG_OPENED_EXISTING_KEY
  *result = reinterpret_cast<HKEY>(NewHandle(device, KeyObject{key.path}));
  return ERROR_SUCCESS;
}

extern "C" LONG WINAPI CeRegCloseKey(HKEY key) {
  CallStart start = Begin(Op::CeRegCloseKey, Describe(key));
  if (!start.attached || start.inject) return kInjectedError;
  auto lock = Lock();
  Device& device = State();
  auto it = device.handles.find(reinterpret_cast<std::uintptr_t>(key));
  if (it == device.handles.end() || !std::holds_alternative<KeyObject>(it->second)) return ERROR_INVALID_HANDLE;
  device.handles.erase(it);
  return ERROR_SUCCESS;
}

extern "C" LONG WINAPI CeRegDeleteKey(HKEY key, LPCWSTR subKey) {
  CallStart start = Begin(Op::CeRegDeleteKey, Describe(key, subKey));
  if (!start.attached || start.inject) return kInjectedError;
  // Naming no subkey would delete the key itself, or a whole root.
  if (subKey == nullptr || subKey[0] == 0) return kInvalidParameter;
  auto lock = Lock();
  Device& device = State();
  Registry registry = Registry::Load(device.config.root);
  Target target = Locate(device, registry, key, subKey);
  if (target.error != ERROR_SUCCESS) return target.error;
  if (registry.Find(target.path) == nullptr) return ERROR_FILE_NOT_FOUND;
  // The handheld refuses to delete a key that is open, or one above an open key.
  const std::string id = KeyId(target.path);
  for (const auto& [value, object] : device.handles) {
    if (auto* open = std::get_if<KeyObject>(&object)) {
      std::string openId = KeyId(open->path);
      if (openId == id || openId.rfind(id + "\\", 0) == 0) return ERROR_ACCESS_DENIED;
    }
  }
  registry.Remove(target.path);
  registry.Save();
  return ERROR_SUCCESS;
}

extern "C" LONG WINAPI CeRegSetValueEx(HKEY key, LPCWSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
  const std::string valueName = name == nullptr ? std::string() : Utf8(name);
  CallStart start = Begin(Op::CeRegSetValueEx, valueName);
  if (!start.attached || start.inject) return kInjectedError;
  if (data == nullptr && size != 0) return kInvalidParameter;
  auto lock = Lock();
  Device& device = State();
  Registry registry = Registry::Load(device.config.root);
  Target target = Locate(device, registry, key, nullptr);
  if (target.error != ERROR_SUCCESS) return target.error;
  RegKey* open = registry.Find(target.path);
  RegValue value{valueName, type, std::vector<BYTE>(data, data + size)};
  if (RegValue* existing = open->Find(valueName)) {
    existing->type = type;
    existing->data = std::move(value.data);
  } else {
    open->values.push_back(std::move(value));
  }
  registry.Save();
  return ERROR_SUCCESS;
}

extern "C" LONG WINAPI CeRegQueryValueEx(HKEY key, LPCWSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
  const std::string valueName = name == nullptr ? std::string() : Utf8(name);
  CallStart start = Begin(Op::CeRegQueryValueEx, valueName);
  if (!start.attached || start.inject) return kInjectedError;
  if (data != nullptr && size == nullptr) return kInvalidParameter;
  auto lock = Lock();
  Device& device = State();
  Registry registry = Registry::Load(device.config.root);
  Target target = Locate(device, registry, key, nullptr);
  if (target.error != ERROR_SUCCESS) return target.error;
  RegValue* value = registry.Find(target.path)->Find(valueName);
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  if (type != nullptr) *type = value->type;
  const auto needed = static_cast<DWORD>(value->data.size());
  if (data != nullptr && *size < needed) {
    *size = needed;
    return kMoreData;
  }
  if (data != nullptr && needed != 0) std::memcpy(data, value->data.data(), needed);
  if (size != nullptr) *size = needed;
  return ERROR_SUCCESS;
}
