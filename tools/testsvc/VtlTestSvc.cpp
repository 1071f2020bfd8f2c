// VtlTestSvc.exe: a small real service whose behaviour comes from the options
// of its command path (core/testsvc/TestServiceOptions.h). Tests create it with
// the options they need and watch the service manager's view of it.

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/testsvc/TestServiceOptions.h"
#include "core/win32/WinHandle.h"
#include "core/win32/WinString.h"
#include "core/win32/Windows.h"

namespace {

using vtl::testsvc::TestServiceOptions;
using Clock = std::chrono::steady_clock;

// Pending states report progress at least this often.
constexpr DWORD kProgressMs = 250;
// Added to the remaining pending time in every wait hint.
constexpr DWORD kWaitHintSlackMs = 2000;

bool IsPending(DWORD state) {
    return state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING ||
           state == SERVICE_PAUSE_PENDING || state == SERVICE_CONTINUE_PENDING;
}

// One run of the service: its status as reported to the service manager and the
// controls the handler has passed on to the service's own thread.
class TestService {
  public:
    explicit TestService(std::optional<TestServiceOptions> options)
        : options_(std::move(options)) {}

    void Run(DWORD argc, LPWSTR* argv) noexcept;
    DWORD OnControl(DWORD control) noexcept;

  private:
    // Reports a state; pending states count their check point up, others reset it.
    void Report(DWORD state, DWORD waitHint = 0, DWORD win32ExitCode = NO_ERROR,
                DWORD specificExitCode = 0);
    // For the control handler: reports the pending state of a control only
    // while the service runs or is paused; false otherwise.
    bool ReportControlPending(DWORD state, DWORD waitHint);
    void ReportLocked(DWORD state, DWORD waitHint, DWORD win32ExitCode, DWORD specificExitCode);
    DWORD AcceptedControls() const;
    // Waits for the next control until the deadline; nullopt when it passed.
    std::optional<DWORD> NextControl(std::optional<Clock::time_point> deadline);
    // Stays in a pending state for ms, reporting progress.
    void StayPending(DWORD state, DWORD ms);
    // Reports a pending state for ever (a hung service).
    [[noreturn]] void HangIn(DWORD state);
    void WriteMarker() const;
    void Serve();

    std::optional<TestServiceOptions> options_;
    SERVICE_STATUS_HANDLE statusHandle_ = nullptr;
    std::mutex mutex_;
    std::condition_variable changed_;
    SERVICE_STATUS status_{};
    std::deque<DWORD> controls_;
    std::vector<std::string> startArguments_;  // of StartService, UTF-8
};

TestService* g_service = nullptr;  // set once by wmain before the dispatcher runs

DWORD WINAPI ControlHandler(DWORD control, DWORD, LPVOID, LPVOID context) {
    return static_cast<TestService*>(context)->OnControl(control);
}

void WINAPI ServiceMain(DWORD argc, LPWSTR* argv) {
    g_service->Run(argc, argv);
}

DWORD TestService::AcceptedControls() const {
    DWORD accepted = 0;
    if (options_ && options_->acceptStop) accepted |= SERVICE_ACCEPT_STOP;
    if (options_ && options_->acceptPause) accepted |= SERVICE_ACCEPT_PAUSE_CONTINUE;
    return accepted;
}

void TestService::Report(DWORD state, DWORD waitHint, DWORD win32ExitCode, DWORD specificExitCode) {
    std::lock_guard lock(mutex_);
    ReportLocked(state, waitHint, win32ExitCode, specificExitCode);
}

bool TestService::ReportControlPending(DWORD state, DWORD waitHint) {
    std::lock_guard lock(mutex_);
    // A control that meets a service already stopping (it stopped by itself
    // meanwhile) changes nothing.
    if (status_.dwCurrentState != SERVICE_RUNNING && status_.dwCurrentState != SERVICE_PAUSED)
        return false;
    ReportLocked(state, waitHint, NO_ERROR, 0);
    return true;
}

void TestService::ReportLocked(DWORD state, DWORD waitHint, DWORD win32ExitCode,
                               DWORD specificExitCode) {
    status_.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    if (IsPending(state))
        status_.dwCheckPoint = status_.dwCurrentState == state ? status_.dwCheckPoint + 1 : 1;
    else
        status_.dwCheckPoint = 0;
    status_.dwCurrentState = state;
    // No control is accepted while starting, or once stopping.
    status_.dwControlsAccepted = (state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING ||
                                  state == SERVICE_STOPPED)
                                     ? 0
                                     : AcceptedControls();
    status_.dwWin32ExitCode = win32ExitCode;
    status_.dwServiceSpecificExitCode = specificExitCode;
    status_.dwWaitHint = waitHint;
    SetServiceStatus(statusHandle_, &status_);
}

DWORD TestService::OnControl(DWORD control) noexcept {
    try {
        switch (control) {
            case SERVICE_CONTROL_INTERROGATE:
                return NO_ERROR;
            case SERVICE_CONTROL_STOP:
            case SERVICE_CONTROL_SHUTDOWN:
                if (!options_ || !options_->acceptStop) return ERROR_CALL_NOT_IMPLEMENTED;
                // Stop pending before the stop begins, so the caller sees it at once.
                if (!ReportControlPending(SERVICE_STOP_PENDING,
                                          options_->stopMs + kWaitHintSlackMs))
                    return ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
                break;
            case SERVICE_CONTROL_PAUSE:
                if (!options_ || !options_->acceptPause) return ERROR_CALL_NOT_IMPLEMENTED;
                if (!ReportControlPending(SERVICE_PAUSE_PENDING, kWaitHintSlackMs))
                    return ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
                break;
            case SERVICE_CONTROL_CONTINUE:
                if (!options_ || !options_->acceptPause) return ERROR_CALL_NOT_IMPLEMENTED;
                if (!ReportControlPending(SERVICE_CONTINUE_PENDING, kWaitHintSlackMs))
                    return ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
                break;
            default:
                return ERROR_CALL_NOT_IMPLEMENTED;
        }
        {
            std::lock_guard lock(mutex_);
            controls_.push_back(control);
        }
        changed_.notify_all();
        return NO_ERROR;
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

std::optional<DWORD> TestService::NextControl(std::optional<Clock::time_point> deadline) {
    std::unique_lock lock(mutex_);
    if (deadline) {
        if (!changed_.wait_until(lock, *deadline, [&] { return !controls_.empty(); }))
            return std::nullopt;
    } else {
        changed_.wait(lock, [&] { return !controls_.empty(); });
    }
    const DWORD control = controls_.front();
    controls_.pop_front();
    return control;
}

void TestService::StayPending(DWORD state, DWORD ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0) return;
        const DWORD slice = left < kProgressMs ? static_cast<DWORD>(left) : kProgressMs;
        Report(state, static_cast<DWORD>(left) + kWaitHintSlackMs);
        ::Sleep(slice);
    }
}

void TestService::HangIn(DWORD state) {
    for (;;) {
        Report(state, kProgressMs + kWaitHintSlackMs);
        ::Sleep(kProgressMs);
    }
}

void TestService::WriteMarker() const {
    if (options_->marker.empty()) return;
    const std::wstring path = vtl::win32::Widen(options_->marker);
    // A test may be reading the file at this moment: share it for reading, and
    // try again for a while when the reader's own sharing refuses the write.
    vtl::win32::UniqueKernelHandle file;
    for (int attempt = 0; attempt < 100; ++attempt) {
        file.reset(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file || GetLastError() != ERROR_SHARING_VIOLATION) break;
        ::Sleep(20);
    }
    if (!file) return;
    // "RUNNING", then the arguments StartService passed, one a line.
    std::string text = "RUNNING\r\n";
    for (const auto& argument : startArguments_)
        text += argument + "\r\n";
    DWORD written = 0;
    ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void TestService::Serve() {
    if (!options_) {
        // Options it does not know: a start that begins and fails (see
        // TestServiceOptions.h), as the simulation shows it too.
        StayPending(SERVICE_START_PENDING, vtl::testsvc::kBadOptionsPendingMs);
        Report(SERVICE_STOPPED, 0, vtl::testsvc::kBadOptionsExitCode);
        return;
    }
    const TestServiceOptions& options = *options_;
    const DWORD ownExitCode = options.Win32ExitCode();
    const DWORD ownSpecific = options.specific.value_or(0);

    Report(SERVICE_START_PENDING, options.startMs + kWaitHintSlackMs);
    if (options.hangStart) HangIn(SERVICE_START_PENDING);
    StayPending(SERVICE_START_PENDING, options.startMs);
    if (options.failStart) {
        Report(SERVICE_STOPPED, 0, ownExitCode, ownSpecific);
        return;
    }
    Report(SERVICE_RUNNING);
    WriteMarker();

    std::optional<Clock::time_point> selfStop;
    if (options.runMs) selfStop = Clock::now() + std::chrono::milliseconds(*options.runMs);
    for (;;) {
        const auto control = NextControl(selfStop);
        if (!control) {  // the run time is over: it stops by itself
            Report(SERVICE_STOPPED, 0, ownExitCode, ownSpecific);
            return;
        }
        switch (*control) {
            case SERVICE_CONTROL_STOP:
            case SERVICE_CONTROL_SHUTDOWN:
                if (options.hangStop) HangIn(SERVICE_STOP_PENDING);
                StayPending(SERVICE_STOP_PENDING, options.stopMs);
                Report(SERVICE_STOPPED);
                return;
            case SERVICE_CONTROL_PAUSE:
                Report(SERVICE_PAUSED);
                break;
            case SERVICE_CONTROL_CONTINUE:
                Report(SERVICE_RUNNING);
                break;
            default:
                break;
        }
    }
}

void TestService::Run(DWORD argc, LPWSTR* argv) noexcept {
    const wchar_t* name = argc > 0 ? argv[0] : L"VtlTestSvc";
    statusHandle_ = RegisterServiceCtrlHandlerExW(name, ControlHandler, this);
    if (statusHandle_ == nullptr) return;
    try {
        for (DWORD i = 1; i < argc; ++i)
            startArguments_.push_back(vtl::win32::Narrow(argv[i]));
        Serve();
    } catch (...) {
        // Whatever went wrong, the service manager learns that the service ended.
        SERVICE_STATUS stopped{};
        stopped.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
        stopped.dwCurrentState = SERVICE_STOPPED;
        stopped.dwWin32ExitCode = ERROR_PROCESS_ABORTED;
        SetServiceStatus(statusHandle_, &stopped);
    }
}

std::optional<TestServiceOptions> OptionsOfThisProcess() {
    const auto arguments = vtl::testsvc::SplitCommandLine(vtl::win32::Narrow(GetCommandLineW()));
    if (!arguments) return std::nullopt;
    return vtl::testsvc::ParseTestServiceArguments(*arguments);
}

}  // namespace

int wmain() {
    try {
        TestService service(OptionsOfThisProcess());
        g_service = &service;
        wchar_t name[] = L"VtlTestSvc";  // ignored for a service in a process of its own
        const SERVICE_TABLE_ENTRYW table[] = {{name, ServiceMain}, {nullptr, nullptr}};
        if (!StartServiceCtrlDispatcherW(table)) {
            const DWORD error = GetLastError();
            if (error == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT)
                std::fputs("VtlTestSvc.exe runs only as a service.\n", stderr);
            return static_cast<int>(error);
        }
        return 0;
    } catch (const std::exception&) {
        return ERROR_PROCESS_ABORTED;
    }
}
