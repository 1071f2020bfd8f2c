// The wizard's pages: the flow of each mode, the checks with their messages in
// order, the summaries, the logon options, the drive lists and the choosers.

#include <gtest/gtest.h>

#include "wizard/WizardTestSupport.h"
#include "wizard/WizardTexts.h"

namespace vtl::testing {
namespace {

using ui::MsgIcon;

class WizardPages : public WizardTest {
  protected:
    // The visible panel, the caption, Next's caption and whether Back is enabled.
    static void ExpectPage(const frmNewService& w, int panel, std::string_view caption,
                           std::string_view next, bool back) {
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(w.picForms[i].Visible(), i == panel) << "panel " << i;
        EXPECT_EQ(w.Caption(), caption);
        EXPECT_EQ(w.cmdNav[1].Caption(), next);
        EXPECT_EQ(w.cmdNav[0].Enabled(), back);
    }
    std::vector<std::pair<std::string, MsgIcon>> Messages() {
        std::vector<std::pair<std::string, MsgIcon>> out;
        for (const auto& q : prompts.Questions())
            out.emplace_back(q.text, q.icon);
        prompts.ClearQuestions();
        return out;
    }
};

TEST_F(WizardPages, CreateModeGoesThroughItsFourPagesAndBackTicksInteractAgain) {
    auto w = Wizard(ModeCreate);
    ExpectPage(*w, 0, kCaptionCreateType, kNavNextDesign, false);
    EXPECT_EQ(w->lblFormDescr.Caption(), kDescrType);
    EXPECT_EQ(w->txtExportDir.Text(), std::string(kAppFolder) + "\\ExportDir");
    EXPECT_TRUE(pc1().DirectoryExists(w->txtExportDir.Text()));
    Back(*w);  // nothing before the first page
    EXPECT_EQ(w->CurrentPage(), 0);

    Next(*w);
    ExpectPage(*w, 1, kCaptionCreateInfo, kNavNext, true);
    EXPECT_EQ(w->lblFormDescr.Caption(), kDescrInfo);
    EXPECT_TRUE(w->txtSrvName.HasFocusRequest());
    w->txtSrvName.TypeText("Svc");
    w->txtExePath.TypeText("C:\\apps\\tool.exe");
    Next(*w);
    ExpectPage(*w, 2, kCaptionCreateConfig, kNavNext, true);
    EXPECT_EQ(w->lblFormDescr.Caption(), kDescrConfig);
    EXPECT_EQ(w->ChkInteract.Value(), ui::CheckValue::Checked);
    w->ChkInteract.Click();
    Next(*w);
    ExpectPage(*w, 3, kCaptionCreateFinish, kNavFinish, true);
    EXPECT_EQ(w->lblFormDescr.Caption(), kDescrFinish);
    EXPECT_TRUE(w->lblFinalInfo.Caption().ends_with("Interact with desktop : No"));

    Back(*w);
    ExpectPage(*w, 2, kCaptionCreateConfig, kNavNext, true);
    EXPECT_EQ(w->ChkInteract.Value(), ui::CheckValue::Checked);
    // "This Account" leaves it cleared: such a service is never interactive.
    w->optThisAcc.Click();
    Next(*w);
    Back(*w);
    EXPECT_EQ(w->ChkInteract.Value(), ui::CheckValue::Unchecked);
    Back(*w);
    Back(*w);
    ExpectPage(*w, 0, kCaptionCreateType, kNavNext, false);

    w->cmdNav[2].Click();
    EXPECT_FALSE(w->Loaded());
    EXPECT_EQ(w->CurrentPage(), 0);
    EXPECT_FALSE(pc1().HasService("Svc"));
    EXPECT_TRUE(serviceToStart.empty());
}

TEST_F(WizardPages, ExportModesGoThroughTheirPages) {
    auto w = Wizard(ModeExportNew);
    ExpectPage(*w, 0, kCaptionExportNewType, kNavNextDesign, false);
    Next(*w);
    ExpectPage(*w, 4, kCaptionExportDetails, kNavNext, true);
    EXPECT_EQ(w->lblFormDescr.Caption(), kDescrInfo);
    EXPECT_TRUE(w->txtExpSrvName.HasFocusRequest());
    w->txtExpSrvName.TypeText("Svc");
    w->txtExpExePath.TypeText("C:\\apps\\run.bat");
    Next(*w);
    ExpectPage(*w, 3, kCaptionExportVerify, kNavNext, true);
    EXPECT_EQ(w->lblFormDescr.Caption(), kDescrFinish);
    EXPECT_TRUE(w->lblFinalInfo.Caption().starts_with("Service Name : Svc\r\r"));
    Next(*w);
    ExpectPage(*w, 5, kCaptionExportFinish, kNavFinish, true);
    EXPECT_EQ(w->lblFormDescr.Caption(), kDescrExportDir);
    Back(*w);
    ExpectPage(*w, 3, kCaptionExportVerify, kNavNext, true);
    Back(*w);
    Back(*w);
    ExpectPage(*w, 0, kCaptionExportType, kNavNext, false);
    w.reset();

    Add(pc1(), Svc("Sel"));
    auto s = std::make_unique<frmNewService>(host, platform(), serviceToStart);
    s->MachineName = "PC1";
    s->WizardMode = ModeExportSelected;
    s->txtExpSrvName.SetText("Sel");
    s->Show();
    ExpectPage(*s, 3, kCaptionExportSelectedView, kNavNextDesign, false);
    EXPECT_EQ(s->lblFormDescr.Caption(), kDescrSelectedOpen);
    Next(*s);
    ExpectPage(*s, 5, kCaptionExportSelectedFinish, kNavFinish, true);
    Back(*s);
    ExpectPage(*s, 3, kCaptionExportView, kNavNext, false);
    EXPECT_EQ(s->lblFormDescr.Caption(), kDescrSelectedView);
    // A failing check changes neither the page nor the captions.
    Next(*s);
    s->txtExportDir.TypeText("");
    Next(*s);
    ExpectPage(*s, 5, kCaptionExportSelectedFinish, kNavFinish, true);
    EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{std::string(kExportDirEmpty)});
}

TEST_F(WizardPages, EachCheckShowsItsMessageInOrder) {
    Add(pc1(), Svc("Existing"));
    auto w = Wizard(ModeCreate);
    Next(*w);
    const auto tryNext = [&](std::string_view name, std::string_view exe) {
        w->txtSrvName.TypeText(std::string(name));
        w->txtExePath.TypeText(std::string(exe));
        Next(*w);
    };
    tryNext("", "");
    tryNext("a/b", "");
    tryNext("existing", "");
    tryNext("New", "");
    tryNext(std::string(257, 'n'), "C:\\x.exe");
    EXPECT_EQ(w->CurrentPage(), 1);
    EXPECT_EQ(w->txtSrvName.Text(), std::string(257, 'n'));  // the checks change no field
    tryNext(" ", "C:\\x.exe");                               // a blank is not empty
    EXPECT_EQ(w->CurrentPage(), 2);
    const auto info = MsgIcon::Information;
    EXPECT_EQ(Messages(), (std::vector<std::pair<std::string, MsgIcon>>{
                              {std::string(kNameEmpty), info},
                              {"Service name should not contain the character /. The service "
                               "manager does not accept it in a service name.",
                               info},
                              {std::string(kNameExists), info},
                              {std::string(kExeEmpty), info},
                              {"Service name should not be longer than 256 characters.", info}}));

    // On another computer the program lies on it, under the chosen drive.
    auto r = Wizard(ModeCreate, "PC2");
    Next(*r);
    r->txtSrvName.TypeText("Svc");
    r->cboDrive.SelectItem(r->cboDrive.FindItem("D"));
    for (const char* path :
         {"\\\\other\\D$\\app.exe", "C:\\app.exe", "\\\\PC2", "\\\\PC2\\C$\\x.exe",
          "\\\\PC2\\Data\\x.exe", "\\\\pc2\\d$\\bin\\svc.exe"}) {
        r->txtExePath.TypeText(path);
        Next(*r);
    }
    EXPECT_EQ(r->CurrentPage(), 2);
    const std::string fromSystem = "Please select a file from the system PC2";
    const std::string fromDrive = "Please select a program file from the D drive on system PC2";
    EXPECT_EQ(Messages(),
              (std::vector<std::pair<std::string, MsgIcon>>{{fromSystem, MsgIcon::None},
                                                            {fromSystem, MsgIcon::None},
                                                            {fromSystem, MsgIcon::None},
                                                            {fromDrive, MsgIcon::None},
                                                            {fromDrive, MsgIcon::None}}));

    // The export details: the name, then the program.
    auto e = Wizard(ModeExportNew);
    Next(*e);
    for (const auto& [name, exe] :
         std::vector<std::pair<std::string, std::string>>{{"", ""},
                                                          {"A & B", ""},
                                                          {"A:B", ""},
                                                          {"Caf\xC3\xA9", ""},
                                                          {"AB", ""},
                                                          {"AB", "C:\\x\\notes.txt"},
                                                          {"AB", "\"C:\\x\\svc.exe\" -k"},
                                                          {"AB", "C:\\x\\r%1.bat"},
                                                          {"AB", "C:\\x\\run.cmd"}}) {
        e->txtExpSrvName.TypeText(name);
        e->txtExpExePath.TypeText(exe);
        if (name == "AB" && exe.ends_with(".cmd")) e->optNewSrv.SetValue(true);
        Next(*e);
    }
    EXPECT_EQ(e->CurrentPage(), 1);
    const std::string interpreter =
        " The command interpreter that runs the exported batch files would take it as part of a "
        "command.";
    EXPECT_EQ(prompts.MessageTexts(),
              (std::vector<std::string>{
                  std::string(kNameEmpty),
                  "Service name should not contain the character &." + interpreter,
                  "Service name should not contain the character :. The exported batch files "
                  "are named after the service.",
                  "Service name should not contain the character \xC3\xA9. The exported batch "
                  "files cannot carry it: the command interpreter would read it back as another "
                  "character.",
                  std::string(kExeEmpty),
                  "Executable file should be a program (.exe, .com) or a batch file (.bat, "
                  ".cmd): \"notes.txt\" is neither.",
                  "Executable file should be the program's path alone. The batch files cannot "
                  "pass on its arguments -k.",
                  "Executable file name should not contain the character %." + interpreter,
                  "A batch file can only be exported as an 'Any Program' service."}));
}

TEST_F(WizardPages, SummariesListTheSettingsLineByLine) {
    auto w = Wizard(ModeCreate, "PC2");
    CreateInput in;
    in.exePath = "\\\\PC2\\D$\\bin\\svc.exe";
    in.drive = "D";
    WalkToSummary(*w, in);
    EXPECT_EQ(w->lblFinalInfo.Caption(),
              "Service Name : Backup Agent\rDisplay Name : Nightly backup\r"
              "File Path : \\\\PC2\\D$\\bin\\svc.exe\rDrive : D\rStartup Type : Automatic\r"
              "Logon As : Local System\rInteract with desktop : Yes");
    Back(*w);
    w->optDisabled.Click();
    w->optThisAcc.Click();
    w->txtAccName.TypeText(".\\svcuser");
    Next(*w);
    EXPECT_TRUE(w->lblFinalInfo.Caption().ends_with(
        "Startup Type : Disabled\rLogon As : .\\svcuser\rInteract with desktop : No"));

    auto e = Wizard(ModeExportNew);
    e->optNewSrv.Click();
    Next(*e);
    e->txtExpSrvName.TypeText("Name");
    e->txtExpExePath.TypeText("C:\\apps\\prog.exe");
    e->optExpManual.Click();
    Next(*e);
    EXPECT_EQ(e->lblFinalInfo.Caption(),
              "Service Name : Name\r\rService Type : Windows Compliant Service\r\r"
              "Executable File : C:\\apps\\prog.exe\r\rStartup Type : Manual\r\r");
}

TEST_F(WizardPages, TheLogonOptionsSwitchTheAccountFields) {
    auto w = Wizard(ModeCreate);
    Next(*w);
    w->txtSrvName.TypeText("Svc");
    w->txtExePath.TypeText("C:\\apps\\tool.exe");
    Next(*w);
    const auto expectAccountFields = [&](bool enabled, ui::Color color) {
        for (const ui::TextBox* box : {&w->txtAccName, &w->txtPasswd}) {
            EXPECT_EQ(box->Enabled(), enabled);
            EXPECT_EQ(box->BackColor(), color);
        }
    };
    expectAccountFields(false, ui::kColorButtonFace);
    EXPECT_EQ(w->txtPasswd.PasswordChar(), '*');
    w->optThisAcc.Click();
    expectAccountFields(true, 0xFFFFFF);
    EXPECT_FALSE(w->ChkInteract.Enabled());
    EXPECT_EQ(w->ChkInteract.Value(), ui::CheckValue::Unchecked);
    w->txtAccName.TypeText("CORP\\svc");
    w->optSysAcc.Click();
    expectAccountFields(false, ui::kColorButtonFace);
    EXPECT_TRUE(w->ChkInteract.Enabled());
    EXPECT_EQ(w->txtAccName.Text(), "CORP\\svc");
}

TEST_F(WizardPages, DrivesAreTheLocalFixedOnesOrTheRemoteAdministrativeShares) {
    const auto drives = [](const frmNewService& w) {
        std::vector<std::string> out;
        for (int i = 0; i < w.cboDrive.ListCount(); ++i)
            out.push_back(w.cboDrive.List(i));
        return out;
    };
    auto local = Wizard(ModeCreate, "pc1");
    EXPECT_EQ(drives(*local), (std::vector<std::string>{"C", "E"}));
    EXPECT_EQ(local->cboDrive.Text(), "C");
    EXPECT_FALSE(local->IsRemote());
    auto remote = Wizard(ModeCreate, "PC2");
    EXPECT_EQ(drives(*remote), (std::vector<std::string>{"C", "D"}));
    EXPECT_TRUE(remote->IsRemote());
    EXPECT_EQ(network.CountCalls("NetShareEnum", "\\\\PC2"), 2u);  // load and activation

    // No administrative disk share: the creation closes with the message; the
    // exports, which need no drive, open.
    network.AddComputer("PC3").AddShare("Data", kStypeDiskTree, "C:\\Data", "");
    auto none = Wizard(ModeCreate, "PC3");
    EXPECT_FALSE(none->Loaded());
    EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{NoSharedDrivesText("PC3")});
    EXPECT_EQ(prompts.Questions()[0].icon, MsgIcon::None);
    auto exportNew = Wizard(ModeExportNew, "PC3");
    EXPECT_TRUE(exportNew->Visible());
}

TEST_F(WizardPages, ChoosersWriteTheirFieldsAndTheRemoteOneInsistsOnTheComputer) {
    auto w = Wizard(ModeCreate, "PC2");
    Next(*w);
    w->cboDrive.SelectItem(w->cboDrive.FindItem("D"));
    prompts.AnswerOpenFile("\\\\otherhost\\C$\\x.exe")
        .AnswerMsgBox(ui::MsgResult::OK)
        .AnswerOpenFile("Z:\\x.exe")
        .AnswerMsgBox(ui::MsgResult::OK)
        .AnswerOpenFile("\\\\pc2\\D$\\bin\\svc.exe");
    w->cmdBrowse.Click();
    EXPECT_EQ(w->txtExePath.Text(), "\\\\pc2\\D$\\bin\\svc.exe");
    const auto& questions = prompts.Questions();
    ASSERT_EQ(questions.size(), 5u);
    EXPECT_EQ(questions[0].title, "Select service executable file on PC2");
    EXPECT_EQ(questions[0].file.initialDir, "\\\\PC2\\D$");
    EXPECT_EQ(questions[0].file.filter, "Executable (*.exe;*.bat)|*.exe;*.bat");
    EXPECT_TRUE(questions[0].file.fileMustExist);
    EXPECT_EQ(questions[1].text, "Please select a program file from the system PC2");
    EXPECT_EQ(questions[3].text, "Please select a program file from the D drive on system PC2");
    prompts.AnswerOpenFile(std::nullopt);
    w->cmdBrowse.Click();
    EXPECT_EQ(w->txtExePath.Text(), "");  // a cancelled chooser empties the field

    auto e = Wizard(ModeExportNew);
    Next(*e);
    prompts.ClearQuestions();
    prompts.AnswerOpenFile(std::nullopt)
        .AnswerOpenFile("C:\\apps\\run.bat")
        .AnswerOpenFile(std::nullopt);
    for (const char* expected : {"", "C:\\apps\\run.bat", "C:\\apps\\run.bat"}) {
        e->cmdExpBrowse.Click();
        EXPECT_EQ(e->txtExpExePath.Text(), expected);
    }
    EXPECT_EQ(prompts.Questions()[2].file.fileName, "C:\\apps\\run.bat");
    e->txtExpSrvName.TypeText("Svc");
    Next(*e);
    Next(*e);
    prompts.AnswerFolder("D:\\Exports").AnswerFolder(std::nullopt);
    e->cmdExportDir.Click();
    EXPECT_EQ(e->txtExportDir.Text(), "D:\\Exports");
    e->cmdExportDir.Click();
    EXPECT_EQ(e->txtExportDir.Text(), "");
    const ui::FolderRequest& folder = prompts.Questions()[3].folder;
    EXPECT_EQ(prompts.Questions()[3].title, kBrowseDirTitle);
    EXPECT_EQ(folder.root, ui::ShellFolder::Drives);
    EXPECT_TRUE(folder.onlyFileSystemFolders);
}

}  // namespace
}  // namespace vtl::testing
