// The handheld's registry over <root>/registry.txt, in the exported-registry
// form (sim/README.md): keys under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE,
// numbers, which the program writes, and texts, kept as written. The file is
// the only copy, read before each operation and written after each change,
// so edits made from outside are never lost. A key handle names its key by
// path, so a key deleted while open is noticed. The access mask is not
// enforced: the worker writes through a key it opened for querying, and the
// handheld lets it.
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "sim/internal.h"

using namespace sim;
using namespace sim::detail;

namespace {
constexpr LONG kInjectedError = ERROR_ACCESS_DENIED;
constexpr LONG kNotSupported = 50;
constexpr LONG kInvalidParameter = 87;
constexpr LONG kMoreData = 234;
constexpr LONG kKeyDeleted = 1018;
constexpr const char* kRoots[] = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"};

struct Key {
  std::string path;                                         // as first created
  std::vector<std::pair<std::string, std::string>> values;  // name, and what follows the '=' in the file
  std::string* Find(const std::string& name) {
    for (auto& [valueName, data] : values)
      if (SameName(valueName, name)) return &data;
    return nullptr;
  }
};
using Registry = std::map<std::string, Key>;  // by lower-case path

// Names between backslashes, case kept but not significant; null under an
// unknown root.
std::optional<std::string> Join(const std::string& base, const std::string& subKey) {
  std::string path;
  for (char c : base + "\\" + subKey + "\\") {
    if (c != '\\') {
      path += c;
    } else if (!path.empty() && path.back() != '\\') {
      path += c;
    }
  }
  if (!path.empty()) path.pop_back();
  for (const char* root : kRoots)
    if (SameName(path.substr(0, path.find('\\')), root)) return root + path.substr(std::strlen(root));
  return std::nullopt;
}

// Creates the key and every missing key above it; true if the key itself is new.
bool Create(Registry& registry, const std::string& path) {
  bool created = false;
  for (std::size_t end = 0; end != std::string::npos;) {
    end = path.find('\\', end + 1);
    created = registry.try_emplace(Lower(path.substr(0, end)), Key{path.substr(0, end), {}}).second;
  }
  return created;
}

bool IsNumber(const std::string& data) {
  return data.rfind("dword:", 0) == 0 && data.size() > 6 && data.size() <= 14 &&
         data.find_first_not_of("0123456789abcdefABCDEF", 6) == std::string::npos;
}

Registry Load(const fs::path& root) {
  Registry registry;
  for (const char* name : kRoots) Create(registry, name);
  std::ifstream in(root / "registry.txt");
  std::string raw, messages;
  Key* key = nullptr;
  for (int number = 1; std::getline(in, raw); ++number) {
    const std::string line = Trim(raw);
    const char* problem = nullptr;
    const std::size_t equals = line.find("\"=");
    const std::string data = equals == std::string::npos ? "" : line.substr(equals + 2);
    const bool text = data.size() >= 2 && data.front() == '"' && data.back() == '"';
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      auto path = line.back() == ']' ? Join(line.substr(1, line.size() - 2), "") : std::nullopt;
      if (path) Create(registry, *path);
      key = path ? &registry[Lower(*path)] : nullptr;
      if (!path) problem = "not a key under HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE";
    } else if (line[0] != '"' || line.find('\\') < equals || !(text || IsNumber(data))) {
      problem = "not a \"name\"=dword:hex or \"name\"=\"text\" line";
    } else if (key == nullptr) {
      problem = "a value outside any key";
    } else if (std::string* existing = key->Find(line.substr(1, equals - 1))) {
      *existing = data;
    } else {
      key->values.emplace_back(line.substr(1, equals - 1), data);
    }
    if (problem != nullptr)
      messages += Utf8Of(root / "registry.txt") + ":" + std::to_string(number) + ": " + problem + ", ignored: " + line + "\n";
  }
  // The file is read before every operation; the same complaints once do.
  static std::string reported;
  if (messages != reported) std::cerr << messages;
  reported = messages;
  return registry;
}

void Save(const fs::path& root, const Registry& registry) {
  std::ofstream out(root / "registry.txt", std::ios::trunc);
  const char* gap = "";
  for (const auto& [id, key] : registry) {
    // The roots always exist; they are written only when they hold values.
    if (key.values.empty() && key.path.find('\\') == std::string::npos) continue;
    out << gap << '[' << key.path << "]\n";
    for (const auto& [name, data] : key.values) out << '"' << name << "\"=" << data << '\n';
    gap = "\n";
  }
}

// The path behind a root or an open key; null for anything else.
std::optional<std::string> BasePath(HKEY key) {
  if (key == HKEY_CURRENT_USER) return kRoots[0];
  if (key == HKEY_LOCAL_MACHINE) return kRoots[1];
  if (auto* open = Find<KeyObject>(State(), key)) return open->path;
  return std::nullopt;
}

std::string Describe(HKEY key, LPCWSTR subKey = nullptr) {
  auto lock = Lock();
  std::string base = BasePath(key).value_or("(bad key)");
  return subKey == nullptr || subKey[0] == 0 ? base : base + "\\" + Utf8(subKey);
}

// The key a call works on, in a registry read fresh from the file.
struct Target {
  LONG error = ERROR_INVALID_HANDLE;
  Registry registry;
  std::string path;
  Key* key() {  // null if it does not exist
    auto it = registry.find(Lower(path));
    return it == registry.end() ? nullptr : &it->second;
  }
};
Target Locate(HKEY key, LPCWSTR subKey) {
  Target target{ERROR_INVALID_HANDLE, Load(State().config.root), {}};
  auto base = BasePath(key);
  if (!base) return target;
  if (!target.registry.count(Lower(*base))) {
    target.error = kKeyDeleted;
  } else if (auto path = Join(*base, subKey == nullptr ? std::string() : Utf8(subKey))) {
    target.error = ERROR_SUCCESS;
    target.path = *path;
  }
  return target;
}
}  // namespace

extern "C" LONG WINAPI CeRegOpenKeyEx(HKEY root, LPCWSTR subKey, DWORD, REGSAM, PHKEY result) {
  if (!Begin(Op::CeRegOpenKeyEx, Describe(root, subKey)).proceed) return kInjectedError;
  if (result == nullptr) return kInvalidParameter;
  auto lock = Lock();
  Target target = Locate(root, subKey);
  if (target.error != ERROR_SUCCESS) return target.error;
  if (target.key() == nullptr) return ERROR_FILE_NOT_FOUND;
  *result = reinterpret_cast<HKEY>(NewHandle(State(), KeyObject{target.key()->path}));
  return ERROR_SUCCESS;
}

extern "C" LONG WINAPI CeRegCreateKeyEx(HKEY root, LPCWSTR subKey, DWORD, LPWSTR, DWORD, REGSAM,
                                        LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition) {
  if (!Begin(Op::CeRegCreateKeyEx, Describe(root, subKey)).proceed) return kInjectedError;
  if (result == nullptr || subKey == nullptr) return kInvalidParameter;
  auto lock = Lock();
  Target target = Locate(root, subKey);
  if (target.error != ERROR_SUCCESS) return target.error;
  const bool created = Create(target.registry, target.path);
  if (created) Save(State().config.root, target.registry);
  if (disposition != nullptr) *disposition = created ? 1 : 2;  // REG_CREATED_NEW_KEY, REG_OPENED_EXISTING_KEY
  *result = reinterpret_cast<HKEY>(NewHandle(State(), KeyObject{target.key()->path}));
  return ERROR_SUCCESS;
}

extern "C" LONG WINAPI CeRegCloseKey(HKEY key) {
  if (!Begin(Op::CeRegCloseKey, Describe(key)).proceed) return kInjectedError;
  auto lock = Lock();
  if (Find<KeyObject>(State(), key) == nullptr) return ERROR_INVALID_HANDLE;
  State().handles.erase(reinterpret_cast<std::uintptr_t>(key));
  return ERROR_SUCCESS;
}

extern "C" LONG WINAPI CeRegDeleteKey(HKEY key, LPCWSTR subKey) {
  if (!Begin(Op::CeRegDeleteKey, Describe(key, subKey)).proceed) return kInjectedError;
  // Naming no subkey would delete the key itself, or a whole root.
  if (subKey == nullptr || subKey[0] == 0) return kInvalidParameter;
  auto lock = Lock();
  Target target = Locate(key, subKey);
  if (target.error != ERROR_SUCCESS) return target.error;
  if (target.key() == nullptr) return ERROR_FILE_NOT_FOUND;
  // The handheld refuses to delete a key that is open, or one above an open key.
  const std::string id = Lower(target.path);
  auto within = [&](const std::string& other) { return other == id || other.rfind(id + "\\", 0) == 0; };
  for (const auto& [value, object] : State().handles)
    if (auto* open = std::get_if<KeyObject>(&object); open != nullptr && within(Lower(open->path)))
      return ERROR_ACCESS_DENIED;
  std::erase_if(target.registry, [&](const auto& entry) { return within(entry.first); });
  Save(State().config.root, target.registry);
  return ERROR_SUCCESS;
}

// Numbers only: the one type the program writes.
extern "C" LONG WINAPI CeRegSetValueEx(HKEY key, LPCWSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
  const std::string valueName = name == nullptr ? std::string() : Utf8(name);
  if (!Begin(Op::CeRegSetValueEx, valueName).proceed) return kInjectedError;
  if (data == nullptr) return kInvalidParameter;
  if (type != REG_DWORD || size != 4 || valueName.empty() || valueName.find_first_of("\"\\") != std::string::npos)
    return kNotSupported;
  auto lock = Lock();
  Target target = Locate(key, nullptr);
  if (target.error != ERROR_SUCCESS) return target.error;
  const std::string text = "dword:" + Hex8(data[0] | data[1] << 8 | data[2] << 16 | DWORD{data[3]} << 24);
  if (std::string* existing = target.key()->Find(valueName))
    *existing = text;
  else
    target.key()->values.emplace_back(valueName, text);
  Save(State().config.root, target.registry);
  return ERROR_SUCCESS;
}

// Numbers as REG_DWORD, texts as REG_SZ: UTF-16 with its terminating NUL,
// the exported-registry escapes (\\ and \") undone.
extern "C" LONG WINAPI CeRegQueryValueEx(HKEY key, LPCWSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
  const std::string valueName = name == nullptr ? std::string() : Utf8(name);
  if (!Begin(Op::CeRegQueryValueEx, valueName).proceed) return kInjectedError;
  if (data != nullptr && size == nullptr) return kInvalidParameter;
  auto lock = Lock();
  Target target = Locate(key, nullptr);
  if (target.error != ERROR_SUCCESS) return target.error;
  const std::string* value = target.key()->Find(valueName);
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  std::string bytes;
  if (IsNumber(*value)) {
    if (type != nullptr) *type = REG_DWORD;
    const auto number = static_cast<DWORD>(std::strtoul(value->c_str() + 6, nullptr, 16));
    bytes.assign(reinterpret_cast<const char*>(&number), sizeof number);
  } else {
    if (type != nullptr) *type = REG_SZ;
    std::string text;
    for (std::size_t i = 1; i + 1 < value->size(); ++i) {
      if ((*value)[i] == '\\' && i + 2 < value->size()) ++i;
      text += (*value)[i];
    }
    const std::u16string wide = Utf16(text) + u'\0';
    bytes.assign(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(char16_t));
  }
  const auto needed = static_cast<DWORD>(bytes.size());
  if (data != nullptr && *size < needed) {
    *size = needed;
    return kMoreData;
  }
  if (data != nullptr) std::memcpy(data, bytes.data(), needed);
  if (size != nullptr) *size = needed;
  return ERROR_SUCCESS;
}
