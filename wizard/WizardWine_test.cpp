// The wizard against Wine's real service manager, registry and files: a
// compliant service and a wrapped batch file created through the main window's
// menu, the automatic one started and watched; a new service exported, its
// install file run by cmd.exe, the service run, and its uninstall file run.
// Every service a test creates is deleted by a guard, also when it fails.

#include <gtest/gtest.h>

#include "operations/OperationsWineSupport.h"
#include "wizard/WizardTestSupport.h"

namespace vtl::testing {
namespace {

using win32::Narrow;

constexpr DWORD kRunTimeoutMs = 30000;

// A batch file that runs the probe until the service stops.
const std::string kProbeBatch =
    "@echo off\r\n"
    "echo wrapped by the wizard\r\n"
    "VtlChildProbe.exe \"%~dp0heartbeat.txt\"\r\n";

class WizardWine : public OperationsWine {
  protected:
    void SetUp() override {
        OperationsWine::SetUp();
        ASSERT_TRUE(CopyInto(BinFolder() + L"\\VtlChildProbe.exe", files_));
        WriteFileBytes(files_ / L"run.bat", kProbeBatch);
        Open(&hooks_);
    }
    std::string NewServiceName(const std::wstring& stem) {
        const std::wstring name = UniqueServiceName(stem);
        guards_.push_back(std::make_unique<ServiceGuard>(name));
        return Narrow(name);
    }
    RunResult RunBatch(const std::wstring& file) {
        std::wstring cmd(MAX_PATH, L'\0');
        cmd.resize(GetEnvironmentVariableW(L"ComSpec", cmd.data(), MAX_PATH));
        return RunProcess(cmd, L"\"" + cmd + L"\" /d /s /c \"\"" + (files_ / file) + L"\"\"",
                          files_.path());
    }

    TempFolder files_{L"vtl wizard"};
    WizardHooks hooks_{host_};
};

TEST_F(WizardWine, ACompliantServiceAndAWrappedBatchFileAreCreatedAndTheAutomaticOneStarts) {
    CreateInput compliant;
    compliant.kind = KindCompliant;
    compliant.name = NewServiceName(L"VtlWizSvc");
    compliant.display = compliant.name;
    compliant.exePath = Narrow(BinFolder()) + "\\VtlTestSvc.exe";
    compliant.startType = kServiceDemandStart;
    CreateInput wrapped;
    wrapped.name = NewServiceName(L"VtlWizBat");
    wrapped.display = wrapped.name;
    wrapped.exePath = Narrow(files_ / L"run.bat");
    wrapped.interact = false;
    for (const CreateInput* in : {&compliant, &wrapped}) {
        SCOPED_TRACE(in->name);
        prompts_.AnswerMsgBox(ui::MsgResult::Yes);
        host_.ExpectModal([&](ui::Form& f) {
            auto& w = static_cast<frmNewService&>(f);
            WalkToSummary(w, *in);
            Next(w);
            EXPECT_FALSE(w.Loaded()) << ::testing::PrintToString(prompts_.MessageTexts());
            if (w.Loaded()) w.cmdNav[2].Click();
        });
        form_->mnuCreateSrv.Click();
        EXPECT_TRUE(form_->lvServices.FindRow(in->name)) << "the list shows the new service";
    }

    const ConfigSummary direct = QueryConfig(Widen(compliant.name));
    EXPECT_EQ(Narrow(direct.binaryPath), "\"" + compliant.exePath + "\"");
    EXPECT_EQ(direct.startType, static_cast<DWORD>(SERVICE_DEMAND_START));
    EXPECT_EQ(direct.serviceType,
              static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS));

    const ConfigSummary wrapper = QueryConfig(Widen(wrapped.name));
    EXPECT_EQ(wrapper.binaryPath, L"\"" + (files_ / L"VtlShell.exe") + L"\"");
    EXPECT_EQ(wrapper.startType, static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_TRUE(FileExists(files_ / L"VtlShell.exe"));
    EXPECT_EQ(ReadRegString(
                  L"SYSTEM\\CurrentControlSet\\Services\\" + Widen(wrapped.name) + L"\\parameters",
                  L"Application"),
              files_ / L"run.bat");
    // The automatic one was started through the companion library and watched.
    EXPECT_EQ(form_->sbStatusBar.PanelText(kPanelProgress), "Starting " + wrapped.name);
    for (int i = 0; i < 300 && form_->tmrService.Running(); ++i)
        host_.RunFor(100);
    EXPECT_FALSE(form_->tmrService.Running());
    EXPECT_EQ(QueryStatus(Widen(wrapped.name)).dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_TRUE(WaitUntil(
        [&] {
            return ReadFileBytes(files_ / L"run.log").find("wrapped by the wizard") !=
                   std::string::npos;
        },
        kRunTimeoutMs));
    EXPECT_EQ(QueryStatus(Widen(compliant.name)).dwCurrentState,
              static_cast<DWORD>(SERVICE_STOPPED));
}

TEST_F(WizardWine, TheExportedFilesInstallAndRemoveTheServiceThroughCmd) {
    const std::string name = NewServiceName(L"Vtl Export");  // with a blank
    host_.ExpectModal([&](ui::Form& f) {
        auto& w = static_cast<frmNewService&>(f);
        Next(w);
        w.txtExpSrvName.TypeText(name);
        w.txtExpExePath.TypeText(Narrow(files_ / L"run.bat"));
        w.optExpAuto.Click();
        Next(w);
        Next(w);
        w.txtExportDir.TypeText(Narrow(files_.path()));
        Next(w);
        EXPECT_FALSE(w.Loaded()) << ::testing::PrintToString(prompts_.MessageTexts());
        if (w.Loaded()) w.cmdNav[2].Click();
    });
    form_->mnuExport.Click();

    const std::wstring install = Widen(name) + L"_Inst.bat";
    const std::string text = ReadFileBytes(files_ / install);
    EXPECT_TRUE(text.starts_with("\r\n# "));
    EXPECT_TRUE(
        text.ends_with(" \r\nVtlShell -install \"" + name + "\" -auto -power \"run.bat\"\r\n"))
        << text;
    ASSERT_TRUE(FileExists(files_ / L"VtlShell.exe"));

    const RunResult installed = RunBatch(install);
    EXPECT_EQ(installed.exitCode, 0u) << installed.output;
    const ConfigSummary config = QueryConfig(Widen(name));
    EXPECT_EQ(config.binaryPath, L"\"" + (files_ / L"VtlShell.exe") + L"\"");
    EXPECT_EQ(config.startType, static_cast<DWORD>(SERVICE_AUTO_START));
    auto [manager, managerError] = platform_.OpenSCManager("", kScManagerConnect);
    auto [service, serviceError] = platform_.OpenService(manager, name, kServiceStart);
    ASSERT_TRUE(service) << serviceError;
    EXPECT_EQ(platform_.StartService(service, {}), kErrorSuccess);
    EXPECT_TRUE(WaitUntil(
        [&] { return QueryStatus(Widen(name)).dwCurrentState == SERVICE_RUNNING; }, kRunTimeoutMs));
    service.reset();

    const RunResult removed = RunBatch(Widen(name) + L"_Uninst.bat");
    EXPECT_EQ(removed.exitCode, 0u) << removed.output;
    EXPECT_TRUE(
        WaitUntil([&] { return QueryConfig(Widen(name)).binaryPath.empty(); }, kRunTimeoutMs));
}

}  // namespace
}  // namespace vtl::testing
