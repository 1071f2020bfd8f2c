#pragma once
// How a service is shown: the row of the services list, the status and
// startup-type texts, the state icon rule, the computer name handed to the
// service manager. Pure functions only.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vtl {

// Columns of the services list, in order.
enum ServiceColumn : int {
    kColServiceName = 0,
    kColDisplayName = 1,
    kColStatus = 2,
    kColStartupType = 3,
    kColLogonAs = 4,
};
inline constexpr std::array<std::string_view, 5> kServiceColumnCaptions = {
    "Service Name", "Display Name", "Status", "Startup Type", "Logon As"};

// Images of imlServiceIcons, by index and key.
enum class StateIconIndex : int { Active = 1, Inactive = 2, Disabled = 3, Busy = 4 };
inline constexpr std::array<std::string_view, 5> kStateIconKeys = {"", "Active", "Inactive",
                                                                   "Disabled", "Busy"};
[[nodiscard]] constexpr std::string_view StateIconKey(StateIconIndex icon) {
    return kStateIconKeys[static_cast<int>(icon)];
}

// Texts that operations write into the Status column themselves.
inline constexpr std::string_view kStatusStarting = "Starting";
inline constexpr std::string_view kStatusMarkedForDeletion = "Marked for Deletion";

// Longest display name and logon account a row holds, in characters.
inline constexpr std::size_t kRowFieldMaxChars = 255;

struct ServiceRow {
    std::string serviceName;
    std::string displayName;
    std::string statusText;
    std::string startupTypeText;
    std::string logonAccount;
    StateIconIndex icon = StateIconIndex::Disabled;
};

[[nodiscard]] std::string_view ServiceStatusText(std::uint32_t state);
[[nodiscard]] std::string_view StartTypeText(std::uint32_t startType);
// 0 for any text that is not one of the seven status texts (case matters).
[[nodiscard]] std::uint32_t StatusCodeFromText(std::string_view text);
// Defined for "Automatic", "Manual" and "Disabled" only; nullopt otherwise, which
// the caller must handle.
[[nodiscard]] std::optional<std::uint32_t> StartTypeFromText(std::string_view text);

// The icon rule: statusText is the row's current Status column, or empty where
// the "Starting" step does not apply (a new row, a refresh by name).
[[nodiscard]] StateIconIndex StateIcon(std::uint32_t state, std::uint32_t startType,
                                       std::string_view statusText);

// "\\" + name.
[[nodiscard]] std::string UncComputerName(std::string_view name);
// The text before its first NUL character.
[[nodiscard]] std::string TrimAtNull(std::string_view text);
// At most maxChars characters of a UTF-8 text (cut at the first NUL too), never
// splitting a character.
[[nodiscard]] std::string CutToChars(std::string_view text,
                                     std::size_t maxChars = kRowFieldMaxChars);

// A new row from an enumerated service and its configuration; the display name
// and account are held to 255 characters here, once.
[[nodiscard]] ServiceRow MakeServiceRow(std::string_view serviceName, std::string_view displayName,
                                        std::uint32_t state, std::uint32_t startType,
                                        std::string_view logonAccount);

}  // namespace vtl
