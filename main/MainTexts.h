#pragma once
// Texts the main window shows, exactly as the user sees them.

#include <string>
#include <string_view>

#include "core/ServiceRow.h"

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

// A name from the computer browser or the command line that is no computer
// name. One longer than the browser's 260 characters (only the command line
// gives such) is shown cut, with "...".
[[nodiscard]] inline std::string InvalidComputerNameText(std::string_view name) {
    constexpr std::size_t kShownMaxChars = 260;
    std::string text = "\"";
    const std::string shown = CutToChars(name, kShownMaxChars);
    text += shown;
    if (shown.size() < name.size()) text += "...";
    text += "\" is not a valid computer name.";
    return text;
}

}  // namespace vtl
