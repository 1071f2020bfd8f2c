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
// After the count while the find box filters the list: " (12 shown)".
[[nodiscard]] inline std::string ShownCountText(int shown) {
    return " (" + std::to_string(shown) + " shown)";
}
// Status bar, the icon legend (panels 2 to 4).
inline constexpr std::string_view kLegendRunning = "Running";
inline constexpr std::string_view kLegendManualStopped = "Manual Stopped";
inline constexpr std::string_view kLegendAutoStopped = "Auto Stopped/Disabled";

// Window settings written on close, beside the window's place and view.
inline constexpr std::string_view kSettingSortKey = "SortKey";
inline constexpr std::string_view kSettingSortOrder = "SortOrder";

// Copying rows and exporting the list.
inline constexpr std::string_view kCopyFailed =
    "The selected services could not be copied: another program is using the clipboard.";
inline constexpr std::string_view kExportListTitle = "Export List";
inline constexpr std::string_view kExportListFilter = "CSV files (*.csv)|*.csv|All files (*.*)|*.*";
inline constexpr std::string_view kExportListExtension = "csv";
// The file name the save dialog proposes for a computer's list.
[[nodiscard]] inline std::string ExportListFileName(std::string_view computer) {
    return std::string(computer) + " services.csv";
}
// A list that could not be written: the file, then the system's text.
[[nodiscard]] inline std::string ExportListFailedText(std::string_view path,
                                                      std::string_view systemText) {
    return "The list could not be written to " + std::string(path) + ".\r" +
           std::string(systemText);
}

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
