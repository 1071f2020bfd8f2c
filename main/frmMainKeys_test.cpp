// The main window by keyboard, the find box, copying rows and exporting the list.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ServiceRow.h"
#include "main/MainTestSupport.h"
#include "main/MainTexts.h"
#include "ui/Keys.h"

namespace vtl::testing {
namespace {

// Names that need quoting, or hold letters beyond ASCII.
constexpr const char* kBackup = "Backup, Daily";
constexpr const char* kUmlaut = "Dienst-\303\234";  // Dienst-Ü

class KeysTest : public MainWindowTest {
  protected:
    KeysTest() {
        prompts.SetAutoOk(true);
        Add(pc1(), Named("Alerter", "Alerter", kServiceRunning));
        Add(pc1(), Named(kBackup, "Backup \"Nightly\" Agent", kServiceStopped));
        sim::ServiceDefinition umlaut = Named(kUmlaut, "\303\234berwachung", kServiceStopped);
        umlaut.startName = "NT AUTHORITY\\LocalService";
        Add(pc1(), umlaut);
        Add(pc1(), Named("Spooler", "Print Spooler", kServiceRunning));
        Add(pc1(), Named("ZService", "Two\tparts\non two lines", kServiceStopped));
        Add(pc2(), Named("Remote1", "Remote spooler", kServiceRunning));
        Add(pc2(), Named("Remote2", "Other", kServiceStopped));
    }
    static sim::ServiceDefinition Named(std::string name, std::string display,
                                        std::uint32_t state) {
        sim::ServiceDefinition d = Svc(std::move(name), kServiceDemandStart, state);
        d.displayName = std::move(display);
        return d;
    }
    // Exactly these rows selected: a click on the first, Ctrl+click on the others.
    void Select(const std::vector<const char*>& names) {
        form->lvServices.ClearSelection();
        for (std::size_t i = 0; i < names.size(); ++i)
            form->lvServices.ClickRow(Row(names[i]), i == 0 ? 0 : ui::kCtrlMask);
    }
    bool Key(int key, int shift = 0) { return form->lvServices.KeyDown(key, shift); }
    std::vector<std::string> Texts(const std::vector<ui::ListRowId>& rows) {
        std::vector<std::string> names;
        for (ui::ListRowId row : rows)
            names.push_back(form->lvServices.Text(row));
        return names;
    }
    std::vector<std::string> Selected() { return Texts(form->lvServices.SelectedRows()); }
    std::vector<std::string> Shown() { return Texts(form->lvServices.ShownRows()); }
};

TEST_F(KeysTest, EachKeyOfTheListRunsWhatItsMenuItemOrARightClickRuns) {
    Open();
    // What a key did: taken or left to the list, the commands it ran, and where the
    // pop-up came up, with its items as a right click sets them (Properties and
    // Export for one row only, Stop for a running focused row).
    const auto press = [this](const std::vector<const char*>& selected, int key, int shift) {
        Select(selected);
        hooks.calls.clear();
        host.ClearLog();
        std::string out = Key(key, shift) ? "taken" : "list's";
        for (const std::string& call : hooks.calls)
            out += " " + call;
        for (const std::string& line : host.Log())
            out +=
                line.substr(line.rfind(" row")) +
                (form->mnuPopProp.Enabled() && form->mnuPopExport.Enabled() ? " one" : " several") +
                (form->mnuPopStop.Enabled() ? " stoppable" : "");
        return out;
    };
    const struct {
        const char* what;
        std::vector<const char*> selected;
        int key, shift;
        const char* did;
    } cases[] = {
        {"Enter", {"Spooler"}, ui::kKeyReturn, 0, "taken Properties"},
        {"Delete", {"Spooler"}, ui::kKeyDelete, 0, "taken Delete"},
        {"Delete, Remove disabled", {"Spooler", "Alerter"}, ui::kKeyDelete, 0, "taken"},
        {"Shift+F10",
         {"Alerter", "Spooler"},
         ui::kKeyF10,
         ui::kShiftMask,
         "taken row 3 several stoppable"},
        {"context-menu key", {kBackup}, ui::kKeyApps, 0, "taken row 1 one"},
        {"Shift+Enter", {"Spooler"}, ui::kKeyReturn, ui::kShiftMask, "list's"},
        {"F10 alone", {"Spooler"}, ui::kKeyF10, 0, "list's"},
        {"Down", {"Spooler"}, 0x28, 0, "list's"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(press(c.selected, c.key, c.shift), c.did) << c.what;
    // No row to show a pop-up for: none, as over empty space.
    form->lvServices.Clear();
    EXPECT_EQ(press({}, ui::kKeyApps, 0), "taken");
    // Ctrl+F is the window's shortcut: the find box takes the focus.
    EXPECT_TRUE(form->mnuFind.Click());
    EXPECT_TRUE(form->txtFind.HasFocusRequest());
}

TEST_F(KeysTest, CopiedTextAndTheExportedFileHoldEveryFieldByteForByte) {
    Open();
    // Ctrl+A selects every row, and Remove is disabled as for several rows.
    EXPECT_TRUE(Key('A', ui::kCtrlMask));
    EXPECT_EQ(Selected(), Names());
    EXPECT_FALSE(form->mnuDelete.Enabled());
    EXPECT_FALSE(form->tbRemove.Button(0).enabled);

    // Ctrl+C: a header line, then the selected rows in list order; a tab or line
    // break inside a field would break the columns, so it becomes a blank.
    Select({"ZService", kBackup, kUmlaut});
    EXPECT_TRUE(Key('C', ui::kCtrlMask));
    EXPECT_EQ(host.ClipboardText(),
              "Service Name\tDisplay Name\tStatus\tStartup Type\tLogon As\r\n"
              "Backup, Daily\tBackup \"Nightly\" Agent\tStopped\tManual\tLocalSystem\r\n"
              "Dienst-\303\234\t\303\234berwachung\tStopped\tManual\tNT AUTHORITY\\LocalService\r\n"
              "ZService\tTwo parts on two lines\tStopped\tManual\tLocalSystem\r\n");
    Select({"Alerter"});
    EXPECT_TRUE(form->mnuPopCopy.Click());
    EXPECT_EQ(host.ClipboardText().substr(host.ClipboardText().find('\n') + 1),
              "Alerter\tAlerter\tRunning\tManual\tLocalSystem\r\n");

    // Export: the shown rows in the shown order, UTF-8 with a BOM, quoted as RFC
    // 4180 says.
    pc1().PutDirectory("C:\\Lists");
    form->lvServices.ClickColumn(kColServiceName);  // descending
    form->txtFind.TypeText("a");                    // all but Spooler
    prompts.AnswerSaveFile("C:\\Lists\\pc1.csv");
    EXPECT_TRUE(form->mnuExportList.Click());
    const ui::testing::Question& asked = prompts.Questions().back();
    EXPECT_EQ(
        asked.title + "|" + asked.save.fileName + "|" + asked.save.defaultExt + "|" + asked.owner,
        "Export List|PC1 services.csv|csv|frmMain");
    EXPECT_EQ(pc1().FileContent("C:\\Lists\\pc1.csv"),
              "\xEF\xBB\xBF"
              "Service Name,Display Name,Status,Startup Type,Logon As\r\n"
              "ZService,\"Two\tparts\non two lines\",Stopped,Manual,LocalSystem\r\n"
              "Dienst-\303\234,\303\234berwachung,Stopped,Manual,NT AUTHORITY\\LocalService\r\n"
              "\"Backup, Daily\",\"Backup \"\"Nightly\"\" Agent\",Stopped,Manual,LocalSystem\r\n"
              "Alerter,Alerter,Running,Manual,LocalSystem\r\n");

    // Cancelled: nothing written. A file that cannot be written, a clipboard that
    // another program holds: one message each, naming what failed.
    prompts.ClearQuestions();
    prompts.AnswerSaveFile(std::nullopt).AnswerSaveFile("C:\\Missing\\x.csv");
    EXPECT_TRUE(form->mnuExportList.Click());
    EXPECT_TRUE(form->mnuExportList.Click());
    host.SetClipboardRefuses(true);
    EXPECT_TRUE(Key('C', ui::kCtrlMask));
    EXPECT_EQ(prompts.MessageTexts(),
              (std::vector<std::string>{
                  ExportListFailedText("C:\\Missing\\x.csv", ErrorText(kErrorPathNotFound)),
                  std::string(kCopyFailed)}));
    EXPECT_EQ(prompts.Questions().back().icon, ui::MsgIcon::Exclamation);
    EXPECT_FALSE(pc1().FileContent("C:\\Missing\\x.csv"));
}

TEST_F(KeysTest, TheFindBoxShowsMatchingRowsAndHiddenRowsAreReadAndCountedAsAlways) {
    Open(true);
    stepped.RunAll();
    const struct {
        const char* typed;
        std::vector<std::string> shown;
    } cases[] = {{"SPOOL", {"Spooler"}},
                 {"nightly", {kBackup}},
                 {"\303\274", {kUmlaut}},  // ü, Ü
                 {"\377", {}},
                 {"Backup, D", {kBackup}}};
    for (const auto& c : cases) {
        form->txtFind.TypeText(c.typed);
        EXPECT_EQ(Shown(), c.shown) << c.typed;
        EXPECT_EQ(Count(), "Total Services : 5 (" + std::to_string(c.shown.size()) + " shown)");
    }
    // Ctrl+A selects only the shown rows; a row that goes out of sight loses its
    // selection, and no click reaches it.
    form->txtFind.TypeText("ler");
    EXPECT_TRUE(Key('A', ui::kCtrlMask));
    EXPECT_EQ(Selected(), (std::vector<std::string>{"Alerter", "Spooler"}));
    form->txtFind.TypeText("spool");
    EXPECT_FALSE(form->lvServices.ClickRow(Row(kBackup)));
    EXPECT_EQ(Selected(), std::vector<std::string>{"Spooler"});

    // A hidden service stops elsewhere and another is deleted: the pass, off the
    // window's thread, updates the one and drops the other.
    ASSERT_EQ(pc1().ForceState("Alerter", kServiceStopped), kErrorSuccess);
    ASSERT_EQ(pc1().RemoveService("ZService"), kErrorSuccess);
    host.RunFor(2000);
    stepped.RunAll();
    EXPECT_EQ(Cell("Alerter", kColStatus) + Count(), "StoppedTotal Services : 4 (1 shown)");
    EXPECT_EQ(Icon("Alerter"), kIconInactive);
    // View > Refresh adds new services where the filter says.
    Add(pc1(), Named("Spooler2", "Second", kServiceStopped));
    Add(pc1(), Named("Other", "Unrelated", kServiceStopped));
    form->mnuViewRefresh.Click();
    stepped.RunAll();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"Spooler", "Spooler2"}));
    EXPECT_EQ(Count(), "Total Services : 6 (2 shown)");
    // Another computer: the filter stays and applies to its rows; clearing it
    // brings every row back and the count reads as it always did.
    prompts.AnswerComputer("PC2");
    form->cmdSelectSys.Click();
    stepped.RunAll();
    EXPECT_EQ(Shown(), std::vector<std::string>{"Remote1"});
    EXPECT_EQ(Count(), "Total Services : 2 (1 shown)");
    form->txtFind.TypeText("");
    EXPECT_EQ(Count(), "Total Services : 2");
    EXPECT_EQ(network.OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace vtl::testing
