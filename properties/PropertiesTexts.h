#pragma once
// Texts the properties dialog and the Add Dependencies dialog show, exactly as
// the user sees them, and the access rights and waits of the dialog's calls.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/ServiceTypes.h"

namespace vtl {

// before + service + after, the way the dialog's texts name a service.
[[nodiscard]] inline std::string Around(std::string_view before, std::string_view service,
                                        std::string_view after) {
    std::string text(before);
    text += service;
    text += after;
    return text;
}

// The dialog's caption: 'X' Service Properties.
[[nodiscard]] inline std::string PropertiesCaption(std::string_view service) {
    return Around("'", service, "' Service Properties");
}

// The start type list, by index.
inline constexpr std::string_view kStartupManual = "Manual";
inline constexpr std::string_view kStartupAutomatic = "Automatic";
inline constexpr std::string_view kStartupDisabled = "Disabled";

// Start types by the list's index (0 Manual, 1 Automatic, 2 Disabled).
inline constexpr std::array<std::uint32_t, 3> kStartTypeByIndex = {
    kServiceDemandStart, kServiceAutoStart, kServiceDisabled};

// The description box on a platform without service descriptions.
inline constexpr std::string_view kNoDescriptions = "NA";
// The Logon page's account for the Local System option.
inline constexpr std::string_view kLocalSystem = "LocalSystem";
inline constexpr std::string_view kPasswordTip = "Type password here";

// The Dependencies page's labels after loading.
[[nodiscard]] inline std::string DependsCaption(std::string_view service) {
    return Around("\"", service, "\" service depends on these services");
}
[[nodiscard]] inline std::string DependentsCaption(std::string_view service) {
    return Around("These services depend on \"", service, "\" service");
}
inline constexpr std::string_view kSelectDependency = "Please select a service from dependencies.";

// The apply's messages.
inline constexpr std::string_view kNoComputerName = "Could not read the local computer name.";
inline constexpr std::string_view kNoLogonRight =
    "Could not assign logon on as service rights to the specified user. Please ensure that you "
    "are using a privileged account.";
// This Account chosen with no account name: nothing is written.
inline constexpr std::string_view kNoAccountName =
    "Please type the name of the account the service is to log on as.";
// The start parameter could not be written (the configuration was).
inline constexpr std::string_view kStartParameterNotSaved =
    "The startup parameter could not be saved:";

// Start from the dialog: the service stopped within the first look.
[[nodiscard]] inline std::string CouldNotStartText(std::string_view service,
                                                   std::string_view computer) {
    return Around("Service '", service, "' could not start on ") + std::string(computer);
}

// Access rights, by use.
inline constexpr std::uint32_t kLoadManagerAccess = kGenericRead | kScManagerConnect;
inline constexpr std::uint32_t kLoadServiceAccess =
    kServiceQueryConfig | kServiceQueryStatus | kServiceEnumerateDependents;  // 13
inline constexpr std::uint32_t kApplyServiceAccess =
    kServiceChangeConfig | kServiceQueryStatus;  // 6
inline constexpr std::uint32_t kStartManagerAccess = kGenericRead | kScManagerAllAccess;
inline constexpr std::uint32_t kStartServiceAccess =
    kServiceQueryConfig | kServiceQueryStatus | kServiceStart;  // 0x15
inline constexpr std::uint32_t kStopServiceAccessFromDialog =
    kServiceQueryConfig | kServiceQueryStatus | kServiceEnumerateDependents | kServiceStop;  // 0x2D
inline constexpr std::uint32_t kPauseServiceAccess =
    kServicePauseContinue | kServiceQueryStatus;  // 0x44

// The look at a service 500 ms after its start was asked for.
inline constexpr std::uint32_t kStartLookMs = 500;

}  // namespace vtl
