// The handheld's registry, kept in <root>/registry.txt in the familiar
// exported-registry form so a person or a test can read and seed it:
//
//   [HKEY_LOCAL_MACHINE\Software\Meridane]
//   "DPI"=dword:00000060
//   "Name"="text"
//   "Blob"=hex:01,02,03
//   "Other"=hex(7):41,00,00,00
//
// The file is the only copy: it is read before each registry operation and
// written after each change, so edits made from outside are never lost.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "device/ce_types.h"

namespace sim::detail {

struct RegValue {
  std::string name;  // empty: the key's default value, written as @
  DWORD type = 0;
  std::vector<BYTE> data;
};

struct RegKey {
  std::string path;  // "HKEY_CURRENT_USER\Software\Meridane", as first created
  std::vector<RegValue> values;
  RegValue* Find(const std::string& name);
};

// Joins a key path and a subkey the way the registry does: names between
// backslashes, case kept but not significant. Null for a name that is not
// a known root.
std::optional<std::string> JoinKeyPath(const std::string& base, const std::string& subKey);
std::string KeyId(const std::string& path);  // the case-folded form used for lookups

class Registry {
 public:
  static Registry Load(const std::filesystem::path& root);
  void Save() const;

  RegKey* Find(const std::string& path);
  // Creates the key and every missing key above it; `created` tells whether
  // the key itself was new.
  RegKey& Create(const std::string& path, bool& created);
  // Removes the key, its values and everything below it.
  void Remove(const std::string& path);

 private:
  std::filesystem::path file_;
  std::map<std::string, RegKey> keys_;  // by KeyId
};

}  // namespace sim::detail
