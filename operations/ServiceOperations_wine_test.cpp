// The service commands against Wine's real service manager: the main window
// over the Win32 platform, with the forms' timers on the real clock, starting,
// stopping, restarting and removing the project's test service and a batch file
// run by the wrapper. Every service a test creates is deleted by a guard, also
// when the test fails.

#include <gtest/gtest.h>

#include "core/win32/Win32TestSupport.h"
#include "main/MainTexts.h"
#include "operations/OperationTexts.h"
#include "operations/OperationsWineSupport.h"

namespace vtl::testing {
namespace {

// One start at a time: Wine's service manager client fails calls with 6 when
// several threads connect to "\\\\<this computer>" at once, which the companion
// library's start threads do when several rows are started together.
TEST_F(OperationsWine, StartWatchesRealStartsAndReportsTheirFailures) {
    const std::string slow = CreateTestSvc("Slow", "--start-ms 1500");
    const std::string failing = CreateTestSvc("Fail", "--start-ms 200 --fail-start");
    const std::string specific =
        CreateTestSvc("Specific", "--start-ms 200 --fail-start --specific 5");
    const DWORD handlesBefore = CountOpenHandles();
    Open();

    Select({slow});
    form_->mnuStart.Click();
    EXPECT_EQ(Cell(slow, kColStatus), "Starting");
    EXPECT_EQ(ops_.WatchedCount(), 1u);
    EXPECT_TRUE(form_->tmrService.Running());
    ASSERT_TRUE(RunUntilWatchEnds());
    EXPECT_EQ(Cell(slow, kColStatus), "Running");
    EXPECT_EQ(State(slow), kServiceRunning);
    EXPECT_TRUE(Entries().empty());

    // A service that claims success (it left START_PENDING) but is found
    // stopped is started again by the probe, which reports it.
    Select({failing});
    form_->mnuStart.Click();
    ASSERT_TRUE(RunUntilWatchEnds());
    EXPECT_EQ(Entries(), (std::vector<std::string>{failing + ": " + std::string(kProbeNoError)}));
    EXPECT_EQ(Cell(failing, kColStatus), "Stopped");

    Select({specific});
    form_->mnuStart.Click();
    ASSERT_TRUE(RunUntilWatchEnds());
    EXPECT_EQ(Entries(), (std::vector<std::string>{specific + ": " + ProbeSpecificErrorText(5)}));
    EXPECT_EQ(ops_.WatchedCount(), 0u);
    form_.reset();
    EXPECT_LE(CountOpenHandles(), handlesBefore) << "the start threads' handles were closed";
}

TEST_F(OperationsWine, StopReportsWhatTheServiceManagerRefuses) {
    const std::string plain = CreateTestSvc("Plain", "--stop-ms 500");
    const std::string noStop = CreateTestSvc("NoStop", "--no-stop");
    const std::string idle = CreateTestSvc("Idle", "");
    ASSERT_TRUE(StartDirectly(plain));
    ASSERT_TRUE(StartDirectly(noStop));
    Open();
    Select({idle, noStop, plain});  // the last click decides that Stop is available
    form_->mnuStop.Click();
    EXPECT_EQ(State(plain), kServiceStopped);
    EXPECT_EQ(Entries(), (std::vector<std::string>{Entry(idle, kErrorServiceNotActive),
                                                   Entry(noStop, kErrorInvalidServiceControl)}));
    EXPECT_TRUE(prompts_.Questions().empty());
    EXPECT_EQ(form_->sbStatusBar.PanelText(kPanelProgress), "Done");
    // The list follows: the periodic pass reads the stopped service.
    EXPECT_TRUE(RunUntil([&] { return Cell(plain, kColStatus) == "Stopped"; }, 10000));
    win32::testing::TerminateServiceProcess(noStop);  // it does not stop when asked
}

TEST_F(OperationsWine, RestartStopsAndStartsAgainThroughTheLibrary) {
    TempFolder files(L"vtl ops");
    const std::wstring marker = files / L"marker.txt";
    const std::string name = CreateTestSvc(
        "Again", "--stop-ms 300 --start-ms 300 --marker \"" + win32::Narrow(marker) + "\"");
    ASSERT_TRUE(StartDirectly(name));
    ASSERT_NE(ReadFileBytes(marker).find("RUNNING"), std::string::npos);
    ASSERT_TRUE(DeleteFileW(marker.c_str()));
    Open();
    Select({name});
    form_->mnuRestart.Click();
    EXPECT_EQ(ops_.WatchedCount(), 1u);
    ASSERT_TRUE(RunUntilWatchEnds());
    EXPECT_EQ(State(name), kServiceRunning);
    EXPECT_NE(ReadFileBytes(marker).find("RUNNING"), std::string::npos) << "it ran again";
    EXPECT_EQ(Cell(name, kColStatus), "Running");
    EXPECT_TRUE(Entries().empty());
    EXPECT_TRUE(prompts_.Questions().empty());
}

TEST_F(OperationsWine, AWrappedBatchFileStartsStopsAndRestarts) {
    TempFolder files(L"vtl ops");
    ASSERT_TRUE(CopyFileW((BinFolder() + L"\\VtlShell.exe").c_str(),
                          (files / L"VtlShell.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((BinFolder() + L"\\VtlChildProbe.exe").c_str(),
                          (files / L"VtlChildProbe.exe").c_str(), FALSE));
    WriteFileBytes(files / L"run.bat", "@echo off\r\nVtlChildProbe.exe \"%~dp0heartbeat.txt\"\r\n");
    const std::wstring wide = UniqueServiceName(L"VtlOpsWrapped");
    guards_.push_back(std::make_unique<ServiceGuard>(wide));
    const std::wstring line = L"\"" + (files / L"VtlShell.exe") + L"\" -install \"" + wide +
                              L"\" -demand -power \"run.bat\"";
    const RunResult installed = RunProcess(files / L"VtlShell.exe", line, files.path());
    ASSERT_EQ(installed.exitCode, 0u) << installed.output;
    const std::string name = win32::Narrow(wide);

    Open();
    Select({name});
    form_->mnuStart.Click();
    ASSERT_TRUE(RunUntilWatchEnds());
    EXPECT_EQ(State(name), kServiceRunning);
    EXPECT_EQ(Cell(name, kColStatus), "Running");

    form_->mnuRestart.Click();
    ASSERT_TRUE(RunUntilWatchEnds());
    EXPECT_EQ(State(name), kServiceRunning);

    Select({name});
    form_->mnuStop.Click();
    EXPECT_EQ(State(name), kServiceStopped);
    EXPECT_EQ(Cell(name, kColStatus), "Stopped");
    EXPECT_TRUE(Entries().empty());
}

TEST_F(OperationsWine, RemoveDeletesTheServiceAndItsRow) {
    const std::string name = CreateTestSvc("Gone", "");
    Open();
    Select({name});
    const int rows = form_->lvServices.RowCount();
    prompts_.AnswerMsgBox(ui::MsgResult::Yes).AnswerMsgBox(ui::MsgResult::Yes);
    form_->mnuDelete.Click();
    ASSERT_EQ(prompts_.Questions().size(), 2u);
    EXPECT_EQ(prompts_.Questions()[1].text, "Are you sure you want to remove the service '" + name +
                                                "' on " + form_->ComputerName() + "?");
    EXPECT_FALSE(form_->lvServices.FindRow(name));
    EXPECT_EQ(form_->lvServices.RowCount(), rows - 1);
    EXPECT_EQ(State(name), 0u) << "the service is gone";
}

}  // namespace
}  // namespace vtl::testing
