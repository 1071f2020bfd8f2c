// VtlShell.exe against Wine's real service manager: installed from a batch file
// line, started through VtlIns.dll, its program run, logged, stopped with its
// whole process tree, removed. Every test deletes its service and folder.
//
// Wine facts these tests live with: services run as the Unix user, whatever
// account is configured; they die with the wine server, so the test run keeps
// one server for all of them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/win32/CompanionAbi.h"
#include "core/win32/WinHandle.h"
#include "core/win32/WinString.h"
#include "wrapper/testing/WineServiceTest.h"

namespace vtl::testing {
namespace {

using vtl::win32::UniqueKernelHandle;
using vtl::win32::UniqueLibrary;

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kStopTimeoutMs = 30000;

std::wstring Services(const std::wstring& name) {
    return L"SYSTEM\\CurrentControlSet\\Services\\" + name;
}

// A folder with VtlShell.exe and the probe, and the service name of the test.
class WrapperTest : public ::testing::Test {
  protected:
    WrapperTest()
        : folder_(L"vtl shell"), name_(UniqueServiceName(L"Vtl Wrapped")), guard_(name_) {}

    void SetUp() override {
        ASSERT_TRUE(CopyInto(BinFolder() + L"\\VtlShell.exe", folder_));
        ASSERT_TRUE(CopyInto(BinFolder() + L"\\VtlChildProbe.exe", folder_));
        library_.reset(LoadLibraryW(L"VtlIns.dll"));
        ASSERT_TRUE(library_) << GetLastError();
        start_ = reinterpret_cast<vtl::win32::VTLStartServiceFn>(
            reinterpret_cast<void*>(GetProcAddress(library_.get(), "VTLStartService")));
        ASSERT_NE(start_, nullptr);
    }

    // Runs a line as a batch file does: from a .bat in the folder, through cmd.
    RunResult RunBatchLine(const std::string& line, const std::wstring& batchName = L"line.bat") {
        WriteFileBytes(folder_ / batchName, "@echo off\r\n" + line + "\r\n");
        return RunBatch(batchName);
    }
    RunResult RunBatch(const std::wstring& batchName) {
        const std::wstring cmd = ComSpec();
        return RunProcess(cmd, L"\"" + cmd + L"\" /d /s /c \"\"" + (folder_ / batchName) + L"\"\"",
                          folder_.path());
    }
    static std::wstring ComSpec() {
        std::wstring value(MAX_PATH, L'\0');
        value.resize(GetEnvironmentVariableW(L"ComSpec", value.data(), MAX_PATH));
        return value;
    }

    // Installs run.bat (given) with the exact install line form, demand start.
    void InstallBatch(const std::string& batch) {
        WriteFileBytes(folder_ / L"run.bat", batch);
        const auto result =
            RunBatchLine("VtlShell -install \"" + Ansi(name_) + "\" -demand -power \"run.bat\"");
        ASSERT_EQ(result.exitCode, 0u) << result.output;
    }
    // Installs the probe itself, without a start type, with these arguments (its
    // heartbeat file first) as the stored parameter.
    void InstallProbe(const std::wstring& arguments) {
        const auto result =
            RunBatchLine("VtlShell -install \"" + Ansi(name_) + "\" -power \"VtlChildProbe.exe\"");
        ASSERT_EQ(result.exitCode, 0u) << result.output;
        WriteRegString(Services(name_) + L"\\VTLParams", L"Params",
                       L"\"" + (folder_ / L"hb.txt") + L"\" " + arguments);
    }
    void ExpectStoppedWithProgramCode(DWORD code) {
        const auto status = QueryStatus(name_);
        EXPECT_EQ(status.dwWin32ExitCode, static_cast<DWORD>(ERROR_SERVICE_SPECIFIC_ERROR));
        EXPECT_EQ(status.dwServiceSpecificExitCode, code);
    }

    // VTLStartService; the thread's exit code once it has ended.
    DWORD StartThroughLibrary(const char* computer, const char* parameter,
                              DWORD* firstCode = nullptr) {
        UniqueKernelHandle thread(start_(Ansi(name_).c_str(), computer, parameter));
        EXPECT_TRUE(thread);
        if (!thread) return 0xFFFFFFFF;
        DWORD code = 0;
        GetExitCodeThread(thread.get(), &code);
        if (firstCode != nullptr) *firstCode = code;
        EXPECT_TRUE(WaitUntil(
            [&] { return GetExitCodeThread(thread.get(), &code) && code != STILL_ACTIVE; },
            kStartTimeoutMs));
        return code;
    }

    bool WaitForState(DWORD state, DWORD timeoutMs) {
        return WaitUntil([&] { return QueryStatus(name_).dwCurrentState == state; }, timeoutMs);
    }

    std::string Log() const { return ReadFileBytes(folder_ / L"run.log"); }

    void SetDword(const std::wstring& value, DWORD data) {
        WriteRegDword(Services(name_) + L"\\parameters", value, data);
    }

    TempFolder folder_;
    std::wstring name_;
    ServiceGuard guard_;
    UniqueLibrary library_;
    vtl::win32::VTLStartServiceFn start_ = nullptr;
};

const std::string kProbeBatch =
    "@echo off\r\n"
    "echo batch started %* > \"%~dp0started.txt\"\r\n"
    "echo hello from the batch file\r\n"
    "VtlChildProbe.exe \"%~dp0heartbeat.txt\" --marker \"%~dp0marker.txt\"\r\n";

TEST_F(WrapperTest, InstalledFromTheBatchFilesRunsStopsWithItsTreeAndIsRemoved) {
    // The install and uninstall files as the export writes them.
    const std::string name = Ansi(name_);
    WriteFileBytes(folder_ / L"run.bat", kProbeBatch);
    WriteFileBytes(
        folder_ / L"inst.bat",
        "\r\n# Vantrel test\r\n#\r\n# This batch file installs " + name +
            " service.\r\n# Run this batch file to install.\r\n \r\nVtlShell -install \"" + name +
            "\" -demand -power \"run.bat\"\r\n");
    WriteFileBytes(folder_ / L"uninst.bat",
                   "\r\n# Vantrel test\r\n#\r\n \r\nVtlShell -remove \"" + name + "\"\r\n");
    const auto installed = RunBatch(L"inst.bat");
    ASSERT_EQ(installed.exitCode, 0u) << installed.output;
    EXPECT_TRUE(Holds(installed.output, "is installed"));

    const auto config = QueryConfig(name_);
    EXPECT_EQ(config.binaryPath, L"\"" + (folder_ / L"VtlShell.exe") + L"\"");
    EXPECT_EQ(config.startType, static_cast<DWORD>(SERVICE_DEMAND_START));
    EXPECT_EQ(config.serviceType, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
    EXPECT_EQ(ReadRegString(Services(name_) + L"\\parameters", L"Application"),
              folder_ / L"run.bat");

    // Started through the companion library: under way first, then done.
    const std::string computer = "\\\\" + Ansi(ComputerName());
    DWORD first = 0;
    EXPECT_EQ(StartThroughLibrary(computer.c_str(), nullptr, &first), 0u);
    EXPECT_EQ(first, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(QueryStatus(name_).dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));

    // The batch file ran, and so does the program it started.
    ASSERT_TRUE(WaitForText(folder_ / L"run.log", " running"));
    EXPECT_TRUE(FileExists(folder_ / L"started.txt"));
    const std::string log = Log();
    EXPECT_TRUE(Holds(log, "hello from the batch file"));
    const DWORD cmd = NumberAfter(log, "(process ");
    const DWORD probe = NumberAfter(log, "probe ");
    ASSERT_NE(cmd, 0u) << log;
    ASSERT_NE(probe, 0u) << log;
    EXPECT_TRUE(ProcessAlive(cmd));
    EXPECT_TRUE(ProcessAlive(probe));
    const std::string beat = ReadFileBytes(folder_ / L"heartbeat.txt");
    EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(folder_ / L"heartbeat.txt") != beat; }, 5000));

    // Stopped: gracefully (the probe saw Ctrl+C), and nothing of the tree is left.
    ASSERT_EQ(StopService(name_), 0u);
    ASSERT_TRUE(WaitForState(SERVICE_STOPPED, kStopTimeoutMs));
    EXPECT_EQ(ReadFileBytes(folder_ / L"marker.txt"), "ctrl");
    EXPECT_FALSE(ProcessAlive(cmd));
    EXPECT_FALSE(ProcessAlive(probe));
    const std::string last = ReadFileBytes(folder_ / L"heartbeat.txt");
    Sleep(300);
    EXPECT_EQ(ReadFileBytes(folder_ / L"heartbeat.txt"), last);
    EXPECT_TRUE(Holds(Log(), "The program was stopped"));

    const auto removed = RunBatch(L"uninst.bat");
    EXPECT_EQ(removed.exitCode, 0u) << removed.output;
    EXPECT_TRUE(Holds(removed.output, "is removed"));
    EXPECT_TRUE(WaitUntil([&] { return QueryConfig(name_).binaryPath.empty(); }, 5000));
}

TEST_F(WrapperTest, RemoveStopsARunningServiceFirst) {
    InstallBatch(kProbeBatch);
    ASSERT_EQ(StartThroughLibrary(nullptr, nullptr), 0u);
    ASSERT_TRUE(WaitForText(folder_ / L"run.log", "probe "));
    const DWORD probe = NumberAfter(Log(), "probe ");
    const auto removed = RunBatchLine("VtlShell -remove \"" + Ansi(name_) + "\"");
    EXPECT_EQ(removed.exitCode, 0u) << removed.output;
    EXPECT_FALSE(ProcessAlive(probe));
    EXPECT_TRUE(WaitUntil([&] { return QueryConfig(name_).binaryPath.empty(); }, 5000));
}

TEST_F(WrapperTest, TheStartParameterReplacesTheStoredOneForThatRun) {
    InstallBatch(kProbeBatch);
    WriteRegString(Services(name_) + L"\\VTLParams", L"Params", L"from the registry");
    ASSERT_EQ(StartThroughLibrary(Ansi(ComputerName()).c_str(), "alpha beta"), 0u);
    EXPECT_TRUE(WaitForText(folder_ / L"started.txt", "batch started alpha beta"));
    ASSERT_EQ(StopService(name_), 0u);
    ASSERT_TRUE(WaitForState(SERVICE_STOPPED, kStopTimeoutMs));

    DeleteFileW((folder_ / L"started.txt").c_str());
    ASSERT_EQ(StartThroughLibrary(nullptr, nullptr), 0u);
    EXPECT_TRUE(WaitForText(folder_ / L"started.txt", "batch started from the registry"));
}

TEST_F(WrapperTest, AProgramThatIgnoresCtrlCIsEndedWithItsTreeWithinTheBound) {
    // The batch file gives up on Ctrl+C; the program it started does not.
    InstallBatch(
        "@echo off\r\nVtlChildProbe.exe \"%~dp0heartbeat.txt\" --ignore-ctrl --marker "
        "\"%~dp0marker.txt\"\r\n");
    SetDword(L"StopTimeoutMs", 2500);
    ASSERT_EQ(StartThroughLibrary(nullptr, nullptr), 0u);
    ASSERT_TRUE(WaitForText(folder_ / L"run.log", "probe "));
    const DWORD probe = NumberAfter(Log(), "probe ");
    const ULONGLONG begin = GetTickCount64();
    ASSERT_EQ(StopService(name_), 0u);
    // While it waits, the service says it is stopping, with advancing check points
    // and a wait hint that covers what is left.
    std::vector<DWORD> checkPoints;
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto status = QueryStatus(name_);
            if (status.dwCurrentState == SERVICE_STOP_PENDING) {
                EXPECT_GT(status.dwWaitHint, 0u);
                EXPECT_LE(status.dwWaitHint, 2 * 2500 + 5000u);
                if (checkPoints.empty() || checkPoints.back() != status.dwCheckPoint)
                    checkPoints.push_back(status.dwCheckPoint);
            }
            return status.dwCurrentState == SERVICE_STOPPED;
        },
        kStopTimeoutMs));
    EXPECT_LT(GetTickCount64() - begin, 2 * 2500 + 5000 + 2000u);
    ASSERT_GE(checkPoints.size(), 3u) << ::testing::PrintToString(checkPoints) << Log();
    for (std::size_t i = 1; i < checkPoints.size(); ++i)
        EXPECT_GT(checkPoints[i], checkPoints[i - 1]);
    EXPECT_FALSE(ProcessAlive(probe));
    EXPECT_FALSE(FileExists(folder_ / L"marker.txt"));  // it never ended by itself
    EXPECT_TRUE(Holds(Log(), "ending its processes"));
}

TEST_F(WrapperTest, AProgramWithAWindowIsAskedToCloseIt) {
    InstallProbe(L"--ignore-ctrl --window --marker \"" + (folder_ / L"marker.txt") + L"\"");
    SetDword(L"StopTimeoutMs", 2000);
    ASSERT_EQ(StartThroughLibrary(nullptr, nullptr), 0u);
    const std::wstring log = folder_ / L"VtlChildProbe.log";
    ASSERT_TRUE(WaitForText(folder_ / L"VtlChildProbe.log", "window "));
    if (Holds(ReadFileBytes(log), "window failed"))
        GTEST_SKIP() << "no display: Wine creates no windows";
    ASSERT_EQ(StopService(name_), 0u);
    ASSERT_TRUE(WaitForState(SERVICE_STOPPED, kStopTimeoutMs));
    EXPECT_EQ(ReadFileBytes(folder_ / L"marker.txt"), "close");
    ExpectStoppedWithProgramCode(8);
}

TEST_F(WrapperTest, AProgramEndedByForceStopsTheServiceWithTheTerminationCode) {
    InstallProbe(L"--ignore-ctrl");
    // Without a start type the service starts on demand.
    EXPECT_EQ(QueryConfig(name_).startType, static_cast<DWORD>(SERVICE_DEMAND_START));
    SetDword(L"StopTimeoutMs", 200);
    ASSERT_EQ(StartThroughLibrary(nullptr, nullptr), 0u);
    ASSERT_EQ(StopService(name_), 0u);
    ASSERT_TRUE(WaitForState(SERVICE_STOPPED, kStopTimeoutMs));
    ExpectStoppedWithProgramCode(1);
}

TEST_F(WrapperTest, AProgramEndingByItselfStopsTheServiceWithItsExitCode) {
    InstallProbe(L"--exit-after-ms 300 --exit-code 3");
    ASSERT_EQ(StartThroughLibrary(nullptr, nullptr), 0u);
    ASSERT_TRUE(WaitForState(SERVICE_STOPPED, kStopTimeoutMs));
    ExpectStoppedWithProgramCode(3);
    const std::string log = ReadFileBytes(folder_ / L"VtlChildProbe.log");
    EXPECT_TRUE(Holds(log, "ended by itself with exit code 3"));
}

TEST_F(WrapperTest, RestartsAProgramThatKeepsEndingWithGrowingDelays) {
    InstallBatch("@echo off\r\necho run >> \"%~dp0runs.txt\"\r\nexit /b 4\r\n");
    WriteRegString(Services(name_) + L"\\parameters", L"OnExit", L"restart");
    SetDword(L"RestartDelayMs", 100);
    ASSERT_EQ(StartThroughLibrary(nullptr, nullptr), 0u);
    auto runs = [&] {
        const std::string text = ReadFileBytes(folder_ / L"runs.txt");
        std::size_t count = 0;
        for (std::size_t at = text.find("run"); at != std::string::npos;
             at = text.find("run", at + 1))
            ++count;
        return count;
    };
    ASSERT_TRUE(WaitUntil([&] { return runs() >= 3; }, 20000)) << Log();
    EXPECT_EQ(QueryStatus(name_).dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
    const std::string log = Log();
    EXPECT_TRUE(Holds(log, "Restarting the program in 0.1 s (restart 1 in a row)"));
    EXPECT_TRUE(Holds(log, "Restarting the program in 0.2 s (restart 2 in a row)"));
    ASSERT_EQ(StopService(name_), 0u);
    ASSERT_TRUE(WaitForState(SERVICE_STOPPED, kStopTimeoutMs));
}

TEST_F(WrapperTest, TheLogIsRotatedBySizeKeepingOnePreviousFile) {
    InstallProbe(L"--print 300 --exit-after-ms 0");
    SetDword(L"LogMaxBytes", 4096);
    ASSERT_EQ(StartThroughLibrary(nullptr, nullptr), 0u);
    ASSERT_TRUE(WaitForState(SERVICE_STOPPED, kStopTimeoutMs));
    const std::string current = ReadFileBytes(folder_ / L"VtlChildProbe.log");
    const std::string previous = ReadFileBytes(folder_ / L"VtlChildProbe.log.1");
    EXPECT_FALSE(current.empty());
    EXPECT_FALSE(previous.empty());
    EXPECT_LE(current.size(), 4096u);
    EXPECT_LE(previous.size(), 4096u);
    // The newest lines are in the current file.
    EXPECT_TRUE(Holds(current, "ended by itself"));
}

TEST_F(WrapperTest, AServiceWhoseProgramIsGoneStopsWithTheError) {
    InstallBatch(kProbeBatch);
    DeleteFileW((folder_ / L"run.bat").c_str());
    // The start request itself succeeds; the service stops at once and says why.
    EXPECT_EQ(StartThroughLibrary(nullptr, nullptr), 0u);
    ASSERT_TRUE(WaitForState(SERVICE_STOPPED, kStopTimeoutMs));
    EXPECT_EQ(QueryStatus(name_).dwWin32ExitCode, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(Holds(Log(), "does not exist"));
}

TEST_F(WrapperTest, ConsoleModeRunsTheServicesProgramHere) {
    InstallProbe(L"--exit-after-ms 200 --exit-code 5");
    const auto run = RunBatchLine("VtlShell -run \"" + Ansi(name_) + "\"\r\nexit /b %errorlevel%");
    EXPECT_EQ(run.exitCode, 5u) << run.output;
    EXPECT_TRUE(Holds(run.output, "probe "));  // echoed output
    EXPECT_TRUE(Holds(run.output, "ended by itself with exit code 5"));
}

BOOL WINAPI IgnoreCtrl(DWORD) {
    return TRUE;
}

TEST_F(WrapperTest, ConsoleModeStopsTheProgramOnCtrlC) {
    InstallBatch(kProbeBatch);
    // VtlShell -run in a console of its own, its output in a file.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    UniqueKernelHandle out(CreateFileW((folder_ / L"run-output.txt").c_str(), GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(out);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.get();
    startup.hStdError = out.get();
    std::wstring line = L"VtlShell -run \"" + name_ + L"\"";
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessW((folder_ / L"VtlShell.exe").c_str(), line.data(), nullptr, nullptr,
                               TRUE, CREATE_NO_WINDOW, nullptr, folder_.path().c_str(), &startup,
                               &info));
    UniqueKernelHandle process(info.hProcess);
    UniqueKernelHandle thread(info.hThread);
    const auto output = [&] { return ReadFileBytes(folder_ / L"run-output.txt"); };
    ASSERT_TRUE(WaitForText(folder_ / L"run.log", "probe ")) << output();
    const DWORD probe = NumberAfter(Log(), "probe ");

    // Ctrl+C in its console, as a user would press it.
    SetConsoleCtrlHandler(IgnoreCtrl, TRUE);
    FreeConsole();
    ASSERT_TRUE(AttachConsole(info.dwProcessId)) << GetLastError();
    EXPECT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
    FreeConsole();
    EXPECT_EQ(WaitForSingleObject(process.get(), kStopTimeoutMs), WAIT_OBJECT_0) << output();
    EXPECT_FALSE(ProcessAlive(probe));
    EXPECT_EQ(ReadFileBytes(folder_ / L"marker.txt"), "ctrl");
    EXPECT_TRUE(Holds(output(), "Stopping..."));
    EXPECT_TRUE(Holds(output(), "The program was stopped"));
}

TEST_F(WrapperTest, InstallOptionsReachTheServiceConfiguration) {
    const auto installed = RunBatchLine("VtlShell -install \"" + Ansi(name_) +
                                        "\" -disabled -power -interact -dep "
                                        "\"LanmanWorkstation/Tcpip/\" \"VtlChildProbe.exe\"");
    ASSERT_EQ(installed.exitCode, 0u) << installed.output;
    const auto config = QueryConfig(name_);
    EXPECT_EQ(config.startType, static_cast<DWORD>(SERVICE_DISABLED));
    EXPECT_EQ(config.serviceType,
              static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS));
    // Wine's QueryServiceConfig leaves dependencies out; its registry has them.
    std::vector<wchar_t> multi(256);
    DWORD size = static_cast<DWORD>(multi.size() * sizeof(wchar_t));
    ASSERT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, Services(name_).c_str(), L"DependOnService",
                           RRF_RT_REG_MULTI_SZ, nullptr, multi.data(), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(multi.data(), size / sizeof(wchar_t)),
              std::wstring(L"LanmanWorkstation\0Tcpip\0\0", 25));
}

TEST_F(WrapperTest, WithoutPowerTheProgramIsTheServiceItself) {
    const auto installed =
        RunBatchLine("VtlShell -install \"" + Ansi(name_) + "\" -auto \"VtlChildProbe.exe\"");
    ASSERT_EQ(installed.exitCode, 0u) << installed.output;
    const auto config = QueryConfig(name_);
    EXPECT_EQ(config.binaryPath, L"\"" + (folder_ / L"VtlChildProbe.exe") + L"\"");
    EXPECT_EQ(config.startType, static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_EQ(ReadRegString(Services(name_) + L"\\parameters", L"Application"), L"");
}

TEST_F(WrapperTest, CommandLineFailuresSayWhyAndLeaveNothingBehind) {
    const std::string name = Ansi(name_);
    struct Case {
        std::string line;
        DWORD exitCode;
        const char* why;
    };
    for (const Case& c : {
             Case{"VtlShell -install \"" + name + "\" -demand -power \"nothere.bat\"",
                  ERROR_FILE_NOT_FOUND, "\"nothere.bat\" is not in VtlShell.exe's folder"},
             Case{"VtlShell -install \"" + name + " -demand -power \"run.bat\"", 1, "double-quote"},
             Case{"VtlShell -install Backup Agent -auto -power \"run.bat\"", 1,
                  "Unexpected argument Agent"},
             Case{"VtlShell -remove \"" + name + "\"", ERROR_SERVICE_DOES_NOT_EXIST,
                  "There is no service named"},
         }) {
        const auto result = RunBatchLine(c.line);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.line;
        EXPECT_TRUE(Holds(result.output, c.why)) << c.line;
        if (c.exitCode == 1) {
            EXPECT_TRUE(Holds(result.output, "VtlShell -install \"Name\""));  // the usage
        }
        EXPECT_TRUE(QueryConfig(name_).binaryPath.empty());
    }

    // Not started by the service manager and no command: the usage text.
    auto result = RunProcess(folder_ / L"VtlShell.exe", L"VtlShell", folder_.path());
    EXPECT_EQ(result.exitCode, 1u);
    EXPECT_TRUE(Holds(result.output, "VtlShell -remove \"Name\""));

    // A second install of the same name.
    WriteFileBytes(folder_ / L"run.bat", kProbeBatch);
    result = RunBatchLine("VtlShell -install \"" + name + "\" -demand -power \"run.bat\"");
    ASSERT_EQ(result.exitCode, 0u) << result.output;
    result = RunBatchLine("VtlShell -install \"" + name + "\" -demand -power \"run.bat\"");
    EXPECT_EQ(result.exitCode, static_cast<DWORD>(ERROR_SERVICE_EXISTS));
    EXPECT_TRUE(Holds(result.output, "already exists"));
}

TEST_F(WrapperTest, AProgramPathOverTheLimitIsRefused) {
    // A folder whose VtlShell.exe still fits, but not the program beside it.
    std::wstring deep = folder_.path();
    while (deep.size() < 240) {
        deep += L"\\" + std::wstring(std::min<std::size_t>(50, 240 - deep.size()), L'd');
        CreateDirectoryW(deep.c_str(), nullptr);
    }
    ASSERT_TRUE(CopyFileW((BinFolder() + L"\\VtlShell.exe").c_str(),
                          (deep + L"\\VtlShell.exe").c_str(), FALSE))
        << GetLastError() << " " << deep.size();
    const std::string program = std::string(30, 'p') + ".bat";
    const std::wstring line = L"VtlShell -install \"" + name_ + L"\" -demand -power \"" +
                              vtl::win32::Widen(program) + L"\"";
    const auto result = RunProcess(deep + L"\\VtlShell.exe", line, deep);
    EXPECT_EQ(result.exitCode, static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE)) << result.output;
    EXPECT_TRUE(Holds(result.output, "longer than 259 characters"));
    EXPECT_TRUE(QueryConfig(name_).binaryPath.empty());
}

}  // namespace
}  // namespace vtl::testing
