#include "wrapper/win32/ProgramRunner.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/win32/WinHandle.h"
#include "core/win32/WinString.h"
#include "wrapper/ProgramLaunch.h"
#include "wrapper/RestartPolicy.h"
#include "wrapper/WrapperArgs.h"
#include "wrapper/win32/Messages.h"
#include "wrapper/win32/RotatingLog.h"
#include "wrapper/win32/Win32Util.h"

namespace vtl::wrapper::win32 {

using vtl::win32::Narrow;
using vtl::win32::UniqueKernelHandle;
using vtl::win32::Widen;

namespace {

constexpr std::uint32_t kPollMs = 100;
constexpr std::uint32_t kReportEveryMs = 1000;
constexpr std::uint32_t kPumpDrainMs = 2000;

// Reads the program's stdout and stderr (one pipe) and writes them through to the
// log as they come.
class OutputPump {
  public:
    OutputPump() = default;
    OutputPump(const OutputPump&) = delete;
    OutputPump& operator=(const OutputPump&) = delete;
    ~OutputPump() { Finish(0); }

    // Creates the pipe and returns the write end, inheritable, for the program.
    [[nodiscard]] std::uint32_t Create(UniqueKernelHandle& writeEnd) {
        static std::atomic<unsigned> counter{0};
        const std::wstring name =
            L"\\\\.\\pipe\\VtlShell." + std::to_wstring(GetCurrentProcessId()) + L"." +
            std::to_wstring(GetTickCount64()) + L"." + std::to_wstring(++counter);
        read_.reset(CreateNamedPipeW(
            name.c_str(),
            PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
            PIPE_TYPE_BYTE | PIPE_WAIT, 1, 0, 65536, 0, nullptr));
        if (!read_) return GetLastError();
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        writeEnd.reset(CreateFileW(name.c_str(), GENERIC_WRITE, 0, &inherit, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!writeEnd) return GetLastError();
        quit_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!quit_) return GetLastError();
        return 0;
    }

    void Start(RotatingLog& log, bool echo) {
        thread_ = std::thread([this, &log, echo] { Pump(log, echo); });
    }

    // Waits up to waitMs for the output to end (every writer gone), then stops reading.
    void Finish(std::uint32_t waitMs) {
        if (!thread_.joinable()) return;
        const ULONGLONG deadline = GetTickCount64() + waitMs;
        while (!done_ && GetTickCount64() < deadline)
            Sleep(20);
        SetEvent(quit_.get());
        thread_.join();
    }

  private:
    void Pump(RotatingLog& log, bool echo) noexcept {
        try {
            UniqueKernelHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
            std::vector<char> buffer(4096);
            while (ready) {
                OVERLAPPED overlapped{};
                overlapped.hEvent = ready.get();
                ResetEvent(ready.get());
                DWORD got = 0;
                if (!ReadFile(read_.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got,
                              &overlapped)) {
                    if (GetLastError() != ERROR_IO_PENDING) break;
                    const HANDLE waits[] = {ready.get(), quit_.get()};
                    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
                        CancelIo(read_.get());
                        GetOverlappedResult(read_.get(), &overlapped, &got, TRUE);
                        if (got > 0) Deliver(log, echo, buffer.data(), got);
                        break;
                    }
                    if (!GetOverlappedResult(read_.get(), &overlapped, &got, FALSE)) break;
                }
                if (got > 0) Deliver(log, echo, buffer.data(), got);
            }
        } catch (...) {
        }
        done_ = true;
    }

    static void Deliver(RotatingLog& log, bool echo, const char* data, DWORD size) {
        log.Write(std::string_view(data, size));
        if (echo) {
            DWORD written = 0;
            WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), data, size, &written, nullptr);
        }
    }

    UniqueKernelHandle read_;
    UniqueKernelHandle quit_;
    std::thread thread_;
    std::atomic<bool> done_{false};
};

struct RunningProgram {
    UniqueKernelHandle job;
    UniqueKernelHandle process;
    DWORD processId = 0;
    OutputPump pump;
};

// Starts the program suspended, puts it into a job that kills the whole tree when
// closed, and lets it run. 0 or the error of the step that failed.
std::uint32_t StartProgram(const WrapperSettings& settings, RunningProgram& program,
                           RotatingLog& log, bool echo, MessageSink& messages) {
    const std::wstring application = Widen(settings.application);
    const DWORD attributes = GetFileAttributesW(application.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        const DWORD error =
            attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_FILE_NOT_FOUND;
        messages.Report(Severity::Error, "The program " + Quoted(settings.application) +
                                             " does not exist: " + ErrorText(error));
        return error;
    }
    if (ProgramKindOf(settings.application) == ProgramKind::Unsupported) {
        messages.Report(Severity::Error,
                        "The program " + Quoted(settings.application) +
                            " is neither a program (.exe, .com) nor a batch file (.bat, .cmd).");
        return ERROR_BAD_EXE_FORMAT;
    }
    std::string comspec = EnvironmentValue("ComSpec");
    if (comspec.empty()) {
        std::wstring system(MAX_PATH, L'\0');
        const UINT length = GetSystemDirectoryW(system.data(), MAX_PATH);
        system.resize(length < MAX_PATH ? length : 0);
        comspec = Narrow(system) + "\\cmd.exe";
    }
    const Launch launch = BuildLaunch(settings.application, settings.params, comspec);

    UniqueKernelHandle writeEnd;
    if (const auto error = program.pump.Create(writeEnd); error != 0) {
        messages.Report(Severity::Error, "Could not create the output pipe: " + ErrorText(error));
        return error;
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    UniqueKernelHandle input(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         &inherit, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));

    program.job.reset(CreateJobObjectW(nullptr, nullptr));
    if (!program.job) {
        const DWORD error = GetLastError();
        messages.Report(Severity::Error, "Could not create a job object: " + ErrorText(error));
        return error;
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(program.job.get(), JobObjectExtendedLimitInformation, &limits,
                                 sizeof limits)) {
        const DWORD error = GetLastError();
        messages.Report(Severity::Error, "Could not set up the job object: " + ErrorText(error));
        return error;
    }

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = writeEnd.get();
    std::wstring commandLine = Widen(launch.commandLine);
    const std::wstring image = Widen(launch.application);
    const std::wstring folder = Widen(FolderOf(settings.application));
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(image.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        const DWORD error = GetLastError();
        messages.Report(Severity::Error, "Could not start " + Quoted(settings.application) + ": " +
                                             ErrorText(error));
        return error;
    }
    program.process.reset(info.hProcess);
    UniqueKernelHandle thread(info.hThread);
    program.processId = info.dwProcessId;
    if (!AssignProcessToJobObject(program.job.get(), info.hProcess)) {
        const DWORD error = GetLastError();
        TerminateProcess(info.hProcess, 1);
        messages.Report(Severity::Error,
                        "Could not put the program into a job object: " + ErrorText(error));
        return error;
    }
    writeEnd.reset();  // the program holds the only write ends now
    program.pump.Start(log, echo);
    ResumeThread(thread.get());
    return 0;
}

std::vector<DWORD> ProcessesOf(HANDLE job) {
    std::vector<unsigned char> buffer(sizeof(JOBOBJECT_BASIC_PROCESS_ID_LIST) +
                                      64 * sizeof(ULONG_PTR));
    for (int tries = 0; tries < 8; ++tries) {
        if (QueryInformationJobObject(job, JobObjectBasicProcessIdList, buffer.data(),
                                      static_cast<DWORD>(buffer.size()), nullptr)) {
            const auto* list =
                reinterpret_cast<const JOBOBJECT_BASIC_PROCESS_ID_LIST*>(buffer.data());
            std::vector<DWORD> ids;
            for (DWORD i = 0; i < list->NumberOfProcessIdsInList; ++i)
                ids.push_back(static_cast<DWORD>(list->ProcessIdList[i]));
            return ids;
        }
        if (GetLastError() != ERROR_MORE_DATA) break;
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

// True when no process of the tree is left (the program alone when the job
// cannot tell).
bool TreeEnded(const RunningProgram& program) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    if (QueryInformationJobObject(program.job.get(), JobObjectBasicAccountingInformation,
                                  &accounting, sizeof accounting, nullptr))
        return accounting.ActiveProcesses == 0;
    return WaitForSingleObject(program.process.get(), 0) == WAIT_OBJECT_0;
}

// Waits up to waitMs for the tree to end, advancing the stop's check point.
bool WaitTreeEnded(const RunningProgram& program, std::uint32_t waitMs, std::uint32_t restMs,
                   PayloadEvents& events) {
    const ULONGLONG begin = GetTickCount64();
    ULONGLONG lastReport = begin;
    while (true) {
        if (TreeEnded(program)) return true;
        const ULONGLONG now = GetTickCount64();
        if (now - begin >= waitMs) return false;
        if (now - lastReport >= kReportEveryMs) {
            lastReport = now;
            events.Stopping(static_cast<std::uint32_t>(waitMs - (now - begin)) + restMs);
        }
        if (WaitForSingleObject(program.process.get(), 0) == WAIT_OBJECT_0)
            Sleep(kPollMs);
        else
            WaitForSingleObject(program.process.get(), kPollMs);
    }
}

// Raises Ctrl+C in the console of the program's tree: attaches to it through the
// first process of the tree that lets it, and then goes back to its own console
// (the console mode has one). The wrapper's own handler ignores the event.
bool SendCtrlC(const RunningProgram& program) {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    const bool outIsConsole = GetConsoleMode(out, &mode) != FALSE;
    const bool errIsConsole = GetConsoleMode(err, &mode) != FALSE;
    const bool hadConsole = GetConsoleWindow() != nullptr || outIsConsole || errIsConsole;
    std::vector<DWORD> processes = ProcessesOf(program.job.get());
    processes.insert(processes.begin(), program.processId);
    FreeConsole();
    bool sent = false;
    for (const DWORD id : processes) {
        if (!AttachConsole(id)) continue;
        sent = GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) != FALSE;
        FreeConsole();
        break;
    }
    if (hadConsole && AttachConsole(ATTACH_PARENT_PROCESS)) {
        const HANDLE console =
            CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (console != INVALID_HANDLE_VALUE) {
            if (outIsConsole) SetStdHandle(STD_OUTPUT_HANDLE, console);
            if (errIsConsole) SetStdHandle(STD_ERROR_HANDLE, console);
            if (!outIsConsole && !errIsConsole) CloseHandle(console);
        }
    }
    return sent;
}

struct WindowSearch {
    const std::vector<DWORD>* processes;
    int closed;
};

BOOL CALLBACK CloseWindowOf(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (std::find(search->processes->begin(), search->processes->end(), owner) !=
        search->processes->end()) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        ++search->closed;
    }
    return TRUE;
}

// The program's exit code once it has been stopped.
std::uint32_t StopProgram(RunningProgram& program, const WrapperSettings& settings,
                          PayloadEvents& events, MessageSink& messages) {
    const std::uint32_t step = settings.stopTimeoutMs;
    events.Stopping(StopBoundMs(settings));
    bool ended = false;
    if (SendCtrlC(program)) ended = WaitTreeEnded(program, step, step + kKillWaitMs, events);
    if (!ended) {
        std::vector<DWORD> processes = ProcessesOf(program.job.get());
        if (processes.empty()) processes.push_back(program.processId);
        WindowSearch search{&processes, 0};
        EnumWindows(CloseWindowOf, reinterpret_cast<LPARAM>(&search));
        events.Stopping(step + kKillWaitMs);
        if (search.closed > 0) ended = WaitTreeEnded(program, step, kKillWaitMs, events);
    }
    if (!ended) {
        messages.Report(Severity::Warning,
                        "The program did not end within the stop timeout; ending its processes.");
        TerminateJobObject(program.job.get(), 1);
        events.Stopping(kKillWaitMs);
        WaitTreeEnded(program, kKillWaitMs, 0, events);
    }
    DWORD code = 0;
    if (!GetExitCodeProcess(program.process.get(), &code)) code = 1;
    return code;
}

std::string Seconds(ULONGLONG ms) {
    return std::to_string(ms / 1000) + "." + std::to_string(ms % 1000 / 100) + " s";
}

}  // namespace

std::uint32_t StopBoundMs(const WrapperSettings& settings) {
    return 2 * settings.stopTimeoutMs + kKillWaitMs;
}

ServiceExit RunPayload(const WrapperSettings& settings, HANDLE stopEvent, PayloadEvents& events,
                       MessageSink& messages, RotatingLog& log, bool echoOutput) {
    if (const auto error = ProgramPathError(settings.application); !error.empty()) {
        messages.Report(Severity::Error, error);
        return {ERROR_FILENAME_EXCED_RANGE, 0};
    }
    RestartBackoff backoff(settings.restartDelayMs, settings.restartDelayMaxMs,
                           settings.restartResetMs);
    bool started = false;
    while (true) {
        RunningProgram program;
        if (const auto error = StartProgram(settings, program, log, echoOutput, messages);
            error != 0)
            return {error, 0};
        messages.Report(Severity::Info,
                        "Started " + Quoted(settings.application) +
                            (settings.params.empty() ? std::string(" without arguments")
                                                     : " with the arguments " + settings.params) +
                            " (process " + std::to_string(program.processId) + ").");
        if (!started) {
            started = true;
            events.ProgramStarted();
        }
        const ULONGLONG begin = GetTickCount64();
        const HANDLE waits[] = {stopEvent, program.process.get()};
        const DWORD which = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (which != WAIT_OBJECT_0 + 1) {
            const std::uint32_t code = StopProgram(program, settings, events, messages);
            program.pump.Finish(kPumpDrainMs);
            messages.Report(Severity::Info, "The program was stopped; its exit code is " +
                                                std::to_string(code) + ".");
            return ExitForProgramCode(code);
        }
        DWORD code = 0;
        if (!GetExitCodeProcess(program.process.get(), &code)) code = 1;
        const ULONGLONG ran = GetTickCount64() - begin;
        TerminateJobObject(program.job.get(), 1);  // what it left behind
        program.pump.Finish(kPumpDrainMs);
        messages.Report(code == 0 ? Severity::Info : Severity::Warning,
                        "The program ended by itself with exit code " + std::to_string(code) +
                            " after " + Seconds(ran) + ".");
        if (settings.onExit == OnExit::Stop) {
            messages.Report(Severity::Info, "The service stops (OnExit is stop).");
            return ExitForProgramCode(code);
        }
        const std::uint32_t delay = backoff.DelayAfterRun(ran);
        messages.Report(Severity::Info, "Restarting the program in " + Seconds(delay) +
                                            " (restart " + std::to_string(backoff.attempt()) +
                                            " in a row).");
        if (WaitForSingleObject(stopEvent, delay) != WAIT_TIMEOUT) {
            events.Stopping(kKillWaitMs);
            return {};
        }
    }
}

}  // namespace vtl::wrapper::win32
