#include "wrapper/win32/ServiceHost.h"

#include <atomic>
#include <new>
#include <string>
#include <vector>

#include "core/win32/WinHandle.h"
#include "core/win32/WinString.h"
#include "core/win32/Windows.h"
#include "wrapper/StatusSequence.h"
#include "wrapper/WrapperSettings.h"
#include "wrapper/win32/Messages.h"
#include "wrapper/win32/ProgramRunner.h"
#include "wrapper/win32/RegistrySource.h"
#include "wrapper/win32/RotatingLog.h"
#include "wrapper/win32/Win32Util.h"

namespace vtl::wrapper::win32 {

using vtl::win32::Narrow;
using vtl::win32::UniqueKernelHandle;
using vtl::win32::Widen;

namespace {

constexpr std::uint32_t kStartWaitHintMs = 5000;

// Reports the sequence's records to the service manager.
class StatusReporter final : public PayloadEvents {
  public:
    void Attach(SERVICE_STATUS_HANDLE handle) { handle_ = handle; }
    void StartPending() { Report(sequence_.StartPending(kStartWaitHintMs)); }
    void ProgramStarted() override { Report(sequence_.Running()); }
    void Stopping(std::uint32_t waitHintMs) override { Report(sequence_.StopPending(waitHintMs)); }
    void Stopped(ServiceExit exit) { Report(sequence_.Stopped(exit)); }
    void Repeat() { Report(sequence_.Current()); }

  private:
    void Report(const ServiceStatus& status) {
        if (handle_ == nullptr) return;
        SERVICE_STATUS raw{status.serviceType,
                           status.currentState,
                           status.controlsAccepted,
                           status.win32ExitCode,
                           status.serviceSpecificExitCode,
                           status.checkPoint,
                           status.waitHint};
        SetServiceStatus(handle_, &raw);
    }

    StatusSequence sequence_;
    SERVICE_STATUS_HANDLE handle_ = nullptr;
};

// What lives as long as the process: the control handler may be called on the
// dispatcher's thread until the very end.
struct ServiceState {
    StatusReporter reporter;
    UniqueKernelHandle stopEvent;
    std::atomic<std::uint32_t> stopHintMs{kStopTimeoutBounds.defaultValue * 2 + kKillWaitMs};
};

ServiceState& State() {
    static ServiceState state;
    return state;
}

DWORD WINAPI ControlHandler(DWORD control, DWORD, void*, void*) {
    try {
        ServiceState& state = State();
        switch (control) {
            case SERVICE_CONTROL_STOP:
            case SERVICE_CONTROL_SHUTDOWN:
                // Stop-pending is reported before anything starts to stop.
                state.reporter.Stopping(state.stopHintMs);
                SetEvent(state.stopEvent.get());
                return NO_ERROR;
            case SERVICE_CONTROL_INTERROGATE:
                state.reporter.Repeat();
                return NO_ERROR;
            default:
                return ERROR_CALL_NOT_IMPLEMENTED;
        }
    } catch (...) {
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

// The Ctrl+C the wrapper raises in the program's console reaches the wrapper too
// while it is attached there; it is never a reason for the wrapper to end.
BOOL WINAPI IgnoreConsoleEvents(DWORD) {
    return TRUE;
}

// argv[1..] of the service main: start arguments replace the stored parameter.
std::string StartArguments(DWORD argc, wchar_t** argv) {
    std::string joined;
    for (DWORD i = 1; i < argc; ++i) {
        if (argv[i] == nullptr) continue;
        if (!joined.empty()) joined += ' ';
        joined += Narrow(argv[i]);
    }
    return joined;
}

ServiceExit RunService(const std::string& name, DWORD argc, wchar_t** argv) {
    ServiceState& state = State();
    ServiceSink messages(name);
    auto read = ReadWrapperSettings(RegistrySource{}, name);
    if (!read.settings) {
        messages.Report(Severity::Error, read.error);
        return {ERROR_FILE_NOT_FOUND, 0};
    }
    WrapperSettings settings = std::move(*read.settings);
    if (argc > 1) settings.params = StartArguments(argc, argv);
    state.stopHintMs = StopBoundMs(settings);

    RotatingLog log;
    if (const auto error = log.Open(settings.logFile, settings.logMaxBytes); error != 0)
        messages.Report(Severity::Warning, "Cannot open the log file \"" + settings.logFile +
                                               "\": " + ErrorText(error) +
                                               ". The program's output is lost.");
    else
        messages.AttachLog(&log);
    for (const auto& warning : read.warnings)
        messages.Report(Severity::Warning, warning);

    SetConsoleCtrlHandler(IgnoreConsoleEvents, TRUE);
    const ServiceExit exit =
        RunPayload(settings, state.stopEvent.get(), state.reporter, messages, log, false);
    messages.Report(
        exit.win32ExitCode == 0 ? Severity::Info : Severity::Warning,
        "The service stops with exit code " + std::to_string(exit.win32ExitCode) +
            (exit.win32ExitCode == ERROR_SERVICE_SPECIFIC_ERROR
                 ? " (the program's exit code " + std::to_string(exit.specificExitCode) + ")"
                 : std::string()) +
            ".");
    return exit;
}

void WINAPI ServiceMain(DWORD argc, wchar_t** argv) {
    try {
        ServiceState& state = State();
        // The stop event exists before any control can arrive.
        state.stopEvent.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        const std::wstring name = argc > 0 && argv[0] != nullptr ? argv[0] : L"";
        const SERVICE_STATUS_HANDLE handle =
            RegisterServiceCtrlHandlerExW(name.c_str(), ControlHandler, nullptr);
        if (handle == nullptr) return;
        state.reporter.Attach(handle);
        state.reporter.StartPending();
        ServiceExit exit{ERROR_NOT_ENOUGH_MEMORY, 0};
        try {
            if (!state.stopEvent)
                exit = {GetLastError(), 0};
            else
                exit = RunService(Narrow(name), argc, argv);
        } catch (const std::bad_alloc&) {
            exit = {ERROR_NOT_ENOUGH_MEMORY, 0};
        } catch (...) {
            exit = {ERROR_PROCESS_ABORTED, 0};
        }
        state.reporter.Stopped(exit);
    } catch (...) {
        // Nothing is left to report with.
    }
}

// Console mode: Ctrl+C, Ctrl+Break and closing the console ask the payload to stop.
std::atomic<HANDLE> g_consoleStop{nullptr};

BOOL WINAPI ConsoleStop(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
        if (const HANDLE stop = g_consoleStop.load(); stop != nullptr) SetEvent(stop);
        return TRUE;
    }
    return FALSE;
}

class ConsoleEvents final : public PayloadEvents {
  public:
    explicit ConsoleEvents(MessageSink& messages) : messages_(messages) {}
    void ProgramStarted() override {
        messages_.Report(Severity::Info, "Running; press Ctrl+C to stop.");
    }
    void Stopping(std::uint32_t) override {
        if (!announced_) messages_.Report(Severity::Info, "Stopping...");
        announced_ = true;
    }

  private:
    MessageSink& messages_;
    bool announced_ = false;
};

}  // namespace

bool RunAsService(std::uint32_t& error) {
    std::wstring noName;  // the name is ignored for a service of its own process
    SERVICE_TABLE_ENTRYW table[] = {{noName.data(), ServiceMain}, {nullptr, nullptr}};
    if (StartServiceCtrlDispatcherW(table)) return true;
    error = GetLastError();
    return false;
}

std::uint32_t RunInConsole(std::string_view serviceName) {
    ConsoleSink messages;
    auto read = ReadWrapperSettings(RegistrySource{}, serviceName);
    if (!read.settings) {
        messages.Report(Severity::Error, read.error);
        return ERROR_FILE_NOT_FOUND;
    }
    for (const auto& warning : read.warnings)
        messages.Report(Severity::Warning, warning);
    const WrapperSettings& settings = *read.settings;
    RotatingLog log;
    if (const auto error = log.Open(settings.logFile, settings.logMaxBytes); error != 0)
        messages.Report(Severity::Warning, "Cannot open the log file \"" + settings.logFile +
                                               "\": " + ErrorText(error) + ".");
    else
        messages.AttachLog(&log);

    UniqueKernelHandle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stop) return GetLastError();
    g_consoleStop = stop.get();
    SetConsoleCtrlHandler(ConsoleStop, TRUE);
    ConsoleEvents events(messages);
    const ServiceExit exit = RunPayload(settings, stop.get(), events, messages, log, true);
    // The handler stays: the Ctrl+C raised for the program may still be on its way here.
    g_consoleStop = nullptr;
    return exit.win32ExitCode == ERROR_SERVICE_SPECIFIC_ERROR ? exit.specificExitCode
                                                              : exit.win32ExitCode;
}

}  // namespace vtl::wrapper::win32
