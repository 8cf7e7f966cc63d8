// Device paths onto the folder, and the attribute bits kept beside it.
#include <cstdio>
#include <iostream>

#include "sim/internal.h"

namespace sim::detail {

namespace {
// The simulator's own records share the root with the handheld's folders;
// the handheld must not be able to reach them.
constexpr std::string_view kRecords[] = {"registry.txt", "attributes.txt", "calls.log", "processes.log", "sim.ini"};

bool Acceptable(std::string_view part) {
  if (part == "..") return false;
  for (char c : part) {
    if (static_cast<unsigned char>(c) < 0x20) return false;
    if (std::string_view(":*?\"<>|").find(c) != std::string_view::npos) return false;
  }
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
}  // namespace

std::optional<DevicePath> Resolve(const fs::path& root, std::string_view devicePath) {
  DevicePath result{root, {}};
  std::string part;
  bool first = true;
  auto take = [&]() -> bool {
    if (part.empty() || part == ".") return true;
    if (!Acceptable(part)) return false;
    if (first)
      for (std::string_view record : kRecords)
        if (SameName(part, record)) return false;
    first = false;
    result.local = Child(result.local, part);
    result.name += '\\';
    result.name += Utf8Of(result.local.filename());
    return true;
  };
  for (char c : devicePath) {
    if (c == '\\' || c == '/') {
      if (!take()) return std::nullopt;
      part.clear();
    } else {
      part += c;
    }
  }
  if (!take() || result.name.empty()) return std::nullopt;
  return result;
}

Attributes::Attributes(const fs::path& root) : file_(root / "attributes.txt") {
  std::ifstream in(file_);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    std::string text = Trim(line);
    if (text.empty() || text[0] == '#') continue;
    auto blank = text.find(' ');
    unsigned bits = 0;
    if (blank == std::string::npos || std::sscanf(text.substr(0, blank).c_str(), "%x", &bits) != 1) {
      std::cerr << Utf8Of(file_) << ":" << number << ": expected '<hex bits> <device path>', ignored: " << text
                << "\n";
      continue;
    }
    std::string name = Trim(text.substr(blank + 1));
    entries_[Lower(name)] = {name, bits};
  }
}

DWORD Attributes::Get(const std::string& name) const {
  auto it = entries_.find(Lower(name));
  return it == entries_.end() ? FILE_ATTRIBUTE_NORMAL : it->second.second;
}

void Attributes::Set(const std::string& name, DWORD attributes) {
  attributes &= ~FILE_ATTRIBUTE_NORMAL;
  if (attributes == 0) return Forget(name);
  auto& entry = entries_[Lower(name)];
  if (entry.first == name && entry.second == attributes) return;
  entry = {name, attributes};
  changed_ = true;
}

void Attributes::Forget(const std::string& name) { changed_ |= entries_.erase(Lower(name)) != 0; }

void Attributes::Rename(const std::string& from, const std::string& to) {
  const std::string prefix = Lower(from);
  std::map<std::string, std::pair<std::string, DWORD>> moved;
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (it->first == prefix || it->first.rfind(prefix + "\\", 0) == 0) {
      std::string name = to + it->second.first.substr(from.size());
      moved[Lower(name)] = {name, it->second.second};
      it = entries_.erase(it);
      changed_ = true;
    } else {
      ++it;
    }
  }
  entries_.merge(moved);
}

void Attributes::SaveIfChanged() const {
  if (!changed_) return;
  std::error_code error;
  if (entries_.empty()) {
    fs::remove(file_, error);
    return;
  }
  std::ofstream out(file_, std::ios::trunc);
  for (const auto& [key, entry] : entries_) out << Hex8(entry.second) << ' ' << entry.first << '\n';
}

bool IsOpen(const Device& device, const fs::path& local) {
  for (const auto& [value, object] : device.handles)
    if (auto* file = std::get_if<FileObject>(&object); file != nullptr && file->local == local) return true;
  return false;
}

}  // namespace sim::detail
