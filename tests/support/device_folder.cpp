#include "tests/support/device_folder.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <unistd.h>

#include "sim/sim.h"

namespace fs = std::filesystem;

namespace {
std::u16string Widen(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

const std::set<std::string> kRecords = {"registry.txt", "attributes.txt", "calls.log", "processes.log", "sim.ini"};
}  // namespace

DeviceFolder::DeviceFolder() {
  std::string pattern = (fs::temp_directory_path() / "ravo-device-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a device folder");
  root_ = pattern;
  fs::create_directories(root_ / "Built-in Storage");
}

DeviceFolder::~DeviceFolder() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

void DeviceFolder::MakeTypical(const std::string& version) {
  WriteVersionFile("ravo+ for Q58\r\n" + version + "\r\n");
  AddMemoryCard();
  AddLauncherEntry();
}

void DeviceFolder::WriteVersionFile(const std::string& bytes) {
  fs::path file = Local("\\Built-in Storage\\Program Files\\Svcore\\Svcore.ver");
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

void DeviceFolder::AddMemoryCard() { fs::create_directories(root_ / "Storage Card"); }

void DeviceFolder::AddLauncherEntry() {
  std::ofstream(root_ / "registry.txt", std::ios::app)
      << "[HKEY_CURRENT_USER\\Software\\Meridane\\ZenLaunch\\FileList]\n"
      << "[HKEY_CURRENT_USER\\Software\\Meridane\\ZenLaunch\\FileList\\ravo+(GPS)]\n";
}

void DeviceFolder::SetDeviceName(const std::string& name) {
  std::ofstream(root_ / "registry.txt", std::ios::app) << "[HKEY_LOCAL_MACHINE\\Ident]\n\"Name\"=\"" << name << "\"\n";
}

fs::path DeviceFolder::Local(const std::string& devicePath) const {
  fs::path local = root_;
  std::string part;
  for (char c : devicePath + "\\") {
    if (c != '\\') {
      part += c;
    } else if (!part.empty()) {
      local /= part;
      part.clear();
    }
  }
  return local;
}

std::optional<std::vector<BYTE>> DeviceFolder::Read(const std::string& devicePath) const {
  std::ifstream in(Local(devicePath), std::ios::binary);
  if (!in) return std::nullopt;
  return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}

bool DeviceFolder::Exists(const std::string& devicePath) const { return fs::exists(Local(devicePath)); }

std::vector<std::string> DeviceFolder::Files() const {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root_)) {
    if (!entry.is_regular_file()) continue;
    fs::path relative = fs::relative(entry.path(), root_);
    if (relative.parent_path().empty() && kRecords.count(relative.string())) continue;
    std::string device;
    for (const auto& part : relative) {
      device += '\\';
      device += part.string();
    }
    files.push_back(device);
  }
  std::sort(files.begin(), files.end());
  return files;
}

bool LauncherEntryPresent() {
  auto open = reinterpret_cast<devapi::CeRegOpenKeyEx>(sim::Entry("CeRegOpenKeyEx"));
  auto close = reinterpret_cast<devapi::CeRegCloseKey>(sim::Entry("CeRegCloseKey"));
  HKEY key;
  if (open(HKEY_CURRENT_USER, u"Software\\Meridane\\ZenLaunch\\FileList\\ravo+(GPS)", 0, 0, &key) != 0) return false;
  close(key);
  return true;
}

std::optional<DWORD> DpiValue() {
  auto open = reinterpret_cast<devapi::CeRegOpenKeyEx>(sim::Entry("CeRegOpenKeyEx"));
  auto query = reinterpret_cast<devapi::CeRegQueryValueEx>(sim::Entry("CeRegQueryValueEx"));
  auto close = reinterpret_cast<devapi::CeRegCloseKey>(sim::Entry("CeRegCloseKey"));
  HKEY key;
  if (open(HKEY_LOCAL_MACHINE, u"Software\\Meridane", 0, KEY_QUERY_VALUE, &key) != 0) return std::nullopt;
  DWORD type = 0, value = 0, size = sizeof value;
  LONG result = query(key, u"DPI", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  close(key);
  if (result != 0 || type != REG_DWORD || size != 4) return std::nullopt;
  return value;
}

// The handheld's own rule tells: a read-only file refuses to be deleted. A
// file that was not read-only is put back as it was.
bool IsReadOnly(const std::string& devicePath) {
  auto remove = reinterpret_cast<devapi::CeDeleteFile>(sim::Entry("CeDeleteFile"));
  auto create = reinterpret_cast<devapi::CeCreateFile>(sim::Entry("CeCreateFile"));
  auto write = reinterpret_cast<devapi::CeWriteFile>(sim::Entry("CeWriteFile"));
  auto close = reinterpret_cast<devapi::CeCloseHandle>(sim::Entry("CeCloseHandle"));
  auto read = reinterpret_cast<devapi::CeReadFile>(sim::Entry("CeReadFile"));
  std::u16string path = Widen(devicePath);

  HANDLE in = create(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
  if (in == INVALID_HANDLE_VALUE) return false;
  std::vector<BYTE> bytes;
  BYTE buffer[65536];
  DWORD got = 0;
  while (read(in, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.insert(bytes.end(), buffer, buffer + got);
  close(in);

  if (!remove(path.c_str())) return true;
  HANDLE out = create(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  write(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  close(out);
  return false;
}
