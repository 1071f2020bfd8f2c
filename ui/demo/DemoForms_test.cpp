#include "ui/demo/DemoForms.h"

#include <gtest/gtest.h>

#include "ui/testing/ScriptedPrompter.h"
#include "ui/testing/TestHost.h"

namespace vtl::ui::demo {
namespace {

class DemoFormsTest : public ::testing::Test {
  protected:
    testing::ScriptedPrompter prompts;
    testing::TestHost host{prompts};
    frmDemo demo{host};
    frmDemoPages pages{host};

    void SetUp() override {
        demo.pages = &pages;
        demo.Show();
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (ListRowId r : demo.lvServices.Rows())
            names.push_back(demo.lvServices.Text(r));
        return names;
    }
};

TEST_F(DemoFormsTest, LoadsSortedRowsAndTheLegend) {
    EXPECT_EQ(demo.Caption(), "Vantrel UI Demo");
    EXPECT_EQ(Names(), (std::vector<std::string>{"alerter", "Browser", "Dhcp", "EventLog",
                                                 "Spooler", "W32Time"}));
    EXPECT_EQ(demo.sbStatusBar.PanelText(4), "Total Services : 6");
    EXPECT_EQ(demo.sbStatusBar.Panel(2).image, 2);
    EXPECT_EQ(demo.cboSystems.Text(), "LOCALHOST");
    // The list fills the window below its top, less the status bar.
    EXPECT_EQ(demo.lvServices.Width(), demo.ScaleWidth() - 240);
}

TEST_F(DemoFormsTest, F5AddsARowInSortOrderAndTheTimerTicks) {
    EXPECT_TRUE(demo.mnuViewRefresh.Click());
    EXPECT_EQ(Names()[0], "Added1");
    EXPECT_EQ(demo.sbStatusBar.PanelText(4), "Total Services : 7");
    host.RunFor(1000);
    EXPECT_EQ(demo.ticks, 4);
    EXPECT_EQ(demo.lblTicks.Caption(), "Ticks : 4");
}

TEST_F(DemoFormsTest, RightClickShowsThePopupAndItsItemsAct) {
    const ListRowId spooler = demo.lvServices.FindRow("Spooler");
    host.onPopup = [&](Form&, MenuItem& menu) {
        EXPECT_EQ(menu.Name(), "mnuPopup");
        EXPECT_TRUE(demo.mnuPopRemove.Enabled());
        demo.mnuPopRemove.Click();
    };
    demo.lvServices.MouseDown({MouseButton::Right, 0, 300, 300, spooler});
    EXPECT_FALSE(demo.lvServices.Contains(spooler));
    EXPECT_EQ(demo.sbStatusBar.PanelText(4), "Total Services : 5");
    // Over empty space nothing shows.
    demo.lvServices.MouseDown({MouseButton::Right, 0, 300, 3000, {}});
    EXPECT_EQ(host.Log().back(), "Popup frmDemo.mnuPopup");
}

TEST_F(DemoFormsTest, ToolbarAboutAndPages) {
    demo.lvServices.ClickRow(demo.lvServices.FindRow("alerter"));
    EXPECT_TRUE(demo.tbStart.ClickButton("Start"));
    EXPECT_EQ(demo.sbStatusBar.PanelText(0), "Start pressed");
    EXPECT_EQ(demo.lvServices.SubItem(demo.lvServices.FindRow("alerter"), 2), "Running");

    prompts.AnswerMsgBox(MsgResult::OK);
    demo.mnuHelpAbout.Click();
    EXPECT_EQ(prompts.Questions().back().text,
              "Vantrel UI demo\rControl models shown by the Win32 renderer.");
    EXPECT_EQ(prompts.Questions().back().icon, MsgIcon::Information);

    demo.cmdPages.Click();
    EXPECT_TRUE(pages.Visible());
    EXPECT_TRUE(pages.picGeneral.Visible());
    pages.tabPages.SelectTab(1);
    EXPECT_FALSE(pages.picGeneral.Visible());
    EXPECT_TRUE(pages.picLogon.Visible());
    EXPECT_FALSE(pages.txtAccName.Enabled());
    pages.optThisAcc.Click();
    EXPECT_TRUE(pages.txtAccName.Enabled());
    EXPECT_FALSE(pages.txtAccName.BackColor().has_value());

    // Closing the main window closes the dialog first and keeps the size.
    EXPECT_TRUE(demo.Unload());
    EXPECT_FALSE(pages.Loaded());
    EXPECT_EQ(host.GetSetting(kDemoSettingsApp, "Settings", "MainWidth"),
              std::to_string(demo.Width()));
}

}  // namespace
}  // namespace vtl::ui::demo
