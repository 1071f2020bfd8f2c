#pragma once
// Texts the service commands and the error list show, exactly as the user sees
// them, and the bounds of their waits.

#include <cstdint>
#include <string>
#include <string_view>

namespace vtl {

// Status bar, panel 1.
inline constexpr std::string_view kProgressStarting = "Starting service(s)...";
inline constexpr std::string_view kProgressStopping = "Stopping service(s)...";
inline constexpr std::string_view kProgressRestarting = "Restarting service(s)...";
inline constexpr std::string_view kProgressDeleting = "Deleting service...";

// The error list window.
inline constexpr std::string_view kErrorsCaption = "Errors";
inline constexpr std::string_view kDetailServiceName = "Service Name : ";
inline constexpr std::string_view kDetailError = "Error Detail : ";

// The probe of a service that was reported started but is found stopped.
inline constexpr std::string_view kProbeSpecificError =
    "The service did not start and has reported the specific error ";
inline constexpr std::string_view kProbeNoError =
    "The service did not start and did not report any error to Service Control Manager.";

// The dependents question of the Stop command.
inline constexpr std::string_view kStoppingTitle = "Stopping ";
inline constexpr std::string_view kDependentsIntro =
    "This service is dependent on the following service(s).";
inline constexpr std::string_view kDependentsQuestion = "Do you wish to stop dependent services?";

// The two questions of the Remove command.
inline constexpr std::string_view kRemoveNote =
    "Note that you must have administrator privileges to remove a service.";
inline constexpr std::string_view kRemoveContinue = "Do you want to continue?";

// Bounds of the waits (milliseconds). A service that never leaves a pending
// state must not hold the window for ever; reaching a bound is reported as an
// entry of the error list.
inline constexpr std::uint32_t kProbeStartBoundMs = 30000;     // probe: start pending
inline constexpr std::uint32_t kStopBoundMs = 30000;           // a selected service: stop pending
inline constexpr std::uint32_t kDependentStopBoundMs = 30000;  // each dependent: stop pending
// Poll intervals.
inline constexpr std::uint32_t kProbePollMs = 100;
inline constexpr std::uint32_t kStopPollMs = 100;
inline constexpr std::uint32_t kDependentPollMs = 10;
inline constexpr std::uint32_t kBeforeDependentsMs = 100;
inline constexpr std::uint32_t kDeleteWaitMs = 1000;

// "Are you sure you want to remove the service 'X' on PC1?"
[[nodiscard]] std::string RemoveConfirmText(std::string_view service, std::string_view computer);
// The specific-error text followed by the code as a signed decimal number.
[[nodiscard]] std::string ProbeSpecificErrorText(std::uint32_t specificCode);
// The texts of a bound that was reached.
[[nodiscard]] std::string StartBoundText(std::uint32_t boundMs);
[[nodiscard]] std::string StopBoundText(std::uint32_t boundMs);
[[nodiscard]] std::string DependentStopBoundText(std::string_view service, std::uint32_t boundMs);
// A start that the companion library could not even begin (no thread handle).
[[nodiscard]] std::string StartLibraryFailureText(std::uint32_t code, std::string_view errorText);

}  // namespace vtl
