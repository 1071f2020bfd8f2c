#include "operations/OperationTexts.h"

#include <array>

namespace vtl {

namespace {

constexpr std::uint32_t kModNotFound = 126;
constexpr std::uint32_t kProcNotFound = 127;

struct LibraryFailure {
    std::uint32_t code;
    std::string_view text;
};
constexpr std::array<LibraryFailure, 2> kLibraryFailures = {{
    {kModNotFound, "VtlIns.dll could not be loaded, so the service was not started: "},
    {kProcNotFound, "VtlIns.dll has no VTLStartService function, so the service was not started: "},
}};
constexpr std::string_view kLibraryOtherFailure = "VtlIns.dll could not start the service: ";

std::string Seconds(std::uint32_t ms) {
    const std::uint32_t seconds = (ms + 999) / 1000;
    return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
}

}  // namespace

std::string RemoveConfirmText(std::string_view service, std::string_view computer) {
    std::string text = "Are you sure you want to remove the service '";
    text += service;
    text += "' on ";
    text += computer;
    text += "?";
    return text;
}

std::string ProbeSpecificErrorText(std::uint32_t specificCode) {
    return std::string(kProbeSpecificError) +
           std::to_string(static_cast<std::int32_t>(specificCode));
}

std::string StartBoundText(std::uint32_t boundMs) {
    return "The service was still start pending after " + Seconds(boundMs) +
           "; the wait for it was given up.";
}

std::string StopBoundText(std::uint32_t boundMs) {
    return "The service was still stop pending after " + Seconds(boundMs) +
           "; the wait for it was given up.";
}

std::string DependentStopBoundText(std::string_view service, std::uint32_t boundMs) {
    std::string text = "The service was still stop pending after " + Seconds(boundMs) +
                       "; it was being stopped as a dependent of '";
    text += service;
    text += "'.";
    return text;
}

std::string StartLibraryFailureText(std::uint32_t code, std::string_view errorText) {
    std::string_view lead = kLibraryOtherFailure;
    for (const LibraryFailure& failure : kLibraryFailures) {
        if (failure.code == code) lead = failure.text;
    }
    std::string text(lead);
    text += errorText;
    if (errorText.empty()) text += "error " + std::to_string(code);
    return text;
}

}  // namespace vtl
