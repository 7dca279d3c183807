// UTF-8 <-> UTF-16 for the Win32 API. Invalid input becomes U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace forms::win32 {

std::wstring utf16(std::string_view utf8);
std::string utf8(std::wstring_view utf16);

}  // namespace forms::win32
