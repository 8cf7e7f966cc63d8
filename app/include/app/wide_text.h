// Text conversions at the edge of the Win32 calls: the program keeps its
// texts in UTF-8 and hands UTF-16 to the W functions, so they read right
// whatever the system's code page is.
#pragma once

#include <string>
#include <string_view>

std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);
// Text in the Japanese code page (932), such as the version text read from
// the handheld, as UTF-8. Bytes that are not valid there come out as
// replacement characters rather than failing the whole text.
std::string Utf8FromJapanese(std::string_view text);
