#pragma once
// UTF-8 <-> UTF-16 for the wide Win32 calls.

#include <string>
#include <string_view>

namespace vtl::win32 {

// Both convert every character, NULs included; invalid sequences become U+FFFD.
[[nodiscard]] std::wstring Widen(std::string_view utf8);
[[nodiscard]] std::string Narrow(std::wstring_view utf16);

}  // namespace vtl::win32
