#include "wrapper/win32/RegistrySource.h"

#include <vector>

#include "core/win32/WinHandle.h"
#include "core/win32/WinString.h"
#include "core/win32/Windows.h"

namespace vtl::wrapper::win32 {

using vtl::win32::Narrow;
using vtl::win32::UniqueRegKey;
using vtl::win32::Widen;

std::optional<RegistryValue> RegistrySource::Read(std::string_view keyPath,
                                                  std::string_view valueName) const {
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Widen(keyPath).c_str(), 0, KEY_QUERY_VALUE, key.put()) !=
        ERROR_SUCCESS)
        return std::nullopt;
    const std::wstring name = Widen(valueName);
    std::vector<BYTE> data(512);
    DWORD type = 0;
    while (true) {
        DWORD size = static_cast<DWORD>(data.size());
        const LSTATUS status =
            RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA) {
            data.resize(size + sizeof(wchar_t));
            continue;
        }
        if (status != ERROR_SUCCESS) return std::nullopt;
        data.resize(size);
        break;
    }
    RegistryValue value;
    value.type = type;
    if (type == REG_DWORD && data.size() >= sizeof(DWORD)) {
        DWORD number = 0;
        std::copy(data.begin(), data.begin() + sizeof number, reinterpret_cast<BYTE*>(&number));
        value.number = number;
    } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::wstring text(data.size() / sizeof(wchar_t), L'\0');
        std::copy(data.begin(), data.begin() + text.size() * sizeof(wchar_t),
                  reinterpret_cast<BYTE*>(text.data()));
        const auto zero = text.find(L'\0');
        if (zero != std::wstring::npos) text.resize(zero);
        if (type == REG_EXPAND_SZ) {
            const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
            if (needed > 0) {
                std::wstring expanded(needed, L'\0');
                const DWORD got = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed);
                if (got > 0 && got <= needed) {
                    expanded.resize(got - 1);
                    text = expanded;
                }
            }
        }
        value.text = Narrow(text);
    }
    return value;
}

std::uint32_t WriteRegistryString(std::string_view keyPath, std::string_view valueName,
                                  std::string_view text) {
    UniqueRegKey key;
    LSTATUS status =
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, Widen(keyPath).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
    const std::wstring wide = Widen(text);
    status = RegSetValueExW(key.get(), Widen(valueName).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(wide.c_str()),
                            static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
    return static_cast<std::uint32_t>(status);
}

}  // namespace vtl::wrapper::win32
