#pragma once
// Texts the main window shows, exactly as the user sees them.

#include <string>
#include <string_view>

namespace vtl {

inline constexpr std::string_view kAppTitle = "Vantrel";
inline constexpr std::string_view kSettingsSection = "Settings";

// Status bar, panel 1.
inline constexpr std::string_view kProgressSearching = "Searching for all registered services on ";
inline constexpr std::string_view kProgressRefreshing = "Refreshing all registered services on ";
inline constexpr std::string_view kProgressLoadingNetwork =
    "Please Wait, Loading network systems...";
inline constexpr std::string_view kProgressDone = "Done";
// Status bar, panel 5.
inline constexpr std::string_view kTotalServices = "Total Services : ";
// Status bar, the icon legend (panels 2 to 4).
inline constexpr std::string_view kLegendRunning = "Running";
inline constexpr std::string_view kLegendManualStopped = "Manual Stopped";
inline constexpr std::string_view kLegendAutoStopped = "Auto Stopped/Disabled";

inline constexpr std::string_view kBrowseComputerTitle =
    "Select a Computer from where you want to load services.";

// A name from the computer browser that is no computer name.
[[nodiscard]] inline std::string InvalidComputerNameText(std::string_view name) {
    std::string text = "\"";
    text += name;
    text += "\" is not a valid computer name.";
    return text;
}

}  // namespace vtl
