#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/Bars.h"
#include "ui/Control.h"
#include "ui/Form.h"
#include "ui/ImageList.h"
#include "ui/LineBreaks.h"
#include "ui/ListControls.h"
#include "ui/testing/ScriptedPrompter.h"
#include "ui/testing/TestHost.h"

namespace vtl::ui {
namespace {

class ControlsTest : public ::testing::Test {
  protected:
    testing::ScriptedPrompter prompts;
    testing::TestHost host{prompts};
    Form form{host, "frmTest"};
};

TEST_F(ControlsTest, ControlsRegisterWithTheirContainersInOrder) {
    Label lbl{form, "lblA", "&Computer :"};
    Frame fra{form, "fraLogon", "Logon as"};
    OptionButton opt1{fra, "optSysAcc", "&System Account"};
    OptionButton opt2{fra, "optThisAcc", "&This Account"};
    CommandButton cmd{form, "cmdOK", "OK"};
    EXPECT_EQ(form.Children(), (std::vector<Control*>{&lbl, &fra, &cmd}));
    EXPECT_EQ(fra.Children(), (std::vector<Control*>{&opt1, &opt2}));
    EXPECT_EQ(form.AllControls(), (std::vector<Control*>{&lbl, &fra, &opt1, &opt2, &cmd}));
    EXPECT_EQ(&opt2.OwnerForm(), &form);
    EXPECT_EQ(opt1.TabIndex() + 1, opt2.TabIndex());
    // A control in a disabled or hidden container cannot be reached.
    fra.SetEnabled(false);
    EXPECT_FALSE(opt1.Reachable());
    EXPECT_FALSE(opt1.Click());
    fra.SetEnabled(true);
    EXPECT_TRUE(opt1.Click());
    {
        Label temp{fra, "lblTemp"};
        EXPECT_EQ(fra.Children().size(), 3u);
    }
    EXPECT_EQ(fra.Children().size(), 2u);
    // Negative sizes are stored as zero.
    lbl.Move(100, 200, -5, 300);
    EXPECT_EQ(lbl.Width(), 0);
    lbl.SetHeight(-1325);
    EXPECT_EQ(lbl.Height(), 0);
}

TEST_F(ControlsTest, CheckBoxClickCyclesAndSettersAreSilent) {
    CheckBox chk{form, "ChkInteract", "Interact with desktop"};
    int clicks = 0;
    chk.onClick = [&] { ++clicks; };
    chk.SetValue(CheckValue::Checked);
    EXPECT_EQ(clicks, 0);
    chk.Click();
    EXPECT_EQ(chk.Value(), CheckValue::Unchecked);
    chk.Click();
    EXPECT_EQ(chk.Value(), CheckValue::Checked);
    chk.SetValue(CheckValue::Grayed);
    chk.Click();
    EXPECT_EQ(chk.Value(), CheckValue::Unchecked);
    EXPECT_EQ(clicks, 3);
    chk.SetVisible(false);
    EXPECT_FALSE(chk.Click());
}

TEST_F(ControlsTest, TextBoxTypingHonoursLockAndMaxLength) {
    TextBox txt{form, "txtSrvName"};
    int changes = 0;
    txt.onChange = [&] { ++changes; };
    txt.SetMaxLength(4);
    txt.TypeText("Dienst");
    EXPECT_EQ(txt.Text(), "Dien");
    txt.TypeText("Dien");  // same text: no Change
    EXPECT_EQ(changes, 1);
    txt.TypeText("\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F\xC3\xA9");  // five characters, ten bytes
    EXPECT_EQ(txt.Text(), "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F");
    txt.SetLocked(true);
    txt.TypeText("x");
    EXPECT_EQ(txt.Text(), "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F");
    txt.SetText("code may");  // code is not limited by the lock
    EXPECT_EQ(txt.Text(), "code may");
    EXPECT_EQ(changes, 2);
}

TEST_F(ControlsTest, DefaultAndCancelButtonsAreUniquePerForm) {
    CommandButton ok{form, "cmdOK", "OK"};
    CommandButton close{form, "cmdClose", "&Cancel"};
    ok.SetDefault(true);
    close.SetDefault(true);
    EXPECT_FALSE(ok.Default());
    EXPECT_TRUE(close.Default());
    close.SetCancel(true);
    ok.SetCancel(true);
    EXPECT_FALSE(close.Cancel());
}

TEST_F(ControlsTest, CombosSelectByTextIgnoringCaseAndOnlyADropDownListRefusesTyping) {
    ComboBox cbo{form, "cboSystems", ComboStyle::DropDownList};
    int clicks = 0;  // Click of the list, then Change of the combo
    cbo.onClick = [&] { ++clicks; };
    cbo.AddItem("HOST1");
    cbo.AddItem("Server");
    EXPECT_EQ(cbo.ListIndex(), -1);
    EXPECT_EQ(cbo.Text(), "");
    EXPECT_TRUE(cbo.SetText("server"));
    EXPECT_EQ(cbo.ListIndex(), 1);
    EXPECT_EQ(cbo.Text(), "Server");  // the item's own text
    EXPECT_FALSE(cbo.SetText("nowhere"));
    EXPECT_EQ(cbo.Text(), "Server");
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(cbo.SelectItem(0));
    EXPECT_EQ(cbo.Text(), "HOST1");
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(cbo.FindItem("host1"), 0);
    EXPECT_FALSE(cbo.TypeText("free text"));  // a drop-down list takes no typing
    cbo.AddItem("First", 0);
    EXPECT_EQ(cbo.ListIndex(), 1);  // the selection moves with its item
    cbo.RemoveItem(1);
    EXPECT_EQ(cbo.ListIndex(), -1);
    EXPECT_EQ(cbo.Text(), "");
    EXPECT_THROW(cbo.SetListIndex(5), std::out_of_range);

    // A drop-down combo takes typing; the list index follows the typed text.
    ComboBox combo{form, "cboStartupType"};
    combo.AddItem("Manual");
    combo.AddItem("Automatic");
    combo.onChange = [&] { ++clicks; };
    EXPECT_TRUE(combo.TypeText("automatic"));
    EXPECT_EQ(combo.Text(), "automatic");
    EXPECT_EQ(combo.ListIndex(), 1);
    EXPECT_TRUE(combo.TypeText("other"));
    EXPECT_EQ(combo.ListIndex(), -1);
    EXPECT_EQ(clicks, 3);
}

TEST_F(ControlsTest, ToolbarPassesTheClickedButton) {
    ImageList iml{form, "imlToolbarIcons"};
    EXPECT_EQ(iml.Add("Start"), 1);
    EXPECT_EQ(iml.Add("Stop"), 2);
    EXPECT_EQ(iml.IndexOf("Stop"), 2);
    EXPECT_EQ(iml.IndexOf("stop"), 0);
    EXPECT_EQ(iml.Key(3), "");
    Toolbar tb{form, "tbStart"};
    tb.SetImageList(&iml);
    tb.AddButton({"Start", "", "Start a service", 1});
    std::vector<std::string> keys;
    tb.onButtonClick = [&](const ToolbarButton& b) { keys.push_back(b.key); };
    EXPECT_TRUE(tb.ClickButton("Start"));
    tb.SetButtonEnabled(0, false);
    EXPECT_FALSE(tb.ClickButton("Start"));
    EXPECT_FALSE(tb.ClickButton("Nope"));
    EXPECT_EQ(keys, (std::vector<std::string>{"Start"}));
}

TEST_F(ControlsTest, StatusBarPanelsAndTabStrip) {
    StatusBar sb{form, "sbStatusBar"};
    sb.AddPanel({"", "Status", 4000, 4000, PanelAutoSize::Spring});
    sb.AddPanel({"", "", 1500, 1500, PanelAutoSize::None, 0});
    EXPECT_THROW(sb.SetPanelText(2, "x"), std::out_of_range);

    TabStrip tab{form, "tabProperties"};
    EXPECT_EQ(tab.SelectedTab(), nullptr);
    tab.AddTab({"General", "&General", "General properties"});
    tab.AddTab({"Logon", "&Logon", "Logon properties"});
    EXPECT_EQ(tab.SelectedIndex(), 0);
    int clicks = 0;
    tab.onClick = [&] { ++clicks; };
    EXPECT_TRUE(tab.SelectTab(1));
    EXPECT_TRUE(tab.SelectTab(1));  // already selected: no Click
    EXPECT_EQ(tab.SelectedTab()->key, "Logon");
    tab.SetSelectedIndex(0);
    EXPECT_EQ(clicks, 1);
}

TEST(LineBreaks, ConvertBetweenCrAndCrLf) {
    EXPECT_EQ(ToCrLf("Service Name : a\r\rError Detail : \rx"),
              "Service Name : a\r\n\r\nError Detail : \r\nx");
    EXPECT_EQ(ToCrLf("a\r\nb\nc\r"), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(ToCr("a\r\n\r\nb\nc"), "a\r\rb\rc");
    EXPECT_EQ(ToCr(ToCrLf("x\r\ry\r")), "x\r\ry\r");
    EXPECT_EQ(ToCrLf(""), "");
}

TEST(LineBreaks, OneLineCellsDropClosingBreaksAndJoinInnerLines) {
    EXPECT_EQ(OneLine("Access is denied.\r\n"), "Access is denied.");
    EXPECT_EQ(OneLine("The RPC server is unavailable.\r\n\rThis may be due to network problems."),
              "The RPC server is unavailable.  This may be due to network problems.");
    EXPECT_EQ(OneLine("a\nb\rc"), "a b c");
    EXPECT_EQ(OneLine("\r\n"), "");
    EXPECT_EQ(OneLine("plain"), "plain");
}

}  // namespace
}  // namespace vtl::ui
