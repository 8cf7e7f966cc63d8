// What the log needs from its platform: the local time, the standard folder,
// files opened for appending, and what the system is. Internal to the log.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace diag::platform {

struct LocalTime {
  int year, month, day, hour, minute, second, millisecond;
};
LocalTime Now();

// The standard log's folder for this user, created if need be; empty when
// there is none.
std::wstring StandardFolder();

// A file held open for appending; other programs may read, replace or
// delete it meanwhile.
class AppendFile {
 public:
  virtual ~AppendFile() = default;
  // False when not every byte was written.
  virtual bool Write(std::string_view bytes) = 0;
  // Its size when opened.
  virtual std::uint64_t InitialSize() const = 0;
};
// Null when the file can be neither opened nor created.
std::unique_ptr<AppendFile> OpenForAppend(const std::wstring& path);
// Moves `from` over `to`, replacing it.
bool Replace(const std::wstring& from, const std::wstring& to);

std::string SystemDescription();

}  // namespace diag::platform
