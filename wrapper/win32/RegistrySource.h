#pragma once
// The wrapper's settings read from the local registry (HKEY_LOCAL_MACHINE).

#include "wrapper/WrapperSettings.h"

namespace vtl::wrapper::win32 {

class RegistrySource final : public SettingsSource {
  public:
    [[nodiscard]] std::optional<RegistryValue> Read(std::string_view keyPath,
                                                    std::string_view valueName) const override;
};

// Writes a REG_SZ value below HKEY_LOCAL_MACHINE, creating the key; 0 or the error.
[[nodiscard]] std::uint32_t WriteRegistryString(std::string_view keyPath,
                                                std::string_view valueName, std::string_view text);

}  // namespace vtl::wrapper::win32
