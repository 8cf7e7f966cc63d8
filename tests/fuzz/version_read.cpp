#include "tests/fuzz/version_read.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "worker/steps.h"
#include "worker/version_text.h"

namespace {

struct Input {
  const std::uint8_t* data;
  std::size_t size;
};
thread_local Input current;
HANDLE const kFile = reinterpret_cast<HANDLE>(std::intptr_t{0x100});

HANDLE WINAPI OpenFile(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) { return kFile; }
BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED) {
  if (file != kFile) std::abort();
  *read = static_cast<DWORD>(std::min<std::size_t>(toRead, current.size));
  std::memcpy(buffer, current.data, *read);
  return TRUE;
}
BOOL WINAPI CloseFile(HANDLE) { return TRUE; }

// The rule, written independently of the worker's scan.
std::string Expected(const std::uint8_t* data, std::size_t size) {
  std::string read(reinterpret_cast<const char*>(data), std::min(size, kVersionReadSize));
  std::size_t first = read.find('\n');
  std::size_t second = first == std::string::npos ? first : read.find('\n', first + 1);
  std::string text = read;
  if (second != std::string::npos) {
    text = read.substr(first + 1, second - first - 1);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  }
  return text.substr(0, text.find('\0'));  // shown as a NUL-terminated text
}

}  // namespace

void CheckVersionRead(const std::uint8_t* data, std::size_t size) {
  current = {data, size};
  DeviceApi api;
  api.CeCreateFile = OpenFile;
  api.CeReadFile = ReadFile;
  api.CeCloseHandle = CloseFile;
  VersionText version;
  if (!ReadVersionFile(api, version)) std::abort();
  if (version.text[kVersionReadSize] != '\0' || Expected(data, size) != version.text) {
    std::fprintf(stderr, "version text breaks the rule for an input of %zu bytes\n", size);
    std::abort();
  }
}
