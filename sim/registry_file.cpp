// Reading and writing registry.txt.
#include "sim/registry_file.h"

#include <cstdio>
#include <fstream>
#include <iostream>

#include "sim/internal.h"

namespace sim::detail {

namespace {
struct RootName {
  const char* name;
  const char* shortName;
};
constexpr RootName kRoots[] = {{"HKEY_CLASSES_ROOT", "HKCR"},
                               {"HKEY_CURRENT_USER", "HKCU"},
                               {"HKEY_LOCAL_MACHINE", "HKLM"},
                               {"HKEY_USERS", "HKU"}};

std::vector<std::string> Split(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path + "\\") {
    if (c != '\\') {
      part += c;
    } else if (!part.empty()) {
      parts.push_back(part);
      part.clear();
    }
  }
  return parts;
}

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

// Reads a quoted text at `pos`, leaving `pos` after the closing quote.
std::optional<std::string> Unquote(const std::string& line, std::size_t& pos) {
  if (pos >= line.size() || line[pos] != '"') return std::nullopt;
  std::string out;
  for (++pos; pos < line.size(); ++pos) {
    if (line[pos] == '\\' && pos + 1 < line.size()) {
      out += line[++pos];
    } else if (line[pos] == '"') {
      ++pos;
      return out;
    } else {
      out += line[pos];
    }
  }
  return std::nullopt;
}

std::string HexBytes(const std::vector<BYTE>& data) {
  std::string out;
  char byte[4];
  for (std::size_t i = 0; i < data.size(); ++i) {
    std::snprintf(byte, sizeof byte, i == 0 ? "%02x" : ",%02x", data[i]);
    out += byte;
  }
  return out;
}

std::optional<std::vector<BYTE>> ParseHexBytes(const std::string& text) {
  std::vector<BYTE> data;
  std::string item;
  for (char c : text + ",") {
    if (c == ' ' || c == '\t' || c == '\\') continue;
    if (c != ',') {
      item += c;
      continue;
    }
    if (item.empty()) continue;
    unsigned value = 0;
    char extra = 0;
    if (item.size() > 2 || std::sscanf(item.c_str(), "%x%c", &value, &extra) != 1) return std::nullopt;
    data.push_back(static_cast<BYTE>(value));
    item.clear();
  }
  return data;
}

// REG_SZ data is UTF-16 with its terminator; text that will not survive the
// round trip is written as bytes instead.
std::optional<std::string> StringText(const std::vector<BYTE>& data) {
  if (data.size() % 2 != 0) return std::nullopt;
  std::u16string text;
  for (std::size_t i = 0; i < data.size(); i += 2) text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  if (text.empty() || text.back() != 0) return std::nullopt;
  text.pop_back();
  if (text.find(char16_t{0}) != std::u16string::npos) return std::nullopt;
  std::string utf8 = Utf8(text.data(), text.size());
  if (Utf16(utf8) != text) return std::nullopt;
  return utf8;
}

std::vector<BYTE> StringData(const std::string& utf8) {
  std::vector<BYTE> data;
  for (char16_t c : Utf16(utf8) + u'\0') {
    data.push_back(static_cast<BYTE>(c));
    data.push_back(static_cast<BYTE>(c >> 8));
  }
  return data;
}

std::string ValueText(const RegValue& value) {
  std::string name = value.name.empty() ? "@" : Quote(value.name);
  if (value.type == REG_DWORD && value.data.size() == 4) {
    DWORD number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) | (DWORD{value.data[3]} << 24);
    return name + "=dword:" + Hex8(number);
  }
  if (value.type == REG_SZ)
    if (auto text = StringText(value.data)) return name + "=" + Quote(*text);
  if (value.type == 3) return name + "=hex:" + HexBytes(value.data);
  char type[24];
  std::snprintf(type, sizeof type, "=hex(%x):", static_cast<unsigned>(value.type));
  return name + type + HexBytes(value.data);
}

std::optional<RegValue> ParseValue(const std::string& line) {
  RegValue value;
  std::size_t pos = 0;
  if (line[0] == '@') {
    pos = 1;
  } else {
    auto name = Unquote(line, pos);
    if (!name) return std::nullopt;
    value.name = *name;
  }
  if (pos >= line.size() || line[pos] != '=') return std::nullopt;
  std::string rest = line.substr(pos + 1);
  if (!rest.empty() && rest[0] == '"') {
    std::size_t at = 0;
    auto text = Unquote(rest, at);
    if (!text || at != rest.size()) return std::nullopt;
    value.type = REG_SZ;
    value.data = StringData(*text);
    return value;
  }
  unsigned number = 0;
  char extra = 0;
  if (rest.rfind("dword:", 0) == 0) {
    std::string digits = rest.substr(6);
    if (digits.empty() || digits.size() > 8 || std::sscanf(digits.c_str(), "%x%c", &number, &extra) != 1)
      return std::nullopt;
    value.type = REG_DWORD;
    value.data = {static_cast<BYTE>(number), static_cast<BYTE>(number >> 8), static_cast<BYTE>(number >> 16),
                  static_cast<BYTE>(number >> 24)};
    return value;
  }
  std::string bytes;
  if (rest.rfind("hex:", 0) == 0) {
    value.type = 3;
    bytes = rest.substr(4);
  } else if (rest.rfind("hex(", 0) == 0 && rest.find("):") != std::string::npos) {
    auto close = rest.find("):");
    if (std::sscanf(rest.substr(4, close - 4).c_str(), "%x%c", &number, &extra) != 1) return std::nullopt;
    value.type = number;
    bytes = rest.substr(close + 2);
  } else {
    return std::nullopt;
  }
  auto data = ParseHexBytes(bytes);
  if (!data) return std::nullopt;
  value.data = std::move(*data);
  return value;
}
}  // namespace

RegValue* RegKey::Find(const std::string& name) {
  for (RegValue& value : values)
    if (SameName(value.name, name)) return &value;
  return nullptr;
}

std::optional<std::string> JoinKeyPath(const std::string& base, const std::string& subKey) {
  std::vector<std::string> parts = Split(base);
  if (parts.empty()) return std::nullopt;
  bool known = false;
  for (const RootName& root : kRoots) {
    if (SameName(parts[0], root.name) || SameName(parts[0], root.shortName)) {
      parts[0] = root.name;
      known = true;
    }
  }
  if (!known) return std::nullopt;
  for (std::string& part : Split(subKey)) parts.push_back(std::move(part));
  std::string path;
  for (const std::string& part : parts) path += (path.empty() ? "" : "\\") + part;
  return path;
}

std::string KeyId(const std::string& path) { return Lower(path); }

Registry Registry::Load(const std::filesystem::path& root) {
  Registry registry;
  registry.file_ = root / "registry.txt";
  bool created = false;
  for (const RootName& name : kRoots) registry.Create(name.name, created);
  std::ifstream in(registry.file_);
  std::string raw, line;
  RegKey* key = nullptr;
  int number = 0;
  std::string messages;
  auto complain = [&](const std::string& what) {
    messages += Utf8Of(registry.file_) + ":" + std::to_string(number) + ": " + what + ", ignored: " + line + "\n";
  };
  while (std::getline(in, raw)) {
    ++number;
    line = Trim(raw);
    // Long byte lists may go on over several lines, each ending in a backslash.
    while (line.size() > 1 && line.back() == '\\' && line.find("=hex") != std::string::npos && std::getline(in, raw)) {
      ++number;
      line.pop_back();
      line += Trim(raw);
    }
    if (line.empty() || line[0] == ';' || line[0] == '#' || line == "REGEDIT4" ||
        line.rfind("Windows Registry Editor", 0) == 0)
      continue;
    if (line.front() == '[') {
      auto path = line.back() == ']' ? JoinKeyPath(line.substr(1, line.size() - 2), "") : std::nullopt;
      if (!path) {
        complain("not a key under a known root");
        key = nullptr;
        continue;
      }
      bool created = false;
      key = &registry.Create(*path, created);
      continue;
    }
    auto value = ParseValue(line);
    if (!value) {
      complain("not a value line");
    } else if (key == nullptr) {
      complain("a value outside any key");
    } else if (RegValue* existing = key->Find(value->name)) {
      *existing = std::move(*value);
    } else {
      key->values.push_back(std::move(*value));
    }
  }
  // The file is read before every operation; the same complaints once do.
  static std::string reported;
  if (messages != reported) std::cerr << messages;
  reported = messages;
  return registry;
}

void Registry::Save() const {
  std::ofstream out(file_, std::ios::trunc);
  bool first = true;
  for (const auto& [id, key] : keys_) {
    // The roots always exist; they are written only when they hold values.
    if (key.values.empty() && key.path.find('\\') == std::string::npos) continue;
    out << (first ? "" : "\n") << '[' << key.path << "]\n";
    for (const RegValue& value : key.values) out << ValueText(value) << '\n';
    first = false;
  }
}

RegKey* Registry::Find(const std::string& path) {
  auto it = keys_.find(KeyId(path));
  return it == keys_.end() ? nullptr : &it->second;
}

RegKey& Registry::Create(const std::string& path, bool& created) {
  std::vector<std::string> parts = Split(path);
  std::string sofar;
  RegKey* key = nullptr;
  created = false;
  for (const std::string& part : parts) {
    sofar += (sofar.empty() ? "" : "\\") + part;
    auto [it, added] = keys_.try_emplace(KeyId(sofar), RegKey{sofar, {}});
    key = &it->second;
    created = added;
  }
  return *key;
}

void Registry::Remove(const std::string& path) {
  const std::string id = KeyId(path);
  for (auto it = keys_.begin(); it != keys_.end();)
    it = it->first == id || it->first.rfind(id + "\\", 0) == 0 ? keys_.erase(it) : std::next(it);
}

}  // namespace sim::detail
