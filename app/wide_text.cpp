#include "app/wide_text.h"

#include <windows.h>

namespace {
constexpr UINT kJapaneseCodePage = 932;

std::wstring WideFrom(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}
}  // namespace

std::wstring WideFromUtf8(std::string_view text) { return WideFrom(CP_UTF8, text); }

std::string Utf8FromWide(std::wstring_view text) {
  if (text.empty()) return {};
  int length =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string narrow(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length, nullptr,
                      nullptr);
  return narrow;
}

std::string Utf8FromJapanese(std::string_view text) {
  std::wstring wide = WideFrom(kJapaneseCodePage, text);
  // A system without the Japanese code page still shows something readable.
  if (wide.empty() && !text.empty()) wide = WideFrom(CP_ACP, text);
  return Utf8FromWide(wide);
}
