// The diagnostic log redirected into a fresh folder for the length of a test
// or benchmark, and read back without its time stamps. The log is
// process-wide: one object at a time.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

class LogFolder {
 public:
  LogFolder();
  // Turns the log off again and removes the folder.
  ~LogFolder();
  LogFolder(const LogFolder&) = delete;
  LogFolder& operator=(const LogFolder&) = delete;

  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path log() const { return root_ / "RavoVup.log"; }
  std::filesystem::path older() const { return root_ / "RavoVup.old.log"; }

  // The file's lines as written, line ends included.
  static std::vector<std::string> RawLines(const std::filesystem::path& file);
  // The events of the standard log, without time stamps and line ends.
  std::vector<std::string> Events() const;
  // The events that start with `prefix`.
  std::vector<std::string> Events(const std::string& prefix) const;

 private:
  std::filesystem::path root_;
};
