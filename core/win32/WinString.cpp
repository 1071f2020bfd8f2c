#include "core/win32/WinString.h"

#include "core/win32/Windows.h"

namespace vtl::win32 {

std::wstring Widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    const int chars = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(chars), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), chars);
    return wide;
}

std::string Narrow(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    const int size = static_cast<int>(utf16.size());
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, narrow.data(), bytes, nullptr, nullptr);
    return narrow;
}

std::wstring JoinMultiString(const std::vector<std::string>& names) {
    std::wstring list;
    for (const auto& name : names) {
        if (name.empty()) continue;
        list += Widen(name);
        list += L'\0';
    }
    list += L'\0';
    return list;
}

}  // namespace vtl::win32
