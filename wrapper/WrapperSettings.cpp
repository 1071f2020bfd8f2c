#include "wrapper/WrapperSettings.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "core/RegistryNames.h"
#include "wrapper/ProgramLaunch.h"

namespace vtl::wrapper {

namespace {

bool IsText(const RegistryValue& value) {
    return value.type == kRegSz || value.type == kRegExpandSz;
}

std::uint32_t ReadNumber(const SettingsSource& source, const std::string& key,
                         std::string_view name, const Bounds& bounds,
                         std::vector<std::string>& warnings) {
    const auto value = source.Read(key, name);
    if (!value) return bounds.defaultValue;
    std::uint64_t number = 0;
    if (value->type == kRegDword) {
        number = value->number;
    } else if (IsText(*value)) {
        const char* begin = value->text.data();
        const char* end = begin + value->text.size();
        const auto [ptr, ec] = std::from_chars(begin, end, number);
        if (ec != std::errc{} || ptr != end || begin == end) {
            warnings.push_back(Quoted(name) + " is not a number (\"" + value->text + "\"); using " +
                               std::to_string(bounds.defaultValue) + ".");
            return bounds.defaultValue;
        }
    } else {
        warnings.push_back(Quoted(name) + " is neither REG_DWORD nor REG_SZ; using " +
                           std::to_string(bounds.defaultValue) + ".");
        return bounds.defaultValue;
    }
    const std::uint64_t held = std::clamp<std::uint64_t>(number, bounds.min, bounds.max);
    if (held != number)
        warnings.push_back(Quoted(name) + " " + std::to_string(number) +
                           " is out of bounds; using " + std::to_string(held) + ".");
    return static_cast<std::uint32_t>(held);
}

std::string ReadText(const SettingsSource& source, const std::string& key, std::string_view name,
                     std::vector<std::string>& warnings) {
    const auto value = source.Read(key, name);
    if (!value) return {};
    if (!IsText(*value)) {
        warnings.push_back(Quoted(name) + " is not a REG_SZ value; ignored.");
        return {};
    }
    return value->text;
}

}  // namespace

SettingsResult ReadWrapperSettings(const SettingsSource& source, std::string_view serviceName) {
    SettingsResult result;
    const std::string parameters = ParametersKeyPath(serviceName);
    WrapperSettings settings;

    settings.application = ReadText(source, parameters, kApplicationValue, result.warnings);
    if (settings.application.empty()) {
        result.error = "The service has no program to run: the value \"" +
                       std::string(kApplicationValue) + "\" under HKLM\\" + parameters +
                       " is missing or empty.";
        return result;
    }
    settings.params =
        ReadText(source, VtlParamsKeyPath(serviceName), kParamsValue, result.warnings);

    std::string onExit = ReadText(source, parameters, kOnExitValue, result.warnings);
    std::transform(onExit.begin(), onExit.end(), onExit.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (onExit == "restart") {
        settings.onExit = OnExit::Restart;
    } else if (!onExit.empty() && onExit != "stop") {
        result.warnings.push_back("\"OnExit\" is neither restart nor stop (\"" + onExit +
                                  "\"); using stop.");
    }
    settings.restartDelayMs =
        ReadNumber(source, parameters, kRestartDelayMsValue, kRestartDelayBounds, result.warnings);
    settings.restartDelayMaxMs = ReadNumber(source, parameters, kRestartDelayMaxMsValue,
                                            kRestartDelayMaxBounds, result.warnings);
    settings.restartDelayMaxMs = std::max(settings.restartDelayMaxMs, settings.restartDelayMs);
    settings.restartResetMs =
        ReadNumber(source, parameters, kRestartResetMsValue, kRestartResetBounds, result.warnings);
    settings.stopTimeoutMs =
        ReadNumber(source, parameters, kStopTimeoutMsValue, kStopTimeoutBounds, result.warnings);
    settings.logMaxBytes =
        ReadNumber(source, parameters, kLogMaxBytesValue, kLogMaxBytesBounds, result.warnings);
    if (settings.logMaxBytes != 0 && settings.logMaxBytes < kLogMinBytes) {
        result.warnings.push_back("\"LogMaxBytes\" " + std::to_string(settings.logMaxBytes) +
                                  " is below " + std::to_string(kLogMinBytes) + "; using " +
                                  std::to_string(kLogMinBytes) + ".");
        settings.logMaxBytes = kLogMinBytes;
    }
    settings.logFile = ReadText(source, parameters, kLogFileValue, result.warnings);
    if (settings.logFile.empty()) settings.logFile = DefaultLogPath(settings.application);

    result.settings = std::move(settings);
    return result;
}

}  // namespace vtl::wrapper
