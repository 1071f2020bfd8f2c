// The wizard's pages: the flow of each mode, the logon options, the checks with
// their messages in order, the summaries, the drive lists and the choosers.

#include <gtest/gtest.h>

#include "wizard/WizardTestSupport.h"
#include "wizard/WizardTexts.h"

namespace vtl::testing {
namespace {

using ui::MsgIcon;

struct Page {
    int panel;
    std::string_view caption;
    std::string_view description;
    std::string_view next;
    bool back;
};

class WizardPages : public WizardTest {
  protected:
    static void Expect(const frmNewService& w, const Page& page) {
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(w.picForms[i].Visible(), i == page.panel) << i;
        EXPECT_EQ(w.Caption(), page.caption);
        EXPECT_EQ(w.lblFormDescr.Caption(), page.description);
        EXPECT_EQ(w.cmdNav[1].Caption(), page.next);
        EXPECT_EQ(w.cmdNav[0].Enabled(), page.back);
    }
    // Types the two fields and presses Next: the message shown, "" for none.
    std::pair<std::string, MsgIcon> Try(frmNewService& w, ui::TextBox& first, ui::TextBox& second,
                                        const std::string& a, const std::string& b) {
        prompts.ClearQuestions();
        first.TypeText(a);
        second.TypeText(b);
        Next(w);
        if (prompts.Questions().empty()) return {"", MsgIcon::None};
        return {prompts.Questions().back().text, prompts.Questions().back().icon};
    }
};

TEST_F(WizardPages, ExportModesGoThroughTheirPages) {
    const Page verify{3, kCaptionExportVerify, kDescrFinish, kNavNext, true};
    auto w = Wizard(ModeExportNew);
    Expect(*w, {0, kCaptionExportNewType, kDescrType, kNavNextDesign, false});
    Next(*w);
    Expect(*w, {4, kCaptionExportDetails, kDescrInfo, kNavNext, true});
    EXPECT_TRUE(w->txtExpSrvName.HasFocusRequest());
    w->txtExpSrvName.TypeText("Svc");
    w->txtExpExePath.TypeText("C:\\apps\\run.bat");
    Next(*w);
    Expect(*w, verify);
    Next(*w);
    Expect(*w, {5, kCaptionExportFinish, kDescrExportDir, kNavFinish, true});
    Back(*w);
    Expect(*w, verify);
    Back(*w);
    Back(*w);
    Expect(*w, {0, kCaptionExportType, kDescrType, kNavNext, false});

    Add(pc1(), Svc("Sel"));
    auto s = std::make_unique<frmNewService>(host, platform(), serviceToStart);
    s->MachineName = "PC1";
    s->WizardMode = ModeExportSelected;
    s->txtExpSrvName.SetText("Sel");
    s->Show();
    Expect(*s, {3, kCaptionExportSelectedView, kDescrSelectedOpen, kNavNextDesign, false});
    EXPECT_TRUE(s->lblFinalInfo.Caption().starts_with("Service Name : Sel\r\r"));
    Next(*s);
    const Page folder{5, kCaptionExportSelectedFinish, kDescrExportDir, kNavFinish, true};
    Expect(*s, folder);
    Back(*s);
    Expect(*s, {3, kCaptionExportView, kDescrSelectedView, kNavNext, false});
    // A failing check changes neither the page nor the buttons.
    Next(*s);
    EXPECT_EQ(Try(*s, s->txtExportDir, s->txtExportDir, "x", ""),
              std::make_pair(std::string(kExportDirEmpty), MsgIcon::Information));
    Expect(*s, folder);
}

TEST_F(WizardPages, EachCheckShowsItsMessageInOrder) {
    Add(pc1(), Svc("Existing"));
    const auto info = MsgIcon::Information;
    const std::string interpreter =
        ". The command interpreter that runs the exported batch files would take it as part of a "
        "command.";
    struct Row {
        std::string first, second, message;
        MsgIcon icon;
    };
    const auto check = [&](frmNewService& w, ui::TextBox& first, ui::TextBox& second,
                           const std::vector<Row>& rows) {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.first + " | " + row.second);
            EXPECT_EQ(Try(w, first, second, row.first, row.second),
                      std::make_pair(row.message, row.icon));
        }
    };
    auto w = Wizard(ModeCreate);
    Next(*w);
    check(*w, w->txtSrvName, w->txtExePath,
          {{"", "", std::string(kNameEmpty), info},
           {"a/b", "",
            "Service name should not contain the character /. The service manager "
            "does not accept it in a service name.",
            info},
           {"existing", "", std::string(kNameExists), info},
           {"New", "", std::string(kExeEmpty), info},
           {std::string(257, 'n'), "x", "Service name should not be longer than 256 characters.",
            info}});
    EXPECT_EQ(w->CurrentPage(), 1);
    check(*w, w->txtSrvName, w->txtExePath, {{" ", "x", "", MsgIcon::None}});  // blanks pass
    EXPECT_EQ(w->CurrentPage(), 2);

    // On another computer the program lies on it, under the chosen drive.
    auto r = Wizard(ModeCreate, "PC2");
    Next(*r);
    r->cboDrive.SelectItem(r->cboDrive.FindItem("D"));
    const std::string system = "Please select a file from the system PC2";
    const std::string drive = "Please select a program file from the D drive on system PC2";
    check(*r, r->txtSrvName, r->txtExePath,
          {{"Svc", "\\\\other\\D$\\app.exe", system, MsgIcon::None},
           {"Svc", "C:\\app.exe", system, MsgIcon::None},
           {"Svc", "\\\\PC2", system, MsgIcon::None},
           {"Svc", "\\\\PC2\\C$\\x.exe", drive, MsgIcon::None},
           {"Svc", "\\\\PC2\\Data\\x.exe", drive, MsgIcon::None},
           {"Svc", "\\\\pc2\\d$\\bin\\svc.exe", "", MsgIcon::None}});

    // The export details: the name, then the program.
    auto e = Wizard(ModeExportNew);
    Next(*e);
    check(*e, e->txtExpSrvName, e->txtExpExePath,
          {{"", "", std::string(kNameEmpty), info},
           {"A & B", "", "Service name should not contain the character &" + interpreter, info},
           {"A:B", "",
            "Service name should not contain the character :. The exported batch "
            "files are named after the service.",
            info},
           {"Caf\xC3\xA9", "",
            "Service name should not contain the character \xC3\xA9. The "
            "exported batch files cannot carry it: the command interpreter "
            "would read it back as another character.",
            info},
           {"AB", "", std::string(kExeEmpty), info},
           {"AB", "C:\\x\\notes.txt",
            "Executable file should be a program (.exe, .com) or a "
            "batch file (.bat, .cmd): \"notes.txt\" is neither.",
            info},
           {"AB", "\"C:\\x\\svc.exe\" -k",
            "Executable file should be the program's path alone. "
            "The batch files cannot pass on its arguments -k.",
            info},
           {"AB", "C:\\x\\r%1.bat",
            "Executable file name should not contain the character %" + interpreter, info}});
    Back(*e);
    e->optNewSrv.Click();
    Next(*e);
    check(*e, e->txtExpSrvName, e->txtExpExePath,
          {{"AB", "C:\\x\\run.cmd",
            "A batch file can only be exported as an 'Any Program' "
            "service.",
            info}});
    EXPECT_EQ(e->CurrentPage(), 1);
}

TEST_F(WizardPages, DrivesAreTheLocalFixedOnesOrTheRemoteAdministrativeShares) {
    const auto drives = [](const frmNewService& w) {
        std::string out;
        for (int i = 0; i < w.cboDrive.ListCount(); ++i)
            out += w.cboDrive.List(i);
        return out + " " + w.cboDrive.Text() + (w.IsRemote() ? " remote" : " local");
    };
    EXPECT_EQ(drives(*Wizard(ModeCreate, "pc1")), "CE C local");   // D is a CD drive
    EXPECT_EQ(drives(*Wizard(ModeCreate, "PC2")), "CD C remote");  // not ADMIN$, IPC$, Data
    EXPECT_EQ(network.CountCalls("NetShareEnum", "\\\\PC2"), 2u);  // load and activation

    // No administrative disk share: the creation closes with the message; the
    // exports, which need no drive, open.
    network.AddComputer("PC3").AddShare("Data", kStypeDiskTree, "C:\\Data", "");
    EXPECT_FALSE(Wizard(ModeCreate, "PC3")->Loaded());
    EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{NoSharedDrivesText("PC3")});
    EXPECT_EQ(prompts.Questions()[0].icon, MsgIcon::None);
    EXPECT_TRUE(Wizard(ModeExportNew, "PC3")->Visible());
}

TEST_F(WizardPages, ChoosersWriteTheirFieldsAndTheRemoteOneInsistsOnTheComputer) {
    auto w = Wizard(ModeCreate, "PC2");
    Next(*w);
    w->cboDrive.SelectItem(w->cboDrive.FindItem("D"));
    prompts.AnswerOpenFile("\\\\otherhost\\C$\\x.exe").AnswerMsgBox(ui::MsgResult::OK);
    prompts.AnswerOpenFile("Z:\\x.exe").AnswerMsgBox(ui::MsgResult::OK);
    prompts.AnswerOpenFile("\\\\pc2\\D$\\bin\\svc.exe");
    w->cmdBrowse.Click();
    EXPECT_EQ(w->txtExePath.Text(), "\\\\pc2\\D$\\bin\\svc.exe");
    const auto& asked = prompts.Questions();
    ASSERT_EQ(asked.size(), 5u);
    EXPECT_EQ(asked[0].title, "Select service executable file on PC2");
    EXPECT_EQ(asked[0].file.initialDir, "\\\\PC2\\D$");
    EXPECT_EQ(asked[0].file.filter, "Executable (*.exe;*.bat)|*.exe;*.bat");
    EXPECT_TRUE(asked[0].file.fileMustExist);
    EXPECT_EQ(asked[1].text, "Please select a program file from the system PC2");
    EXPECT_EQ(asked[3].text, "Please select a program file from the D drive on system PC2");
    prompts.AnswerOpenFile(std::nullopt);
    w->cmdBrowse.Click();
    EXPECT_EQ(w->txtExePath.Text(), "");  // a cancelled chooser empties the field

    auto e = Wizard(ModeExportNew);
    Next(*e);
    prompts.ClearQuestions();
    prompts.AnswerOpenFile(std::nullopt).AnswerOpenFile("C:\\a\\r.bat").AnswerOpenFile({});
    for (const char* expected : {"", "C:\\a\\r.bat", "C:\\a\\r.bat"}) {
        e->cmdExpBrowse.Click();  // a cancel keeps the dialog's last name
        EXPECT_EQ(e->txtExpExePath.Text(), expected);
    }
    EXPECT_EQ(prompts.Questions()[2].file.fileName, "C:\\a\\r.bat");
    e->txtExpSrvName.TypeText("Svc");
    Next(*e);
    Next(*e);
    prompts.AnswerFolder("D:\\Exports").AnswerFolder(std::nullopt);
    e->cmdExportDir.Click();
    EXPECT_EQ(e->txtExportDir.Text(), "D:\\Exports");
    e->cmdExportDir.Click();
    EXPECT_EQ(e->txtExportDir.Text(), "");
    EXPECT_EQ(prompts.Questions()[3].title, kBrowseDirTitle);
    EXPECT_EQ(prompts.Questions()[3].folder.root, ui::ShellFolder::Drives);
    EXPECT_TRUE(prompts.Questions()[3].folder.onlyFileSystemFolders);
}

}  // namespace
}  // namespace vtl::testing
