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

using ui::testing::Question;
using ui::testing::QuestionKind;

// Names and display names that need quoting, or hold letters beyond ASCII.
constexpr const char* kBackup = "Backup, Daily";
constexpr const char* kUmlaut = "Dienst-\xC3\x9C";  // Dienst-Ü

class KeysTest : public MainWindowTest {
  protected:
    KeysTest() {
        prompts.SetAutoOk(true);
        Add(pc1(), Named("Alerter", "Alerter", kServiceRunning));
        Add(pc1(), Named(kBackup, "Backup \"Nightly\" Agent", kServiceStopped));
        // Überwachung Ölstand, run by LocalService.
        sim::ServiceDefinition umlaut = Named(kUmlaut,
                                              "\xC3\x9C"
                                              "berwachung \xC3\x96lstand",
                                              kServiceStopped);
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
    // The user selects these rows: a click on the first, Ctrl+click on the others.
    void Select(const std::vector<const char*>& names) {
        bool first = true;
        for (const char* name : names) {
            form->lvServices.ClickRow(Row(name), first ? 0 : ui::kCtrlMask);
            first = false;
        }
    }
    bool Key(int key, int shift = 0) { return form->lvServices.KeyDown(key, shift); }
    std::vector<std::string> Selected() {
        std::vector<std::string> names;
        for (ui::ListRowId row : form->lvServices.SelectedRows())
            names.push_back(form->lvServices.Text(row));
        return names;
    }
    std::vector<std::string> Shown() {
        std::vector<std::string> names;
        for (ui::ListRowId row : form->lvServices.ShownRows())
            names.push_back(form->lvServices.Text(row));
        return names;
    }
};

TEST_F(KeysTest, EachKeyOfTheListRunsItsMenuCommandWithTheMenusEnabling) {
    Open();
    struct Case {
        const char* what;
        std::vector<const char*> selected;
        int key;
        int shift;
        bool taken;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"Enter opens the properties", {"Spooler"}, ui::kKeyReturn, 0, true, {"Properties"}},
        {"Enter with nothing selected", {}, ui::kKeyReturn, 0, true, {"Properties"}},
        {"Delete removes", {"Spooler"}, ui::kKeyDelete, 0, true, {"Delete"}},
        {"Delete while Remove is disabled", {"Spooler", "Alerter"}, ui::kKeyDelete, 0, true, {}},
        {"Shift+Enter is the list's", {"Spooler"}, ui::kKeyReturn, ui::kShiftMask, false, {}},
        {"Ctrl+Delete is the list's", {"Spooler"}, ui::kKeyDelete, ui::kCtrlMask, false, {}},
        {"A alone is the list's", {"Spooler"}, 'A', 0, false, {}},
        {"F10 alone is the menu bar's", {"Spooler"}, ui::kKeyF10, 0, false, {}},
        {"Down is the list's", {"Spooler"}, 0x28, 0, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        form->lvServices.ClearSelection();
        Select(c.selected);
        hooks.calls.clear();
        EXPECT_EQ(Key(c.key, c.shift), c.taken);
        EXPECT_EQ(hooks.calls, c.calls);
    }
    // Ctrl+F is the window's shortcut: the find box takes the focus.
    EXPECT_TRUE(form->mnuFind.Click());
    EXPECT_TRUE(form->txtFind.HasFocusRequest());
}

TEST_F(KeysTest, CtrlASelectsEveryShownRowAndCtrlCCopiesTheSelectedOnesAsTabbedText) {
    Open();
    form->lvServices.ClickRow(Row("Spooler"));
    ASSERT_TRUE(form->mnuDelete.Enabled());
    EXPECT_TRUE(Key('A', ui::kCtrlMask));
    EXPECT_EQ(Selected(), Names());
    // As after a click with several rows selected: Remove is disabled, and the
    // commands follow the focused row (Spooler runs).
    EXPECT_FALSE(form->mnuDelete.Enabled());
    EXPECT_FALSE(form->tbRemove.Button(0).enabled);
    EXPECT_TRUE(form->mnuStop.Enabled());
    EXPECT_FALSE(form->mnuStart.Enabled());

    // Copy: a header line, then the rows in list order; a tab or line break inside
    // a field would break the columns, so it becomes a blank.
    form->lvServices.ClearSelection();
    Select({"ZService", kBackup, kUmlaut});
    EXPECT_TRUE(Key('C', ui::kCtrlMask));
    EXPECT_EQ(host.ClipboardText(),
              "Service Name\tDisplay Name\tStatus\tStartup Type\tLogon As\r\n"
              "Backup, Daily\tBackup \"Nightly\" Agent\tStopped\tManual\tLocalSystem\r\n"
              "Dienst-\xC3\x9C\t\xC3\x9C"
              "berwachung \xC3\x96lstand\tStopped\tManual\t"
              "NT AUTHORITY\\LocalService\r\n"
              "ZService\tTwo parts on two lines\tStopped\tManual\tLocalSystem\r\n");

    // Nothing selected: the clipboard keeps what it had. A clipboard another
    // program holds: one message, nothing else changes.
    form->lvServices.ClearSelection();
    EXPECT_TRUE(form->mnuCopy.Click());
    EXPECT_NE(host.ClipboardText().find("ZService"), std::string::npos);
    EXPECT_TRUE(prompts.Questions().empty());
    host.SetClipboardRefuses(true);
    Select({"Alerter"});
    EXPECT_TRUE(form->mnuCopy.Click());
    EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{std::string(kCopyFailed)});
    EXPECT_EQ(prompts.Questions().back().icon, ui::MsgIcon::Exclamation);
}

TEST_F(KeysTest, ContextKeysShowThePopUpAtTheFocusedRowAsARightClickOnItWould) {
    Open();
    const auto popups = [this] {
        std::vector<std::string> out;
        for (const std::string& line : host.Log()) {
            if (line.rfind("Popup", 0) == 0) out.push_back(line);
        }
        host.ClearLog();
        return out;
    };
    // Two rows selected, the focus on the second: the pop-up's Properties and
    // Export are disabled, as for a right click on one of two selected rows.
    Select({"Alerter", "Spooler"});
    host.ClearLog();
    EXPECT_TRUE(Key(ui::kKeyF10, ui::kShiftMask));
    EXPECT_EQ(popups(), std::vector<std::string>{"Popup frmMain.mnuMainPopup at lvServices row 3"});
    EXPECT_FALSE(form->mnuPopProp.Enabled());
    EXPECT_FALSE(form->mnuPopExport.Enabled());
    EXPECT_TRUE(form->mnuPopStop.Enabled());  // Spooler runs

    // One row: both enabled; the context-menu key does the same.
    Select({kBackup});
    EXPECT_TRUE(Key(ui::kKeyApps));
    EXPECT_EQ(popups(), std::vector<std::string>{"Popup frmMain.mnuMainPopup at lvServices row 1"});
    EXPECT_TRUE(form->mnuPopProp.Enabled());
    EXPECT_TRUE(form->mnuPopExport.Enabled());
    EXPECT_TRUE(form->mnuPopStart.Enabled());  // Backup is stopped

    // A focused row that is not selected becomes selected, as under a right click.
    form->lvServices.ClickRow(Row("Alerter"), ui::kCtrlMask);
    form->lvServices.ClickRow(Row("Alerter"), ui::kCtrlMask);  // off again, still focused
    ASSERT_EQ(Selected(), std::vector<std::string>{kBackup});
    EXPECT_TRUE(Key(ui::kKeyApps));
    EXPECT_EQ(Selected(), (std::vector<std::string>{"Alerter", kBackup}));
    popups();

    // The pop-up's Copy copies the selected rows.
    host.onPopup = [](ui::Form&, ui::MenuItem& menu) {
        for (ui::MenuItem* item : menu.Items()) {
            if (item->Name() == "mnuPopCopy") item->Click();
        }
    };
    EXPECT_TRUE(Key(ui::kKeyApps));
    EXPECT_EQ(host.ClipboardText().substr(host.ClipboardText().find("\r\n") + 2, 8), "Alerter\t");

    // No row to show it for: no pop-up, as over empty space.
    form->lvServices.Clear();
    popups();
    EXPECT_TRUE(Key(ui::kKeyApps));
    EXPECT_TRUE(popups().empty());
}

TEST_F(KeysTest, TheFindBoxShowsTheRowsWhoseNameOrDisplayNameHoldsItsTextIgnoringCase) {
    Open();
    ASSERT_EQ(Count(), "Total Services : 5");
    struct Case {
        const char* typed;
        std::vector<std::string> shown;
    };
    const Case cases[] = {
        {"SPOOL", {"Spooler"}},  // the service name, in another case
        {"nightly", {kBackup}},  // the display name
        {"a", {"Alerter", kBackup, kUmlaut, "ZService"}},
        {"\xC3\xBC", {kUmlaut}},     // ü finds Ü, in both names
        {"\xC3\xB6lst", {kUmlaut}},  // ö finds Ö
        {"\xFF", {}},                // a byte no UTF-8 text holds
        {"Backup, D", {kBackup}},
        {"zz", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        form->txtFind.TypeText(c.typed);
        EXPECT_EQ(Shown(), c.shown);
        EXPECT_EQ(Count(), "Total Services : 5 (" + std::to_string(c.shown.size()) + " shown)");
        EXPECT_EQ(form->lvServices.RowCount(), 5);
    }
    // A hidden row loses its selection: commands, Ctrl+A and Delete reach only
    // shown rows.
    form->txtFind.TypeText("");
    Select({"Alerter", "Spooler"});
    form->txtFind.TypeText("spool");
    EXPECT_EQ(Selected(), std::vector<std::string>{"Spooler"});
    form->txtFind.TypeText("ler");
    EXPECT_TRUE(Key('A', ui::kCtrlMask));
    EXPECT_EQ(Selected(), (std::vector<std::string>{"Alerter", "Spooler"}));
    form->txtFind.TypeText("q");
    EXPECT_TRUE(Selected().empty());
    EXPECT_FALSE(form->lvServices.ClickRow(Row("Alerter")));
    host.ClearLog();
    EXPECT_TRUE(Key(ui::kKeyApps));
    EXPECT_TRUE(host.Log().empty());  // no row to show a pop-up for
    // Clearing it brings every row back, and the count reads as it always did.
    form->txtFind.TypeText("");
    EXPECT_EQ(Shown(), Names());
    EXPECT_EQ(Count(), "Total Services : 5");
    EXPECT_TRUE(Selected().empty());
}

TEST_F(KeysTest, ExportWritesTheShownRowsAsUtf8CsvToTheChosenFileAndNamesAFileItCannotWrite) {
    Open();
    pc1().PutDirectory("C:\\Lists");
    form->lvServices.ClickColumn(kColServiceName);  // descending: the file keeps the order
    form->txtFind.TypeText("er");                   // all but Backup
    prompts.AnswerSaveFile("C:\\Lists\\pc1.csv");
    EXPECT_TRUE(form->mnuExportList.Click());
    const Question& asked = prompts.Questions().back();
    EXPECT_EQ(asked.kind, QuestionKind::SaveFile);
    EXPECT_EQ(asked.title, "Export List");
    EXPECT_EQ(asked.save.fileName, "PC1 services.csv");
    EXPECT_EQ(asked.save.defaultExt, "csv");
    EXPECT_EQ(asked.owner, "frmMain");
    EXPECT_EQ(pc1().FileContent("C:\\Lists\\pc1.csv"),
              "\xEF\xBB\xBF"
              "Service Name,Display Name,Status,Startup Type,Logon As\r\n"
              "ZService,\"Two\tparts\non two lines\",Stopped,Manual,LocalSystem\r\n"
              "Spooler,Print Spooler,Running,Manual,LocalSystem\r\n"
              "Dienst-\xC3\x9C,\xC3\x9C"
              "berwachung \xC3\x96lstand,Stopped,Manual,"
              "NT AUTHORITY\\LocalService\r\n"
              "Alerter,Alerter,Running,Manual,LocalSystem\r\n");

    // Every row: fields with a comma and quotes.
    form->txtFind.TypeText("");
    form->lvServices.ClickColumn(kColServiceName);
    prompts.AnswerSaveFile("C:\\Lists\\all.csv");
    EXPECT_TRUE(form->mnuExportList.Click());
    const std::string all = pc1().FileContent("C:\\Lists\\all.csv").value_or("");
    EXPECT_NE(all.find("\r\n\"Backup, Daily\",\"Backup \"\"Nightly\"\" Agent\",Stopped,Manual,"
                       "LocalSystem\r\n"),
              std::string::npos);

    // Cancelled: nothing written. A folder that is missing, or a write refused:
    // one message naming the file, with the system's reason.
    prompts.ClearQuestions();
    prompts.AnswerSaveFile(std::nullopt);
    EXPECT_TRUE(form->mnuExportList.Click());
    EXPECT_EQ(prompts.Questions().size(), 1u);
    prompts.AnswerSaveFile("C:\\Missing\\x.csv");
    EXPECT_TRUE(form->mnuExportList.Click());
    network.FailCall("WriteFile", 1, kErrorAccessDenied);
    prompts.AnswerSaveFile("C:\\Lists\\all.csv");
    EXPECT_TRUE(form->mnuExportList.Click());
    EXPECT_EQ(prompts.MessageTexts(),
              (std::vector<std::string>{
                  ExportListFailedText("C:\\Missing\\x.csv", ErrorText(kErrorPathNotFound)),
                  ExportListFailedText("C:\\Lists\\all.csv", ErrorText(kErrorAccessDenied))}));
    EXPECT_EQ(prompts.Questions().back().icon, ui::MsgIcon::Exclamation);
    EXPECT_EQ(pc1().FileContent("C:\\Lists\\all.csv"), all);
    EXPECT_FALSE(pc1().FileContent("C:\\Missing\\x.csv"));
}

// The filter and the list's readings, at once and through a stepped worker: rows
// that are not shown are read, refreshed, dropped and counted like the others.
class FindAndReadingsTest : public KeysTest, public ::testing::WithParamInterface<bool> {
  protected:
    void Settle() {
        if (GetParam()) stepped.RunAll();
    }
};

TEST_P(FindAndReadingsTest, HiddenRowsAreReadRefreshedDroppedAndCountedAsAlways) {
    Open(GetParam());
    Settle();
    form->txtFind.TypeText("spool");
    ASSERT_EQ(Shown(), std::vector<std::string>{"Spooler"});
    EXPECT_EQ(Count(), "Total Services : 5 (1 shown)");

    // A hidden row's service starts elsewhere and another hidden one is deleted:
    // the pass updates the one and drops the other, and the count follows.
    ASSERT_EQ(pc1().ForceState("Alerter", kServiceStopped), kErrorSuccess);
    ASSERT_EQ(pc1().RemoveService("ZService"), kErrorSuccess);
    host.RunFor(2000);
    Settle();
    EXPECT_EQ(Cell("Alerter", kColStatus), "Stopped");
    EXPECT_EQ(Icon("Alerter"), kIconInactive);
    EXPECT_FALSE(form->lvServices.FindRow("ZService"));
    EXPECT_EQ(Count(), "Total Services : 4 (1 shown)");

    // View > Refresh adds a new service where the filter says.
    Add(pc1(), Named("Spooler2", "Second spooler", kServiceStopped));
    Add(pc1(), Named("Other", "Unrelated", kServiceStopped));
    form->mnuViewRefresh.Click();
    Settle();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"Spooler", "Spooler2"}));
    EXPECT_EQ(Count(), "Total Services : 6 (2 shown)");

    // Another computer: the filter stays and applies to its rows.
    prompts.AnswerComputer("PC2");
    form->cmdSelectSys.Click();
    Settle();
    EXPECT_EQ(Shown(), std::vector<std::string>{"Remote1"});
    EXPECT_EQ(Count(), "Total Services : 2 (1 shown)");
    form->txtFind.TypeText("");
    EXPECT_EQ(Count(), "Total Services : 2");
    EXPECT_EQ(network.OpenHandleCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Executors, FindAndReadingsTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Stepped" : "Inline";
                         });

}  // namespace
}  // namespace vtl::testing
