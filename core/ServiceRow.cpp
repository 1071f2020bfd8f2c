#include "core/ServiceRow.h"

#include "core/ServiceTypes.h"

namespace vtl {
namespace {

constexpr std::array<std::string_view, 8> kStatusTexts = {
    "",        "Stopped",          "Start Pending", "Stop Pending",
    "Running", "Continue Pending", "Pause Pending", "Paused"};

constexpr std::array<std::string_view, 5> kStartTypeTexts = {"Automatic", "Automatic", "Automatic",
                                                             "Manual", "Disabled"};

struct StartTypeName {
    std::string_view text;
    std::uint32_t code;
};
constexpr std::array<StartTypeName, 3> kStartTypeCodes = {{
    {"Automatic", kServiceAutoStart},
    {"Manual", kServiceDemandStart},
    {"Disabled", kServiceDisabled},
}};

}  // namespace

std::string_view ServiceStatusText(std::uint32_t state) {
    return state < kStatusTexts.size() ? kStatusTexts[state] : std::string_view{};
}

std::string_view StartTypeText(std::uint32_t startType) {
    return startType < kStartTypeTexts.size() ? kStartTypeTexts[startType] : std::string_view{};
}

std::uint32_t StatusCodeFromText(std::string_view text) {
    if (text.empty()) return 0;
    for (std::uint32_t code = 1; code < kStatusTexts.size(); ++code) {
        if (kStatusTexts[code] == text) return code;
    }
    return 0;
}

std::optional<std::uint32_t> StartTypeFromText(std::string_view text) {
    for (const auto& entry : kStartTypeCodes) {
        if (entry.text == text) return entry.code;
    }
    return std::nullopt;
}

StateIconIndex StateIcon(std::uint32_t state, std::uint32_t startType,
                         std::string_view statusText) {
    if (statusText == kStatusStarting) return StateIconIndex::Busy;
    switch (state) {
        case kServiceRunning:
        case kServiceContinuePending:
        case kServicePausePending:
        case kServicePaused:
            return StateIconIndex::Active;
        case kServiceStartPending:
        case kServiceStopPending:
            return StateIconIndex::Busy;
        case kServiceStopped:
            return (startType == kServiceAutoStart || startType == kServiceDisabled)
                       ? StateIconIndex::Disabled
                       : StateIconIndex::Inactive;
        default:
            return StateIconIndex::Disabled;
    }
}

std::string UncComputerName(std::string_view name) {
    std::string unc = "\\\\";
    unc += name;
    return unc;
}

std::string TrimAtNull(std::string_view text) {
    return std::string(text.substr(0, text.find('\0')));
}

std::string CutToChars(std::string_view text, std::size_t maxChars) {
    text = text.substr(0, text.find('\0'));
    std::size_t chars = 0;
    std::size_t pos = 0;
    while (pos < text.size() && chars < maxChars) {
        // Skip the continuation bytes of a UTF-8 sequence.
        ++pos;
        while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80)
            ++pos;
        ++chars;
    }
    return std::string(text.substr(0, pos));
}

ServiceRow MakeServiceRow(std::string_view serviceName, std::string_view displayName,
                          std::uint32_t state, std::uint32_t startType,
                          std::string_view logonAccount) {
    ServiceRow row;
    row.serviceName = std::string(serviceName);
    row.displayName = CutToChars(displayName);
    row.statusText = std::string(ServiceStatusText(state));
    row.startupTypeText = std::string(StartTypeText(startType));
    row.logonAccount = CutToChars(logonAccount);
    row.icon = StateIcon(state, startType, {});
    return row;
}

}  // namespace vtl
