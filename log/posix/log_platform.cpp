// The log's platform for the native build, which serves tests and
// benchmarks: the standard folder is $LOCALAPPDATA/RavoVup when that
// variable is set, as on Windows, and there is none otherwise.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>

#include "log/diagnostic_log.h"
#include "log_platform.h"

namespace diag::platform {

namespace {
// Paths the tests give are UTF-8 on the way out; the folder from the
// environment comes back byte for byte, which holds for the ASCII folders
// tests and benchmarks use.
std::string Narrow(const std::wstring& path) { return Utf8(path); }

class PosixFile final : public AppendFile {
 public:
  PosixFile(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
  ~PosixFile() override { ::close(fd_); }
  bool Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      const ssize_t done = ::write(fd_, bytes.data(), bytes.size());
      if (done < 0 && errno == EINTR) continue;
      if (done <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(done));
    }
    return true;
  }
  std::uint64_t InitialSize() const override { return size_; }

 private:
  int fd_;
  std::uint64_t size_;
};
}  // namespace

LocalTime Now() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
          static_cast<int>(ms)};
}

std::wstring StandardFolder() {
  const char* base = std::getenv("LOCALAPPDATA");
  if (base == nullptr || base[0] == 0) return {};
  std::string folder = std::string(base) + "/RavoVup";
  if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return {};
  return std::wstring(folder.begin(), folder.end());
}

std::unique_ptr<AppendFile> OpenForAppend(const std::wstring& path) {
  const int fd = ::open(Narrow(path).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat info {};
  const std::uint64_t size = ::fstat(fd, &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
  return std::make_unique<PosixFile>(fd, size);
}

bool Replace(const std::wstring& from, const std::wstring& to) {
  return ::rename(Narrow(from).c_str(), Narrow(to).c_str()) == 0;
}

std::string SystemDescription() {
  struct utsname name {};
  if (::uname(&name) != 0) return "unknown system";
  return std::string(name.sysname) + " " + name.release + " " + name.machine;
}

}  // namespace diag::platform
