#include "ui/Menu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/Form.h"
#include "ui/testing/ScriptedPrompter.h"
#include "ui/testing/TestHost.h"

namespace vtl::ui {
namespace {

class MenuTest : public ::testing::Test {
  protected:
    testing::ScriptedPrompter prompts;
    testing::TestHost host{prompts};
    Form form{host, "frmMain"};
    MenuItem mnuView{form, "mnuView", "&View"};
    MenuItem mnuViewRefresh{mnuView, "mnuViewRefresh", "&Refresh", Shortcut::F(5)};
    MenuItem mnuService{form, "mnuService", "&Service"};
    MenuItem mnuStart{mnuService, "mnuStart", "&Start"};
    MenuItem mnuSep1{mnuService, "mnuSep1", "-"};
    MenuItem mnuMainPopup{form, "mnuMainPopup", "Main Popup"};
    MenuItem mnuPopStart{mnuMainPopup, "mnuPopStart", "Start"};
    std::vector<std::string> clicks;

    void SetUp() override {
        mnuMainPopup.SetVisible(false);
        for (MenuItem* m : {&mnuViewRefresh, &mnuStart, &mnuSep1, &mnuPopStart})
            m->onClick = [this, m] { clicks.push_back(m->Name()); };
    }
};

TEST_F(MenuTest, TreeIsBuiltInDeclarationOrderAndClicksRunOnlyReachableItems) {
    EXPECT_EQ(form.Menus(), (std::vector<MenuItem*>{&mnuView, &mnuService, &mnuMainPopup}));
    EXPECT_EQ(mnuService.Items(), (std::vector<MenuItem*>{&mnuStart, &mnuSep1}));
    EXPECT_EQ(mnuStart.ParentItem(), &mnuService);
    EXPECT_TRUE(mnuSep1.IsSeparator());
    EXPECT_EQ(mnuViewRefresh.GetShortcut(), Shortcut::F(5));

    // A click runs only reachable items.
    EXPECT_TRUE(mnuStart.Click());
    mnuStart.SetEnabled(false);
    EXPECT_FALSE(mnuStart.Click());
    mnuStart.SetEnabled(true);
    mnuService.SetEnabled(false);  // the menu above is disabled
    EXPECT_FALSE(mnuStart.Click());
    mnuService.SetEnabled(true);
    EXPECT_FALSE(mnuSep1.Click());
    // Items of a pop-up menu are reachable though the pop-up is not in the bar.
    EXPECT_TRUE(mnuPopStart.Click());
    mnuPopStart.SetVisible(false);
    EXPECT_FALSE(mnuPopStart.Click());
    EXPECT_EQ(clicks, (std::vector<std::string>{"mnuStart", "mnuPopStart"}));
}

}  // namespace
}  // namespace vtl::ui
