#include "wrapper/win32/Messages.h"

#include <array>

#include "core/win32/WinString.h"
#include "wrapper/win32/RotatingLog.h"
#include "wrapper/win32/Win32Util.h"

namespace vtl::wrapper::win32 {

using vtl::win32::Widen;

namespace {

struct SeverityInfo {
    Severity severity;
    std::string_view prefix;
    WORD eventType;
};
constexpr std::array<SeverityInfo, 3> kSeverities{{
    {Severity::Info, "", EVENTLOG_INFORMATION_TYPE},
    {Severity::Warning, "Warning: ", EVENTLOG_WARNING_TYPE},
    {Severity::Error, "Error: ", EVENTLOG_ERROR_TYPE},
}};

const SeverityInfo& InfoOf(Severity severity) {
    for (const auto& info : kSeverities)
        if (info.severity == severity) return info;
    return kSeverities[0];
}

}  // namespace

void ConsoleSink::Report(Severity severity, std::string_view text) {
    const auto& info = InfoOf(severity);
    WriteStd(std::string(info.prefix) + std::string(text) + "\n", severity != Severity::Info);
    if (log_ != nullptr) log_->Note(std::string(info.prefix) + std::string(text));
}

ServiceSink::ServiceSink(std::string_view serviceName) : serviceName_(serviceName) {
    eventSource_ = RegisterEventSourceW(nullptr, Widen(serviceName_).c_str());
}

ServiceSink::~ServiceSink() {
    if (eventSource_ != nullptr) DeregisterEventSource(eventSource_);
}

void ServiceSink::Report(Severity severity, std::string_view text) {
    const auto& info = InfoOf(severity);
    const std::wstring line = Widen("VtlShell (" + serviceName_ + "): " + std::string(text));
    if (eventSource_ != nullptr) {
        const wchar_t* strings[] = {line.c_str()};
        ReportEventW(eventSource_, info.eventType, 0, 1, nullptr, 1, 0, strings, nullptr);
    }
    OutputDebugStringW((line + L"\n").c_str());
    if (log_ != nullptr) log_->Note(std::string(info.prefix) + std::string(text));
}

}  // namespace vtl::wrapper::win32
