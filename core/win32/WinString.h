#pragma once
// UTF-8 <-> UTF-16 for the wide Win32 calls.

#include <string>
#include <string_view>
#include <vector>

namespace vtl::win32 {

// Both convert every character, NULs included; invalid sequences become U+FFFD.
[[nodiscard]] std::wstring Widen(std::string_view utf8);
[[nodiscard]] std::string Narrow(std::wstring_view utf16);

// Names joined into a double-zero-terminated list: a zero after each name and
// one more at the end; empty names are left out, since one would end the list
// early; no names gives the empty list (one zero).
[[nodiscard]] std::wstring JoinMultiString(const std::vector<std::string>& names);

}  // namespace vtl::win32
