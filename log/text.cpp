#include <cstdint>

#include "log/diagnostic_log.h"
#include "log_platform.h"

namespace diag {

namespace {

void AppendCodePoint(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// UTF-16 with surrogate pairs joined; a lone surrogate becomes U+FFFD.
template <typename Unit>
std::string FromUtf16(const Unit* text, std::size_t length) {
  std::string out;
  out.reserve(length);
  for (std::size_t i = 0; i < length; ++i) {
    std::uint32_t c = static_cast<std::uint16_t>(text[i]);
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < length && static_cast<std::uint16_t>(text[i + 1]) >= 0xDC00 &&
        static_cast<std::uint16_t>(text[i + 1]) < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<std::uint16_t>(text[++i]) - 0xDC00);
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    AppendCodePoint(out, c);
  }
  return out;
}

}  // namespace

std::string Escaped(std::string_view bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b == '\\') {
      out += "\\\\";
    } else if (b >= 0x20 && b < 0x7F) {
      out += c;
    } else {
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 0xF];
    }
  }
  return out;
}

std::string Utf8(std::u16string_view text) { return FromUtf16(text.data(), text.size()); }

std::string Utf8(std::wstring_view text) {
  if constexpr (sizeof(wchar_t) == 2) {
    return FromUtf16(text.data(), text.size());
  } else {
    std::string out;
    for (wchar_t c : text) {
      const auto code = static_cast<std::uint32_t>(c);
      AppendCodePoint(out, code < 0x110000 ? code : 0xFFFD);
    }
    return out;
  }
}

const char* ProgramArchitecture() {
#if defined(__x86_64__) || defined(_M_X64)
  return "x64";
#elif defined(__i386__) || defined(_M_IX86)
  return "x86";
#elif defined(__aarch64__) || defined(_M_ARM64)
  return "arm64";
#else
  return "unknown architecture";
#endif
}

std::string SystemDescription() { return platform::SystemDescription(); }

}  // namespace diag
