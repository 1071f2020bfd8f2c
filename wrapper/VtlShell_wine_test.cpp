// VtlShell.exe against Wine's real service manager: installed from a batch file
// line, started through VtlIns.dll, its program run, logged, stopped with its
// whole process tree, removed. Every test deletes its service and folder.
//
// Wine facts these tests live with: services run as the Unix user, whatever
// account is configured; they die with the wine server, so the test run keeps
// one server for all of them.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/win32/WinHandle.h"
#include "wrapper/testing/WineServiceTest.h"

namespace vtl::testing {
namespace {

using vtl::win32::UniqueKernelHandle;

const std::string kProbeBatch =
    "@echo off\r\n"
    "echo batch started %* > \"%~dp0started.txt\"\r\n"
    "echo hello from the batch file\r\n"
    "VtlChildProbe.exe \"%~dp0heartbeat.txt\" --marker \"%~dp0marker.txt\"\r\n";

class WrapperTest : public WrappedServiceTest {
  protected:
    // Runs a line as a batch file does: from a .bat in the folder, through cmd.
    RunResult RunBatchLine(const std::string& line) {
        WriteFileBytes(folder_ / L"line.bat", "@echo off\r\n" + line + "\r\n");
        return RunBatch(L"line.bat");
    }
    RunResult RunBatch(const std::wstring& batchName) {
        std::wstring cmd(MAX_PATH, L'\0');
        cmd.resize(GetEnvironmentVariableW(L"ComSpec", cmd.data(), MAX_PATH));
        return RunProcess(cmd, L"\"" + cmd + L"\" /d /s /c \"\"" + (folder_ / batchName) + L"\"\"",
                          folder_.path());
    }
    static std::string Quoted(const std::wstring& name) {
        return std::string(1, '"').append(Ansi(name)).append(1, '"');
    }

    ::testing::AssertionResult Install(const std::string& rest) {
        return Ran(RunBatchLine("VtlShell -install " + Quoted(name_) + " " + rest), 0, "");
    }
    // Installs run.bat (given) with the exact install line form, demand start.
    void InstallBatch(const std::string& batch) {
        WriteFileBytes(folder_ / L"run.bat", batch);
        ASSERT_TRUE(Install("-demand -power \"run.bat\""));
    }
    // Installs the probe itself, without a start type, with these arguments (its
    // heartbeat file first) as the stored parameter.
    void InstallProbe(const std::wstring& arguments) {
        ASSERT_TRUE(Install("-power \"VtlChildProbe.exe\""));
        WriteRegString(Services(name_) + L"\\VTLParams", L"Params",
                       L"\"" + (folder_ / L"hb.txt") + L"\" " + arguments);
    }
    void ExpectStoppedWithProgramCode(DWORD code) {
        const auto status = QueryStatus(name_);
        EXPECT_EQ(status.dwWin32ExitCode, DWORD{ERROR_SERVICE_SPECIFIC_ERROR});
        EXPECT_EQ(status.dwServiceSpecificExitCode, code);
    }
    bool WaitRemoved() const {
        return WaitUntil([&] { return QueryConfig(name_).binaryPath.empty(); }, 5000);
    }
    std::string Log() const { return ReadFileBytes(folder_ / L"run.log"); }
    void SetParameter(const std::wstring& value, DWORD data) {
        WriteRegDword(Services(name_) + L"\\parameters", value, data);
    }
};

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
    ASSERT_TRUE(Ran(RunBatch(L"inst.bat"), 0, "is installed"));
    const std::wstring shell = L"\"" + (folder_ / L"VtlShell.exe") + L"\"";
    EXPECT_EQ(QueryConfig(name_),
              (ConfigSummary{shell, SERVICE_DEMAND_START, SERVICE_WIN32_OWN_PROCESS}));
    EXPECT_EQ(ReadRegString(Services(name_) + L"\\parameters", L"Application"),
              folder_ / L"run.bat");

    // Started through the companion library; the batch file ran, and so does the
    // program it started.
    EXPECT_EQ(Start(("\\\\" + Ansi(ComputerName())).c_str()), 0u);
    EXPECT_EQ(State(), DWORD{SERVICE_RUNNING});
    ASSERT_TRUE(WaitForText(folder_ / L"run.log", " running"));
    EXPECT_TRUE(FileExists(folder_ / L"started.txt"));
    const std::string log = Log();
    EXPECT_TRUE(Holds(log, "hello from the batch file"));
    const DWORD cmd = NumberAfter(log, "(process ");
    const DWORD probe = NumberAfter(log, "probe ");
    ASSERT_TRUE(ProcessAlive(cmd) && ProcessAlive(probe)) << log;
    const auto beat = [&] { return ReadFileBytes(folder_ / L"heartbeat.txt"); };
    const std::string first = beat();
    EXPECT_TRUE(WaitUntil([&] { return beat() != first; }, 5000));

    // Stopped: gracefully (the probe saw Ctrl+C), and nothing of the tree is left.
    ASSERT_TRUE(StopAndWait());
    EXPECT_EQ(ReadFileBytes(folder_ / L"marker.txt"), "ctrl");
    EXPECT_FALSE(ProcessAlive(cmd));
    EXPECT_FALSE(ProcessAlive(probe));
    const std::string last = beat();
    Sleep(300);
    EXPECT_EQ(beat(), last);
    EXPECT_TRUE(Holds(Log(), "The program was stopped"));

    EXPECT_TRUE(Ran(RunBatch(L"uninst.bat"), 0, "is removed"));
    EXPECT_TRUE(WaitRemoved());
}

TEST_F(WrapperTest, TheStartParameterReplacesTheStoredOneAndRemoveStopsTheServiceFirst) {
    InstallBatch(kProbeBatch);
    WriteRegString(Services(name_) + L"\\VTLParams", L"Params", L"from the registry");
    ASSERT_EQ(Start(Ansi(ComputerName()).c_str(), "alpha beta"), 0u);
    EXPECT_TRUE(WaitForText(folder_ / L"started.txt", "batch started alpha beta"));
    ASSERT_TRUE(StopAndWait());
    DeleteFileW((folder_ / L"started.txt").c_str());
    DeleteFileW((folder_ / L"run.log").c_str());
    ASSERT_EQ(Start(), 0u);
    EXPECT_TRUE(WaitForText(folder_ / L"started.txt", "batch started from the registry"));
    ASSERT_TRUE(WaitForText(folder_ / L"run.log", "probe "));
    const DWORD probe = NumberAfter(Log(), "probe ");
    EXPECT_TRUE(Ran(RunBatchLine("VtlShell -remove " + Quoted(name_)), 0, ""));
    EXPECT_FALSE(ProcessAlive(probe));
    EXPECT_TRUE(WaitRemoved());
}

TEST_F(WrapperTest, AProgramThatIgnoresCtrlCIsEndedWithItsTreeWithinTheBound) {
    // The batch file gives up on Ctrl+C; the program it started does not.
    InstallBatch(
        "@echo off\r\nVtlChildProbe.exe \"%~dp0heartbeat.txt\" --ignore-ctrl --marker "
        "\"%~dp0marker.txt\"\r\n");
    SetParameter(L"StopTimeoutMs", 2500);
    ASSERT_EQ(Start(), 0u);
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
        kWaitMs));
    EXPECT_LT(GetTickCount64() - begin, 2 * 2500 + 5000 + 2000u);
    ASSERT_GE(checkPoints.size(), 3u) << ::testing::PrintToString(checkPoints) << Log();
    EXPECT_TRUE(std::is_sorted(checkPoints.begin(), checkPoints.end()))
        << ::testing::PrintToString(checkPoints);
    EXPECT_FALSE(ProcessAlive(probe));
    EXPECT_FALSE(FileExists(folder_ / L"marker.txt"));  // it never ended by itself
    EXPECT_TRUE(Holds(Log(), "ending its processes"));
}

TEST_F(WrapperTest, AProgramWithAWindowIsAskedToCloseIt) {
    InstallProbe(L"--ignore-ctrl --window --marker \"" + (folder_ / L"marker.txt") + L"\"");
    SetParameter(L"StopTimeoutMs", 2000);
    ASSERT_EQ(Start(), 0u);
    ASSERT_TRUE(WaitForText(folder_ / L"VtlChildProbe.log", "window "));
    if (Holds(ReadFileBytes(folder_ / L"VtlChildProbe.log"), "window failed"))
        GTEST_SKIP() << "no display: Wine creates no windows";
    ASSERT_TRUE(StopAndWait());
    EXPECT_EQ(ReadFileBytes(folder_ / L"marker.txt"), "close");
    ExpectStoppedWithProgramCode(8);
}

TEST_F(WrapperTest, AProgramEndedByForceStopsTheServiceWithTheTerminationCode) {
    InstallProbe(L"--ignore-ctrl");
    // Without a start type the service starts on demand.
    EXPECT_EQ(QueryConfig(name_).startType, DWORD{SERVICE_DEMAND_START});
    SetParameter(L"StopTimeoutMs", 200);
    ASSERT_EQ(Start(), 0u);
    ASSERT_TRUE(StopAndWait());
    ExpectStoppedWithProgramCode(1);
}

// Its log is rotated by size, keeping one previous file; VtlShell -run runs it
// here with the same exit code.
TEST_F(WrapperTest, AProgramEndingByItselfStopsTheServiceOrTheConsoleRunWithItsExitCode) {
    InstallProbe(L"--print 300 --exit-after-ms 300 --exit-code 3");
    SetParameter(L"LogMaxBytes", 4096);
    ASSERT_EQ(Start(), 0u);
    ASSERT_TRUE(WaitForState(SERVICE_STOPPED));
    ExpectStoppedWithProgramCode(3);
    const std::string current = ReadFileBytes(folder_ / L"VtlChildProbe.log");
    for (const std::string& log : {current, ReadFileBytes(folder_ / L"VtlChildProbe.log.1")}) {
        EXPECT_FALSE(log.empty());
        EXPECT_LE(log.size(), 4096u);
    }
    // The newest lines are in the current file.
    EXPECT_TRUE(Holds(current, "ended by itself with exit code 3"));

    const auto run = RunBatchLine("VtlShell -run " + Quoted(name_) + "\r\nexit /b %errorlevel%");
    EXPECT_TRUE(Ran(run, 3, "probe "));  // echoed output
    EXPECT_TRUE(Holds(run.output, "ended by itself with exit code 3"));
}

TEST_F(WrapperTest, RestartsAProgramThatKeepsEndingWithGrowingDelaysUntilItIsGone) {
    InstallBatch("@echo off\r\necho run >> \"%~dp0runs.txt\"\r\nexit /b 4\r\n");
    WriteRegString(Services(name_) + L"\\parameters", L"OnExit", L"restart");
    SetParameter(L"RestartDelayMs", 100);
    ASSERT_EQ(Start(), 0u);
    const auto runs = [&] {
        const std::string text = ReadFileBytes(folder_ / L"runs.txt");
        return std::count(text.begin(), text.end(), '\n');
    };
    ASSERT_TRUE(WaitUntil([&] { return runs() >= 3; }, 20000)) << Log();
    EXPECT_EQ(State(), DWORD{SERVICE_RUNNING});
    EXPECT_TRUE(Holds(Log(), "Restarting the program in 0.1 s (restart 1 in a row)"));
    EXPECT_TRUE(Holds(Log(), "Restarting the program in 0.2 s (restart 2 in a row)"));
    ASSERT_TRUE(StopAndWait());

    // A service whose program is gone: the start request itself succeeds; the
    // service stops at once and says why.
    DeleteFileW((folder_ / L"run.bat").c_str());
    EXPECT_EQ(Start(), 0u);
    ASSERT_TRUE(WaitForState(SERVICE_STOPPED));
    EXPECT_EQ(QueryStatus(name_).dwWin32ExitCode, DWORD{ERROR_FILE_NOT_FOUND});
    EXPECT_TRUE(Holds(Log(), "does not exist"));
}

BOOL WINAPI IgnoreCtrl(DWORD) {
    return TRUE;
}

TEST_F(WrapperTest, ConsoleModeStopsTheProgramOnCtrlC) {
    InstallBatch(kProbeBatch);
    DWORD probe = 0;
    // VtlShell -run in a console of its own, and Ctrl+C in it as a user would press it.
    const auto run = RunProcess(folder_ / L"VtlShell.exe", L"VtlShell -run \"" + name_ + L"\"",
                                folder_.path(), kWaitMs, [&](DWORD processId) {
                                    ASSERT_TRUE(WaitForText(folder_ / L"run.log", "probe "));
                                    probe = NumberAfter(Log(), "probe ");
                                    SetConsoleCtrlHandler(IgnoreCtrl, TRUE);
                                    FreeConsole();
                                    ASSERT_TRUE(AttachConsole(processId)) << GetLastError();
                                    EXPECT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
                                    FreeConsole();
                                });
    EXPECT_NE(run.exitCode, 0xDEADu) << run.output;  // it ended within the time
    EXPECT_NE(probe, 0u);
    EXPECT_FALSE(ProcessAlive(probe));
    EXPECT_EQ(ReadFileBytes(folder_ / L"marker.txt"), "ctrl");
    EXPECT_TRUE(Holds(run.output, "Stopping..."));
    EXPECT_TRUE(Holds(run.output, "The program was stopped"));
}

TEST_F(WrapperTest, InstallOptionsReachTheServiceConfiguration) {
    ASSERT_TRUE(
        Install("-disabled -power -interact -dep \"LanmanWorkstation/Tcpip/\" "
                "\"VtlChildProbe.exe\""));
    const std::wstring shell = L"\"" + (folder_ / L"VtlShell.exe") + L"\"";
    EXPECT_EQ(QueryConfig(name_),
              (ConfigSummary{shell, SERVICE_DISABLED,
                             SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS}));
    // Wine's QueryServiceConfig leaves dependencies out; its registry has them.
    EXPECT_EQ(ReadRegString(Services(name_), L"DependOnService", RRF_RT_REG_MULTI_SZ),
              std::wstring(L"LanmanWorkstation\0Tcpip\0\0", 25));

    // Without -power the program is the service itself.
    const std::wstring plain = UniqueServiceName(L"Vtl Plain");
    ServiceGuard guard(plain);
    ASSERT_TRUE(
        Ran(RunBatchLine("VtlShell -install " + Quoted(plain) + " -auto \"VtlChildProbe.exe\""), 0,
            ""));
    const std::wstring probe = L"\"" + (folder_ / L"VtlChildProbe.exe") + L"\"";
    EXPECT_EQ(QueryConfig(plain),
              (ConfigSummary{probe, SERVICE_AUTO_START, SERVICE_WIN32_OWN_PROCESS}));
    EXPECT_EQ(ReadRegString(Services(plain) + L"\\parameters", L"Application"), L"");
}

TEST_F(WrapperTest, CommandLineFailuresSayWhyAndLeaveNothingBehind) {
    struct Case {
        std::string line;
        DWORD exitCode;
        const char* why;
    };
    for (const Case& c : {
             Case{"VtlShell -install " + Quoted(name_) + " -demand -power \"nothere.bat\"",
                  ERROR_FILE_NOT_FOUND, "\"nothere.bat\" is not in VtlShell.exe's folder"},
             Case{"VtlShell -install \"" + Ansi(name_) + " -demand -power \"run.bat\"", 1,
                  "double-quote"},
             Case{"VtlShell -install Backup Agent -auto -power \"run.bat\"", 1,
                  "Unexpected argument Agent"},
             Case{"VtlShell -remove " + Quoted(name_), ERROR_SERVICE_DOES_NOT_EXIST,
                  "There is no service named"},
         }) {
        SCOPED_TRACE(c.line);
        const auto result = RunBatchLine(c.line);
        EXPECT_TRUE(Ran(result, c.exitCode, c.why));
        if (c.exitCode == 1) {
            EXPECT_TRUE(Holds(result.output, "VtlShell -install \"Name\""));  // the usage
        }
        EXPECT_TRUE(QueryConfig(name_).binaryPath.empty());
    }
    // Not started by the service manager and no command: the usage text.
    EXPECT_TRUE(Ran(RunProcess(folder_ / L"VtlShell.exe", L"VtlShell", folder_.path()), 1,
                    "VtlShell -remove \"Name\""));
    // A second install of the same name.
    WriteFileBytes(folder_ / L"run.bat", kProbeBatch);
    const std::string install =
        "VtlShell -install " + Quoted(name_) + " -demand -power \"run.bat\"";
    ASSERT_TRUE(Ran(RunBatchLine(install), 0, ""));
    EXPECT_TRUE(Ran(RunBatchLine(install), ERROR_SERVICE_EXISTS, "already exists"));
}

// From a folder whose VtlShell.exe still fits, but not the program beside it.
TEST_F(WrapperTest, AProgramPathOverTheLimitIsRefused) {
    std::wstring deep = folder_.path();
    while (deep.size() < 240) {
        deep += L"\\" + std::wstring(std::min<std::size_t>(50, 240 - deep.size()), L'd');
        CreateDirectoryW(deep.c_str(), nullptr);
    }
    ASSERT_TRUE(CopyFileW((BinFolder() + L"\\VtlShell.exe").c_str(),
                          (deep + L"\\VtlShell.exe").c_str(), FALSE))
        << GetLastError() << " " << deep.size();
    const std::wstring line = L"VtlShell -install \"" + name_ + L"\" -demand -power \"" +
                              std::wstring(30, L'p') + L".bat\"";
    EXPECT_TRUE(Ran(RunProcess(deep + L"\\VtlShell.exe", line, deep), ERROR_FILENAME_EXCED_RANGE,
                    "longer than 259 characters"));
    EXPECT_TRUE(QueryConfig(name_).binaryPath.empty());
}

}  // namespace
}  // namespace vtl::testing
