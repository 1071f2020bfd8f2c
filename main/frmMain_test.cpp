// The main window's frame, command states, the pop-up, sorting, the toolbar,
// browsed computer names and closing.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

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

// --- Sorting, toolbar, browsing --------------------------------------------------------

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

// --- Closing ---------------------------------------------------------------------------

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

}  // namespace
}  // namespace vtl::testing
