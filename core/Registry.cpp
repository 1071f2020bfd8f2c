#include "core/Registry.h"

#include <cstdio>

namespace vtl {

bool GetRegValue(RegistryApi& registry, const RegKey& root, const std::string& subKey,
                 const std::string& valueName, std::string& value) {
    auto [key, openError] = registry.RegOpenKeyEx(root, subKey, kKeyQueryValue);
    if (!key) {
        value.clear();
        return false;
    }
    auto result = registry.RegQueryValueEx(key, valueName, kRegValueMaxBytes);
    if (result.error != kErrorSuccess) {
        value.clear();
        return false;
    }
    switch (result.type) {
        case kRegSz: {
            const auto& data = result.data;
            std::size_t end = 0;
            while (end < data.size() && data[end] != 0)
                ++end;
            value.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(end));
            break;
        }
        case kRegDword: {
            // Little-endian bytes, written from the last to the first.
            for (int i = 3; i >= 0; --i) {
                const unsigned byte = static_cast<std::size_t>(i) < result.data.size()
                                          ? result.data[static_cast<std::size_t>(i)]
                                          : 0u;
                char hex[3];
                std::snprintf(hex, sizeof hex, "%02X", byte);
                value += hex;
            }
            break;
        }
        default:
            break;
    }
    return true;
}

ErrorCode WriteRegString(RegistryApi& registry, const RegKey& root, const std::string& subKey,
                         const std::string& valueName, const std::string& text) {
    auto [key, openError] = registry.RegCreateKeyEx(root, subKey, kKeySetValue);
    if (!key) return openError;
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    return registry.RegSetValueEx(key, valueName, kRegSz, data);
}

bool SetRegString(RegistryApi& registry, const RegKey& root, const std::string& subKey,
                  const std::string& valueName, const std::string& text) {
    return WriteRegString(registry, root, subKey, valueName, text) == kErrorSuccess;
}

}  // namespace vtl
