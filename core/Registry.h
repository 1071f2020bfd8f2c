#pragma once
// Reading and writing one registry value.

#include <string>

#include "core/Platform.h"

namespace vtl {

// Largest value GetRegValue reads, in bytes.
inline constexpr std::uint32_t kRegValueMaxBytes = 1024;

// Reads one value below root. REG_SZ gives the text up to its first zero;
// REG_DWORD appends eight upper-case hex digits, most significant byte first, to
// value; other types leave value as passed. False (value emptied) when the key
// cannot be opened or the value cannot be read, or is longer than 1024 bytes.
[[nodiscard]] bool GetRegValue(RegistryApi& registry, const RegKey& root, const std::string& subKey,
                               const std::string& valueName, std::string& value);

// Creates the key (and the keys above it) if missing and stores text as REG_SZ
// with its terminating zero. The error of the call that failed, 0 when the
// value was stored.
[[nodiscard]] ErrorCode WriteRegString(RegistryApi& registry, const RegKey& root,
                                       const std::string& subKey, const std::string& valueName,
                                       const std::string& text);
// WriteRegString; true when the value was stored.
[[nodiscard]] bool SetRegString(RegistryApi& registry, const RegKey& root,
                                const std::string& subKey, const std::string& valueName,
                                const std::string& text);

}  // namespace vtl
