// Device paths onto the folder, and the attribute bits kept beside it.
#include <cstdio>
#include <iostream>

#include "internal.h"

namespace sim::detail {

namespace {
// The simulator's own records share the root with the handheld's folders;
// the handheld must not be able to reach them.
constexpr std::string_view kRecords[] = {"registry.txt", "attributes.txt", "calls.log", "processes.log", "sim.ini"};

// ".." would leave the root, and a drive letter would replace it.
bool Acceptable(std::string_view part) {
  if (part == "..") return false;
  for (char c : part)
    if (static_cast<unsigned char>(c) < 0x20 || std::string_view(":*?\"<>|").find(c) != std::string_view::npos)
      return false;
  return true;
}

// The handheld's file names ignore case; the PC's may not. An existing entry
// that differs only in case is taken, as the handheld would.
fs::path Child(const fs::path& folder, const std::string& part) {
  fs::path exact = folder / PathFromUtf8(part);
  std::error_code error;
  if (fs::exists(exact, error) || !fs::is_directory(folder, error)) return exact;
  for (const auto& entry : fs::directory_iterator(folder, error))
    if (SameName(Utf8Of(entry.path().filename()), part)) return entry.path();
  return exact;
}

using AttributeTable = std::map<std::string, std::pair<std::string, DWORD>>;  // lower-case name -> (name, bits)

AttributeTable ReadAttributes(const fs::path& file) {
  AttributeTable table;
  std::ifstream in(file);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    std::string text = Trim(line);
    if (text.empty() || text[0] == '#') continue;
    auto blank = text.find(' ');
    unsigned bits = 0;
    if (blank == std::string::npos || std::sscanf(text.substr(0, blank).c_str(), "%x", &bits) != 1) {
      std::cerr << Utf8Of(file) << ":" << number << ": expected '<hex bits> <device path>', ignored: " << text << "\n";
      continue;
    }
    std::string name = Trim(text.substr(blank + 1));
    table[Lower(name)] = {name, bits};
  }
  return table;
}
}  // namespace

std::optional<DevicePath> Resolve(const fs::path& root, std::string_view devicePath) {
  DevicePath result{root, {}};
  std::string part;
  for (char c : std::string(devicePath) + "\\") {
    if (c != '\\' && c != '/') {
      part += c;
      continue;
    }
    if (part.empty() || part == ".") continue;
    if (!Acceptable(part)) return std::nullopt;
    if (result.name.empty())
      for (std::string_view record : kRecords)
        if (SameName(part, record)) return std::nullopt;
    result.local = Child(result.local, part);
    result.name.append("\\").append(Utf8Of(result.local.filename()));
    part.clear();
  }
  if (result.name.empty()) return std::nullopt;
  return result;
}

bool IsOpen(const Device& device, const fs::path& local) {
  for (const auto& [value, object] : device.handles)
    if (auto* file = std::get_if<FileObject>(&object); file != nullptr && file->local == local) return true;
  return false;
}

DWORD GetAttributes(const fs::path& root, const std::string& name) {
  AttributeTable table = ReadAttributes(root / "attributes.txt");
  auto it = table.find(Lower(name));
  return it == table.end() ? 0 : it->second.second;
}

void SetAttributes(const fs::path& root, const std::string& name, DWORD bits) {
  const fs::path file = root / "attributes.txt";
  AttributeTable table = ReadAttributes(file);
  bits &= ~FILE_ATTRIBUTE_NORMAL;
  auto it = table.find(Lower(name));
  if (it == table.end() ? bits == 0 : it->second == std::pair{name, bits}) return;
  if (bits == 0)
    table.erase(it);
  else
    table[Lower(name)] = {name, bits};
  std::error_code error;
  if (table.empty()) {
    fs::remove(file, error);
    return;
  }
  std::ofstream out(file, std::ios::trunc);
  for (const auto& [key, entry] : table) out << Hex8(entry.second) << ' ' << entry.first << '\n';
}

}  // namespace sim::detail
