#pragma once
// The wrapper's settings: values under the service's own key
// HKLM\SYSTEM\CurrentControlSet\Services\<name>. "Application" (parameters) and
// "Params" (VTLParams) are shared with Vantrel (core/RegistryNames.h); the rest
// live under `parameters` too and are the wrapper's alone. Every value is
// optional but "Application"; numbers are REG_DWORD (a REG_SZ of decimal digits
// is read too) and are held within the bounds below.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vtl::wrapper {

// REG_SZ "restart" or "stop": what happens when the program ends by itself.
inline constexpr std::string_view kOnExitValue = "OnExit";
// REG_DWORD: first restart delay, doubled for each quick failure in a row.
inline constexpr std::string_view kRestartDelayMsValue = "RestartDelayMs";
// REG_DWORD: the longest restart delay.
inline constexpr std::string_view kRestartDelayMaxMsValue = "RestartDelayMaxMs";
// REG_DWORD: a run at least this long was not a quick failure; the delay starts over.
inline constexpr std::string_view kRestartResetMsValue = "RestartResetMs";
// REG_DWORD: how long each graceful stop step waits for the program to end.
inline constexpr std::string_view kStopTimeoutMsValue = "StopTimeoutMs";
// REG_SZ: the log file for the program's output; empty: beside the program.
inline constexpr std::string_view kLogFileValue = "LogFile";
// REG_DWORD: the log's size limit; 0: never rotate.
inline constexpr std::string_view kLogMaxBytesValue = "LogMaxBytes";

enum class OnExit { Stop, Restart };

struct Bounds {
    std::uint32_t defaultValue;
    std::uint32_t min;
    std::uint32_t max;
};
inline constexpr Bounds kRestartDelayBounds{1000, 0, 3600000};
inline constexpr Bounds kRestartDelayMaxBounds{60000, 0, 3600000};
inline constexpr Bounds kRestartResetBounds{60000, 0, 86400000};
inline constexpr Bounds kStopTimeoutBounds{5000, 0, 60000};
inline constexpr Bounds kLogMaxBytesBounds{1048576, 0, 1073741824};
// A non-zero log limit below this is raised to it.
inline constexpr std::uint32_t kLogMinBytes = 4096;

struct WrapperSettings {
    std::string application;  // full path of the program
    std::string params;       // its arguments
    OnExit onExit = OnExit::Stop;
    std::uint32_t restartDelayMs = kRestartDelayBounds.defaultValue;
    std::uint32_t restartDelayMaxMs = kRestartDelayMaxBounds.defaultValue;
    std::uint32_t restartResetMs = kRestartResetBounds.defaultValue;
    std::uint32_t stopTimeoutMs = kStopTimeoutBounds.defaultValue;
    std::string logFile;  // resolved: never empty once read
    std::uint32_t logMaxBytes = kLogMaxBytesBounds.defaultValue;
};

// One registry value as the source read it.
struct RegistryValue {
    std::uint32_t type = 0;  // REG_SZ 1, REG_EXPAND_SZ 2, REG_DWORD 4
    std::string text;        // string types, UTF-8, without the terminating zero
    std::uint32_t number = 0;
};
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegDword = 4;

// Where settings come from: the registry, or a table in a test.
class SettingsSource {
  public:
    virtual ~SettingsSource() = default;
    // keyPath is below HKEY_LOCAL_MACHINE; nullopt when the key or value is missing.
    [[nodiscard]] virtual std::optional<RegistryValue> Read(std::string_view keyPath,
                                                            std::string_view valueName) const = 0;
};

struct SettingsResult {
    std::optional<WrapperSettings> settings;
    std::string error;                  // why there are none
    std::vector<std::string> warnings;  // values ignored or held within bounds
};

// Reads the settings of the service; fails only without a usable "Application".
[[nodiscard]] SettingsResult ReadWrapperSettings(const SettingsSource& source,
                                                 std::string_view serviceName);

}  // namespace vtl::wrapper
