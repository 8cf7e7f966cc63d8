#include "tests/support/log_folder.h"

#include <unistd.h>

#include <fstream>
#include <stdexcept>

#include "log/diagnostic_log.h"

namespace fs = std::filesystem;

namespace {
constexpr std::size_t kStampLength = 24;  // "2026-12-10 05:40:12.345 "
}

LogFolder::LogFolder() {
  std::string pattern = (fs::temp_directory_path() / "ravo-log-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a log folder");
  root_ = pattern;
  diag::UseFolder(root_.wstring());
}

LogFolder::~LogFolder() {
  diag::UseFolder(L"");
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

std::vector<std::string> LogFolder::RawLines(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line + "\n");
  return lines;
}

std::vector<std::string> LogFolder::Events() const {
  std::vector<std::string> events;
  for (const std::string& line : RawLines(log())) {
    const std::size_t end = line.size() >= 2 && line[line.size() - 2] == '\r' ? line.size() - 2 : line.size() - 1;
    events.push_back(line.size() > kStampLength ? line.substr(kStampLength, end - kStampLength) : line);
  }
  return events;
}

std::vector<std::string> LogFolder::Events(const std::string& prefix) const {
  std::vector<std::string> found;
  for (const std::string& event : Events())
    if (event.rfind(prefix, 0) == 0) found.push_back(event);
  return found;
}
