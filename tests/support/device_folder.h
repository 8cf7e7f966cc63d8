// A handheld folder for the simulated device, made fresh for each test and
// removed afterwards, with helpers to read what a run left on it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "device/ce_types.h"

class DeviceFolder {
 public:
  DeviceFolder();
  ~DeviceFolder();
  DeviceFolder(const DeviceFolder&) = delete;
  DeviceFolder& operator=(const DeviceFolder&) = delete;

  const std::filesystem::path& root() const { return root_; }

  // A typical handheld: the field application installed at `version`, a
  // memory card, and the launcher's entry in its file list.
  void MakeTypical(const std::string& version = "Version 1.1.1.0");
  void WriteVersionFile(const std::string& bytes);
  void AddMemoryCard();
  void AddLauncherEntry();
  // The name the handheld goes by (HKEY_LOCAL_MACHINE\Ident, "Name").
  void SetDeviceName(const std::string& name);

  // A file under the root, by its path on the handheld ("\\Storage Card\\x").
  std::filesystem::path Local(const std::string& devicePath) const;
  std::optional<std::vector<BYTE>> Read(const std::string& devicePath) const;
  bool Exists(const std::string& devicePath) const;
  // Every file on the handheld outside the simulator's own records.
  std::vector<std::string> Files() const;

 private:
  std::filesystem::path root_;
};

// Queries through the attached simulated device.
bool LauncherEntryPresent();
std::optional<DWORD> DpiValue();
bool IsReadOnly(const std::string& devicePath);
