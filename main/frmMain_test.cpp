// The main window's frame, loading, resizing, closing, computer selection,
// command states and list events.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <stdexcept>

#include "core/ServiceRow.h"
#include "main/MainTestSupport.h"
#include "main/MainTexts.h"

namespace vtl::testing {
namespace {

using ui::testing::QuestionKind;

class FrameTest : public MainWindowTest {
  protected:
    FrameTest() {
        Add(pc1(), Svc("Running1", kServiceDemandStart, kServiceRunning));
        Add(pc1(), Svc("Stopped1", kServiceDemandStart, kServiceStopped));
        Add(pc1(), Svc("Paused1", kServiceDemandStart, kServicePaused));
        Add(pc1(), Svc("Auto1", kServiceAutoStart, kServiceStopped));
        Add(pc2(), Svc("Remote1", kServiceDemandStart, kServiceRunning));
        Add(pc2(), Svc("Remote2", kServiceDemandStart, kServiceStopped));
    }
    ui::ListMouseEvent Mouse(ui::MouseButton button, ui::ListRowId row) {
        ui::ListMouseEvent e;
        e.button = button;
        e.row = row;
        e.x = 300;
        e.y = 300;
        return e;
    }
    std::vector<ui::MenuItem*> PopupItems() {
        return {&form->mnuPopStart, &form->mnuPopStop, &form->mnuPopRestart, &form->mnuPopProp,
                &form->mnuPopExport};
    }
    // The settings of the window as written under Vantrel\Settings.
    static std::map<ui::testing::TestHost::SettingKey, std::string> Written(
        std::initializer_list<std::pair<std::string, std::string>> values) {
        std::map<ui::testing::TestHost::SettingKey, std::string> out;
        for (const auto& [name, value] : values)
            out[{"Vantrel", "Settings", name}] = value;
        return out;
    }
};

// A window that another part of the program opened, to see the order of closing.
class OtherForm : public ui::Form {
  public:
    OtherForm(ui::UiHost& host, std::string name) : Form(host, std::move(name)) {}
};

// --- Design -------------------------------------------------------------------------

// The texts a user reads and the keys he presses, one line per control.
TEST_F(FrameTest, MenusToolbarsColumnsAndLegendShowTheirTextsAndKeys) {
    {
        frmMain unloaded(host, platform());  // the status panel's design text
        EXPECT_EQ(unloaded.sbStatusBar.PanelText(0) + unloaded.sbStatusBar.PanelText(1), "Status");
        EXPECT_EQ(unloaded.lvServices.RowCount(), 0);
    }
    Open();
    std::vector<std::string> shown;
    for (const ui::MenuItem* menu : form->Menus()) {
        shown.push_back(menu->Caption() + ":");
        for (const ui::MenuItem* item : menu->Items()) {
            shown.back() += " " + item->Caption();
            if (item->ShownKey()) shown.back() += "\t" + ui::ShortcutText(item->ShownKey());
        }
    }
    std::string tips;
    for (ui::Toolbar* bar : {&form->tbStart, &form->tbStop, &form->tbRestart, &form->tbProp,
                             &form->tbCreate, &form->tbRemove, &form->tbHelp})
        tips += bar->Button(0).caption + bar->Button(0).toolTip + "|";
    for (int i = 0; i < form->lvServices.ColumnCount(); ++i)
        shown.push_back(form->lvServices.Column(i).caption);
    for (int i = 1; i <= 3; ++i)
        shown.push_back(form->sbStatusBar.PanelText(i) + "#" +
                        std::to_string(form->sbStatusBar.Panel(i).image));
    EXPECT_EQ(shown,
              (std::vector<std::string>{
                  "&File: &Export List... - E&xit",
                  "&Edit: &Copy\tCtrl+C Select &All\tCtrl+A - &Find\tCtrl+F", "&View: &Refresh\tF5",
                  "&Service: &Start Sto&p &Restart - &Create Service &Remove Service\tDel - "
                  "&Export New Service Export Se&lected Service - &Properties\tEnter",
                  "&Help: &Contents\tF1 - &About ",
                  "Main Popup: Start Stop Restart Properties\tEnter - Export - Copy\tCtrl+C",
                  "Service Name", "Display Name", "Status", "Startup Type", "Logon As", "Running#1",
                  "Manual Stopped#2", "Auto Stopped/Disabled#3"}));
    EXPECT_EQ(tips,
              "Start a service|Stop a service|Restart a service|View service properties|"
              "Create Create new service|Remove Remove a service|Help|");
    // Only Refresh, Contents and Find are shortcuts of the whole window: the list's
    // keys stay the find box's while it has the focus.
    for (const ui::MenuItem* item : {&form->mnuDelete, &form->mnuProperties, &form->mnuCopy,
                                     &form->mnuSelectAll, &form->mnuPopCopy})
        EXPECT_FALSE(item->GetShortcut()) << item->Name();
    EXPECT_FALSE(form->mnuMainPopup.Visible());
    EXPECT_EQ(form->lblFind.Caption() + form->lblSystems.Caption() + form->cmdSelectSys.Caption(),
              "F&ind :&Computer :Select &Computer");
    EXPECT_EQ(form->tmrRefresh.Interval(), 2000u);
    EXPECT_EQ(form->tmrService.Interval(), 100u);
    EXPECT_FALSE(form->tmrService.Running());
    EXPECT_EQ(host.HelpFile(), "Vtlhelp.hlp");
}

// --- Loading -----------------------------------------------------------------------

TEST_F(FrameTest, LoadingListsTheLocalComputerSortedWithTheFirstRowClicked) {
    Open();
    EXPECT_EQ(form->cboSystems.ListCount(), 1);
    EXPECT_EQ(form->cboSystems.Text(), "PC1");
    EXPECT_EQ(Names(), (std::vector<std::string>{"Auto1", "Paused1", "Running1", "Stopped1"}));
    EXPECT_TRUE(form->lvServices.Sorted());
    EXPECT_EQ(form->lvServices.SortKey(), 0);
    EXPECT_EQ(Count(), "Total Services : 4");
    // Row 1 (Auto1, stopped, automatic) was clicked: its icon is set and Start is on.
    EXPECT_EQ(Icon("Auto1"), kIconDisabled);
    ExpectCommands(true, false, false);
    EXPECT_EQ(form->lvServices.SelectedCount(), 0);
}

TEST_F(FrameTest, AComputerNameThatCannotBeReadEndsLoadingWithoutAMessage) {
    network.FailCall("GetComputerName", 1, 5);
    endsDone = false;
    Open();
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(form->cboSystems.ListCount(), 0);
    EXPECT_EQ(form->lvServices.RowCount(), 0);
    EXPECT_EQ(form->sbStatusBar.PanelText(1), "");  // the legend was not reached
    EXPECT_EQ(form->Caption(), "Vantrel");
}

// --- Resizing --------------------------------------------------------------------------

// The list's height by the rule: the window's height less 1325 twips, never
// below 0, and never reaching under the status bar.
int RuleHeight(const frmMain& form, int windowHeight) {
    const int room = std::max(form.ScaleHeight() - form.lvServices.Top() - kStatusBarHeight, 0);
    return std::min(std::max(windowHeight - kListHeightMargin, 0), room);
}

TEST_F(FrameTest, ResizeFollowsTheWindowAboveItsThresholdsNeverNegativeNorMinimized) {
    Open();
    const int top = form->lvServices.Top();
    const struct {
        int width, height, listWidth;
        bool follows;
    } steps[] = {
        {4000, 1500, 3900, true},   // the width test alone passes
        {3800, 1900, 3900, false},  // neither test passes: the list stays
        {3000, 2100, 2900, true},   // the height test alone passes
        {6000, 1000, 5900, true},   // height 0, never below
        {50, 2500, 0, true},        // width 0, never below
        {9000, 6000, 8900, true},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(std::to_string(step.width) + "x" + std::to_string(step.height));
        const int before = form->lvServices.Height();
        form->Move(0, 0, step.width, step.height);
        EXPECT_EQ(form->lvServices.Width(), step.listWidth);
        EXPECT_EQ(form->lvServices.Height(),
                  step.follows ? RuleHeight(*form, step.height) : before);
        EXPECT_EQ(form->lvServices.Top(), top);
        EXPECT_EQ(form->lvServices.Left(), form->sbStatusBar.Left());
    }
    EXPECT_GT(form->lvServices.Height(), 0);
    const int height = form->lvServices.Height();
    form->SetWindowState(ui::WindowState::Minimized);
    form->Move(0, 0, 5000, 4000);
    EXPECT_EQ(form->lvServices.Width(), 8900);
    EXPECT_EQ(form->lvServices.Height(), height);
}

TEST_F(FrameTest, TheListNeverReachesUnderTheStatusBar) {
    Open();
    form->Move(0, 0, 12500, 7500);  // the find box shrinks to stay inside
    EXPECT_LT(form->txtFind.Left() + form->txtFind.Width(), form->ScaleWidth());
    for (int height : {2100, 4000, 7500, 12000}) {
        form->Move(0, 0, 9000, height);
        EXPECT_LE(form->lvServices.Top() + form->lvServices.Height(),
                  form->ScaleHeight() - kStatusBarHeight)
            << height;
        // Where the window leaves room enough, the rule's own height stands.
        EXPECT_GE(form->lvServices.Height(),
                  std::min(height - kListHeightMargin,
                           form->ScaleHeight() - form->lvServices.Top() - kStatusBarHeight))
            << height;
    }
}

// --- Closing -----------------------------------------------------------------------

TEST_F(FrameTest, ClosingUnloadsTheOtherWindowsNewestFirstAndWritesTheSettings) {
    Open();
    OtherForm properties(host, "frmProperties");
    OtherForm errors(host, "frmErrorMsg");
    properties.Show();
    errors.Show();
    form->Move(240, 360, 9000, 6000);
    host.ClearLog();
    EXPECT_TRUE(form->Unload(ui::UnloadMode::ControlMenu));
    EXPECT_EQ(host.Log(), (std::vector<std::string>{"Unload frmErrorMsg", "Unload frmProperties",
                                                    "Unload frmMain"}));
    EXPECT_EQ(host.Settings(), Written({{"MainLeft", "240"},
                                        {"MainTop", "360"},
                                        {"MainWidth", "9000"},
                                        {"MainHeight", "6000"},
                                        {"ViewMode", "3"},
                                        {"SortKey", "0"},
                                        {"SortOrder", "0"}}));
}

TEST_F(FrameTest, ClosingAMinimizedWindowWritesOnlyTheViewModeAndTheSort) {
    Open();
    form->lvServices.ClickColumn(kColStatus);
    form->lvServices.ClickColumn(kColStatus);
    form->SetWindowState(ui::WindowState::Minimized);
    EXPECT_TRUE(form->Unload(ui::UnloadMode::ControlMenu));
    EXPECT_EQ(host.Settings(), Written({{"ViewMode", "3"}, {"SortKey", "2"}, {"SortOrder", "1"}}));
}

TEST_F(FrameTest, ExitEndsTheProgramWithoutClosingWindowsOrWritingSettings) {
    Open();
    OtherForm errors(host, "frmErrorMsg");
    errors.Show();
    host.ClearLog();
    EXPECT_TRUE(form->mnuExit.Click());
    EXPECT_EQ(host.Log(), std::vector<std::string>{"End"});
    EXPECT_TRUE(host.Ending());
    EXPECT_TRUE(host.Settings().empty());
    EXPECT_TRUE(errors.Loaded());
}

// --- Help ------------------------------------------------------------------------------

TEST_F(FrameTest, HelpContentsF1AndTheHelpButtonOpenTheHelpFileWithCommand15) {
    Open();
    prompts.AnswerHelp().AnswerHelp().AnswerHelp(false);
    EXPECT_TRUE(form->mnuHelpContents.Click());
    EXPECT_TRUE(form->tbHelp.ClickButton("Help"));
    EXPECT_TRUE(form->tbHelp.ClickButton(0));
    ASSERT_EQ(prompts.Questions().size(), 3u);
    for (const auto& q : prompts.Questions()) {
        EXPECT_EQ(q.kind, QuestionKind::Help);
        EXPECT_EQ(q.helpFile + "|" + std::to_string(q.helpCommand) + "|" + q.owner,
                  "Vtlhelp.hlp|15|frmMain");
    }
}

// --- Command states -------------------------------------------------------------------

TEST_F(FrameTest, CommandStateTableWithUnchangedForPausedAndUnknownStates) {
    Open();
    form->lvServices.ClickRow(Row("Stopped1"));
    ExpectCommands(true, false, false);
    form->lvServices.ClickRow(Row("Paused1"));  // unchanged from the stopped row
    ExpectCommands(false, false, false);
    form->lvServices.ClickRow(Row("Running1"));
    ExpectCommands(false, true, true);
    form->lvServices.ClickRow(Row("Paused1"));  // unchanged from the running row
    ExpectCommands(false, true, true);
    EXPECT_EQ(Icon("Paused1"), kIconActive);

    const ui::ListRowId row = Row("Running1");
    for (std::uint32_t state : {5u, 6u, 7u, 0u, 9u}) {
        SCOPED_TRACE(state);
        form->UpdateCommandState(kServiceRunning, row);
        form->UpdateCommandState(state, row);
        ExpectCommands(false, true, true);
        form->UpdateCommandState(kServiceStopped, row);
        form->UpdateCommandState(state, row);
        ExpectCommands(false, false, false);
    }
    for (std::uint32_t state : {2u, 3u}) {
        form->UpdateCommandState(kServiceRunning, row);
        form->UpdateCommandState(state, row);
        ExpectCommands(false, false, false);
    }
}

// Marked for Deletion turns every command off whatever the state; Starting gets the
// busy icon; a row no longer listed leaves the commands to the state.
TEST_F(FrameTest, MarkedStartingAndUnlistedRowsSetTheirCommandsAndIcons) {
    Open();
    const ui::ListRowId row = Row("Stopped1");
    form->lvServices.SetText(row, kColStatus, "Marked for Deletion");
    form->lvServices.ClickRow(Row("Running1"));
    ExpectCommands(false, true, true);
    form->lvServices.ClickRow(row);
    ExpectCommands(false, false, false);
    EXPECT_EQ(Icon("Stopped1"), kIconDisabled);  // state 0 from the column
    form->UpdateCommandState(kServiceStopped, row);
    ExpectCommands(false, false, false);

    form->lvServices.SetText(row, kColStatus, "Starting");
    form->lvServices.ClickRow(row);
    EXPECT_EQ(Icon("Stopped1"), kIconBusy);
    ExpectCommands(false, false, false);

    form->lvServices.RemoveRow(row);
    form->UpdateCommandState(kServiceRunning, row);
    ExpectCommands(false, true, true);
    form->UpdateCommandState(kServiceStopped, ui::ListRowId{});
    ExpectCommands(true, false, false);
}

TEST_F(FrameTest, SelectingTwoRowsDisablesRemoveAndOneRowEnablesItAgain) {
    Open();
    form->lvServices.ClickRow(Row("Running1"));
    EXPECT_TRUE(form->mnuDelete.Enabled());
    EXPECT_TRUE(form->tbRemove.Button(0).enabled);
    form->lvServices.ClickRow(Row("Stopped1"), ui::kCtrlMask);
    EXPECT_EQ(form->lvServices.SelectedCount(), 2);
    EXPECT_FALSE(form->mnuDelete.Enabled());
    EXPECT_FALSE(form->tbRemove.Button(0).enabled);
    // The other commands follow the clicked row alone.
    ExpectCommands(true, false, false);
    form->lvServices.ClickRow(Row("Paused1"));
    EXPECT_TRUE(form->mnuDelete.Enabled());
    EXPECT_TRUE(form->tbRemove.Button(0).enabled);
    // Other commands are never disabled by the selection.
    for (const ui::MenuItem* item : {&form->mnuCreateSrv, &form->mnuExport, &form->MnuExportSel,
                                     &form->mnuProperties, &form->mnuViewRefresh})
        EXPECT_TRUE(item->Enabled()) << item->Name();
}

// --- Right button, double click ---------------------------------------------------------

// The pop-up's Start, Stop and Restart follow the row under the pointer;
// Properties and Export need one row selected.
TEST_F(FrameTest, RightClickSelectsTheRowAndShowsThePopupWithItsItemsSet) {
    Open();
    form->lvServices.ClickRow(Row("Running1"));
    host.ClearLog();
    std::string enabled;
    host.onPopup = [&](ui::Form&, ui::MenuItem& menu) {
        EXPECT_EQ(&menu, &form->mnuMainPopup);
        enabled.clear();
        for (const ui::MenuItem* item : PopupItems())
            enabled += item->Enabled() ? "1" : "0";
    };
    form->lvServices.MouseDown(Mouse(ui::MouseButton::Right, Row("Running1")));
    EXPECT_EQ(enabled, "01111");
    form->lvServices.MouseDown(Mouse(ui::MouseButton::Right, Row("Stopped1")));
    EXPECT_EQ(enabled, "10000");
    EXPECT_TRUE(form->lvServices.Selected(Row("Stopped1")));
    EXPECT_TRUE(form->lvServices.Selected(Row("Running1")));
    EXPECT_EQ(host.Log(), (std::vector<std::string>{"Popup frmMain.mnuMainPopup",
                                                    "Popup frmMain.mnuMainPopup"}));
    form->lvServices.ClickRow(Row("Paused1"));
    form->lvServices.MouseDown(Mouse(ui::MouseButton::Right, Row("Paused1")));
    EXPECT_EQ(enabled.substr(3), "11");
}

TEST_F(FrameTest, RightClickBelowTheLastRowShowsNoPopup) {
    Open();
    host.ClearLog();
    form->lvServices.MouseDown(Mouse(ui::MouseButton::Right, ui::ListRowId{}));
    form->lvServices.MouseDown(Mouse(ui::MouseButton::Left, Row("Running1")));
    EXPECT_TRUE(host.Log().empty());
    EXPECT_EQ(form->lvServices.SelectedCount(), 0);
}

TEST_F(FrameTest, ADoubleClickOpensThePropertiesOnReleaseAndASingleClickDoesNot) {
    Open();
    form->lvServices.ClickRow(Row("Running1"));
    form->lvServices.MouseUp(Mouse(ui::MouseButton::Left, Row("Running1")));
    EXPECT_TRUE(hooks.calls.empty());

    form->lvServices.DblClick();
    form->lvServices.MouseUp(Mouse(ui::MouseButton::Left, Row("Running1")));
    EXPECT_EQ(hooks.calls, std::vector<std::string>{"Properties"});
    // The flag went with that release.
    form->lvServices.MouseUp(Mouse(ui::MouseButton::Left, Row("Running1")));
    EXPECT_EQ(hooks.calls.size(), 1u);

    // A right release or a release over empty space clears the flag too.
    form->lvServices.DblClick();
    form->lvServices.MouseUp(Mouse(ui::MouseButton::Right, Row("Running1")));
    form->lvServices.MouseUp(Mouse(ui::MouseButton::Left, Row("Running1")));
    form->lvServices.DblClick();
    form->lvServices.MouseUp(Mouse(ui::MouseButton::Left, ui::ListRowId{}));
    form->lvServices.MouseUp(Mouse(ui::MouseButton::Left, Row("Running1")));
    EXPECT_EQ(hooks.calls.size(), 1u);
}

// --- Sorting ---------------------------------------------------------------------------

TEST_F(FrameTest, AColumnClickSortsAscendingAndTheNextOnTheSameColumnTurnsTheOrder) {
    Add(pc1(), Svc("Zed", kServiceDisabled, kServiceStopped, "NT AUTHORITY\\NetworkService"));
    Open();
    // Loading sorted by name, ascending: a click on that column turns it round.
    for (int column : {kColServiceName, kColDisplayName, kColStatus, kColStartupType, kColLogonAs,
                       kColServiceName}) {
        SCOPED_TRACE(column);
        const bool turns = form->lvServices.SortKey() == column;
        for (bool ascending : {!turns, turns, !turns}) {
            form->lvServices.ClickColumn(column);
            std::vector<std::string> texts;
            for (ui::ListRowId row : form->lvServices.Rows())
                texts.push_back(form->lvServices.Text(row, column));
            EXPECT_TRUE(std::is_sorted(texts.begin(), texts.end(),
                                       [ascending](const std::string& a, const std::string& b) {
                                           const int c = ui::CompareListText(a, b);
                                           return ascending ? c < 0 : c > 0;
                                       }));
            EXPECT_EQ(form->lvServices.GetSortOrder(),
                      ascending ? ui::SortOrder::Ascending : ui::SortOrder::Descending);
        }
    }
    // Equal texts keep their order both ways (a stable sort of the status text).
    form->lvServices.ClickColumn(kColStatus);
    EXPECT_EQ(Names().front() + " " + Names().back(), "Paused1 Zed");
    form->lvServices.ClickColumn(kColStatus);
    EXPECT_EQ(Names().front() + " " + Names().back(), "Auto1 Paused1");
    // Another computer's rows come in the same order.
    prompts.AnswerComputer("PC2");
    form->cmdSelectSys.Click();
    EXPECT_EQ(Names(), (std::vector<std::string>{"Remote2", "Remote1"}));
}

// --- Toolbar buttons and menu commands --------------------------------------------------

// Disabled items and a button with another key run nothing.
TEST_F(FrameTest, ToolbarButtonsMenuAndPopupItemsRunTheirCommands) {
    Open();
    form->tbCreate.AddButton(ui::ToolbarButton{"Other", "Other", "", 0});
    EXPECT_TRUE(form->tbCreate.ClickButton("Other"));
    form->lvServices.ClickRow(Row("Stopped1"));
    form->tbStart.ClickButton("Start");
    form->tbProp.ClickButton("Properties");
    form->tbCreate.ClickButton("Create");
    form->tbRemove.ClickButton("Remove");
    form->tbStop.ClickButton("Stop");
    form->lvServices.ClickRow(Row("Running1"));
    form->tbStop.ClickButton("Stop");
    form->tbRestart.ClickButton("Restart");
    EXPECT_EQ(hooks.calls, (std::vector<std::string>{"Start", "Properties", "CreateSrv", "Delete",
                                                     "Stop", "Restart"}));
    hooks.calls.clear();
    form->lvServices.ClickRow(Row("Stopped1"));
    for (ui::MenuItem* item :
         {&form->mnuStart, &form->mnuCreateSrv, &form->mnuDelete, &form->mnuExport,
          &form->MnuExportSel, &form->mnuProperties, &form->mnuHelpAbout})
        item->Click();
    EXPECT_EQ(hooks.calls, (std::vector<std::string>{"Start", "CreateSrv", "Delete", "Export",
                                                     "ExportSel", "Properties", "About"}));
    hooks.calls.clear();
    host.onPopup = [&](ui::Form&, ui::MenuItem&) {
        for (ui::MenuItem* item : PopupItems())
            item->Click();
    };
    for (const char* name : {"Stopped1", "Running1"}) {
        form->lvServices.ClickRow(Row(name));
        form->lvServices.MouseDown(Mouse(ui::MouseButton::Right, Row(name)));
    }
    EXPECT_EQ(hooks.calls, (std::vector<std::string>{"Start", "Properties", "ExportSel", "Stop",
                                                     "Restart", "Properties", "ExportSel"}));
}

TEST_F(FrameTest, AFailingCommandEndsQuietly) {
    struct Throwing : OperationsHooks {
        void mnuStart_Click(frmMain&) override { throw std::runtime_error("start"); }
        void mnuProperties_Click(frmMain&) override { throw std::runtime_error("properties"); }
        void tmrService_Timer(frmMain&) override { throw std::runtime_error("tick"); }
    } throwing;
    Open();
    form->SetHooks(throwing);
    form->lvServices.ClickRow(Row("Stopped1"));
    EXPECT_NO_THROW(form->tbStart.ClickButton("Start"));
    EXPECT_NO_THROW(form->mnuStart.Click());
    EXPECT_NO_THROW(form->tbProp.ClickButton("Properties"));
    form->tmrService.SetEnabled(true);
    EXPECT_NO_THROW(host.RunFor(300));
}

TEST_F(FrameTest, TheStartWatchTimerRunsItsHookEvery100MsOnceEnabled) {
    Open();
    host.RunFor(1000);
    EXPECT_TRUE(hooks.calls.empty());
    form->tmrService.SetEnabled(true);
    host.RunFor(1000);
    EXPECT_EQ(std::count(hooks.calls.begin(), hooks.calls.end(), "tmrService"), 10);
}

TEST_F(FrameTest, TheMainWindowIsTheGlobalOneWhileItExists) {
    EXPECT_EQ(MainWindow(), nullptr);
    Open();
    EXPECT_EQ(MainWindow(), form.get());
    frmMain second(host, platform());
    EXPECT_EQ(MainWindow(), form.get());
    form.reset();
    EXPECT_EQ(MainWindow(), nullptr);
}

// --- Computer selection ---------------------------------------------------------------

TEST_F(FrameTest, BrowsingToANewComputerAddsItOnceAndListsItsServices) {
    Open();
    prompts.AnswerComputer("PC2").AnswerComputer("PC2");
    // The browser is asked with the window as owner and its title.
    EXPECT_TRUE(form->cmdSelectSys.Click());
    const auto& q = prompts.Questions().back();
    EXPECT_EQ(q.kind, QuestionKind::Computer);
    EXPECT_EQ(q.title + "|" + q.owner,
              "Select a Computer from where you want to load services.|frmMain");
    EXPECT_EQ(form->cboSystems.ListCount(), 2);
    EXPECT_EQ(form->cboSystems.List(1) + form->cboSystems.Text(), "PC2PC2");
    EXPECT_EQ(Names(), (std::vector<std::string>{"Remote1", "Remote2"}));
    EXPECT_EQ(Count(), "Total Services : 2");
    EXPECT_TRUE(form->cmdSelectSys.Click());
    EXPECT_EQ(form->cboSystems.ListCount(), 2);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Remote1", "Remote2"}));
    // The tick follows the chosen computer.
    network.ClearCallLog();
    host.RunFor(2000);
    ASSERT_FALSE(network.CallLog().empty());
    EXPECT_EQ(network.CallLog().front().argument, "\\\\PC2");
}

TEST_F(FrameTest, BrowsingShowsTheLoadingTextAndHourglassWhileTheBrowserIsUp) {
    Open();
    std::string progress;
    ui::MousePointer pointer = ui::MousePointer::Default;
    prompts.onBrowse = [&] {
        progress = Progress();
        pointer = form->GetMousePointer();
    };
    for (const std::optional<std::string>& answer : {std::optional<std::string>(), {"PC2"}}) {
        SCOPED_TRACE(answer.value_or("cancelled"));
        progress.clear();
        prompts.AnswerComputer(answer);
        form->cmdSelectSys.Click();
        EXPECT_EQ(progress, "Please Wait, Loading network systems...");
        EXPECT_EQ(pointer, ui::MousePointer::Hourglass);
        EXPECT_EQ(Progress(), "Done");
        EXPECT_EQ(form->GetMousePointer(), ui::MousePointer::Default);
    }
}

TEST_F(FrameTest, PickingAListedComputerInOtherCaseSelectsTheEntryAndRefillsTheList) {
    Open();
    form->lvServices.ClickRow(Row("Running1"));
    prompts.AnswerComputer("pc1");
    pc1().AddService(Svc("New1"));
    form->cmdSelectSys.Click();
    EXPECT_EQ(form->cboSystems.ListCount(), 1);
    EXPECT_EQ(form->cboSystems.Text(), "PC1");
    EXPECT_EQ(form->lvServices.RowCount(), 5);  // refilled
    EXPECT_EQ(form->lvServices.SelectedCount(), 0);
    EXPECT_TRUE(form->IsComputerListed("pc1"));
    EXPECT_TRUE(form->IsComputerListed(std::string("Pc1\0junk", 8)));
    EXPECT_FALSE(form->IsComputerListed("PC12"));
    EXPECT_FALSE(form->IsComputerListed(""));
}

TEST_F(FrameTest, CancellingTheBrowserChangesNothing) {
    Open();
    form->lvServices.ClickRow(Row("Running1"));
    form->lvServices.SetTag(Row("Running1"), "77");
    const std::vector<ui::ListRowId> rows = form->lvServices.Rows();
    network.ClearCallLog();
    prompts.AnswerComputer(std::nullopt);
    form->cmdSelectSys.Click();
    EXPECT_EQ(form->cboSystems.ListCount(), 1);
    EXPECT_EQ(form->cboSystems.Text(), "PC1");
    EXPECT_EQ(form->lvServices.Rows(), rows);
    EXPECT_TRUE(form->lvServices.Selected(Row("Running1")));
    EXPECT_EQ(form->lvServices.Tag(Row("Running1")), "77");
    EXPECT_EQ(network.CountCalls("OpenSCManager"), 0u);
}

TEST_F(FrameTest, BrowsedNamesAreNormalisedOrRefused) {
    Open();
    prompts.AnswerComputer("\\\\pc2 ");
    form->cmdSelectSys.Click();
    EXPECT_EQ(form->cboSystems.ListCount(), 2);
    EXPECT_EQ(form->cboSystems.List(1), "pc2");
    EXPECT_EQ(Names(), (std::vector<std::string>{"Remote1", "Remote2"}));

    for (const char* bad : {"", "   ", "PC\\2", "\\\\PC2\\share", "two words", "a:b"}) {
        SCOPED_TRACE(bad);
        prompts.ClearQuestions();
        prompts.AnswerComputer(std::string(bad)).AnswerMsgBox(ui::MsgResult::OK);
        form->cmdSelectSys.Click();
        ASSERT_EQ(prompts.Questions().size(), 2u);
        EXPECT_EQ(prompts.Questions()[1].text,
                  "\"" + std::string(bad) + "\" is not a valid computer name.");
        EXPECT_EQ(prompts.Questions()[1].icon, ui::MsgIcon::Information);
        EXPECT_EQ(form->cboSystems.ListCount(), 2);
        EXPECT_EQ(form->cboSystems.Text(), "pc2");
    }
}

TEST_F(FrameTest, AnUnreachableComputerStaysSelectedWithAnEmptyList) {
    Open();
    pc2().SetUnreachable(true);
    prompts.AnswerComputer("PC2").AnswerMsgBox(ui::MsgResult::OK);
    form->cmdSelectSys.Click();
    const std::vector<std::string> texts = prompts.MessageTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], ErrorText(1722) + "  1722");
    EXPECT_NE(texts[0].find("\rThis may be due to network problems."), std::string::npos);
    EXPECT_EQ(form->cboSystems.Text(), "PC2");
    EXPECT_EQ(form->lvServices.RowCount(), 0);
    EXPECT_EQ(Count(), "Total Services : 0");
    host.RunFor(4000);  // the tick stays silent on it
    EXPECT_EQ(prompts.Questions().size(), 2u);
}

}  // namespace
}  // namespace vtl::testing
