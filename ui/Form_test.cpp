#include "ui/Form.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/FormInstance.h"
#include "ui/ListView.h"
#include "ui/Timer.h"
#include "ui/testing/ScriptedPrompter.h"
#include "ui/testing/TestHost.h"

namespace vtl::ui {
namespace {

// A window the way the program's windows are written.
class frmErrors : public Form {
  public:
    explicit frmErrors(UiHost& host) : Form(host, "frmErrors") {
        onLoad = [this] { Form_Load(); };
        onResize = [this] { Form_Resize(); };
        onQueryUnload = [this](bool& cancel, UnloadMode mode) { Form_QueryUnload(cancel, mode); };
        onUnload = [this](bool&) { events.push_back("Unload"); };
        onActivate = [this] { events.push_back("Activate"); };
        lvErrors.onDblClick = [this] { dblClick = true; };
        lvErrors.onMouseUp = [this](const ListMouseEvent& e) { lvErrors_MouseUp(e); };
    }

    ListView lvErrors{*this, "lvErrors"};
    std::vector<std::string> events;
    bool dblClick = false;
    bool refuseClose = false;

  private:
    void Form_Load() {
        events.push_back("Load");
        SetCaption("Errors");
        lvErrors.AddColumn("SrvName", "Service Name", 3087);
        lvErrors.AddColumn("Error", "Error", 9702);
    }
    void Form_Resize() {
        events.push_back("Resize");
        if (GetWindowState() == WindowState::Minimized) return;
        lvErrors.SetWidth(ScaleWidth());
        lvErrors.SetHeight(ScaleHeight() - 400);
    }
    void Form_QueryUnload(bool& cancel, UnloadMode mode) {
        events.push_back("QueryUnload " + std::to_string(static_cast<int>(mode)));
        cancel = refuseClose;
    }
    void lvErrors_MouseUp(const ListMouseEvent& e) {
        if (e.button == MouseButton::Left && dblClick && e.row) {
            MsgBox("Service Name : " + lvErrors.Text(e.row) + "\r\rError Detail : \r" +
                   lvErrors.SubItem(e.row, 1));
        }
        dblClick = false;
    }
};

class FormTest : public ::testing::Test {
  protected:
    testing::ScriptedPrompter prompts;
    testing::TestHost host{prompts};
};

TEST_F(FormTest, LoadShowResizeAndUnloadInOrder) {
    frmErrors frm(host);
    EXPECT_FALSE(frm.Loaded());
    frm.Show();
    EXPECT_TRUE(frm.Loaded());
    EXPECT_TRUE(frm.Visible());
    EXPECT_EQ(frm.events, (std::vector<std::string>{"Load", "Activate", "Resize"}));
    EXPECT_EQ(frm.Caption(), "Errors");
    frm.Show();  // a second show loads nothing again
    EXPECT_EQ(frm.events.size(), 3u);
    frm.events.clear();

    frm.Move(0, 0, 6000, 3000);
    EXPECT_EQ(frm.lvErrors.Width(), frm.ScaleWidth());
    EXPECT_EQ(frm.lvErrors.Height(), frm.ScaleHeight() - 400);
    EXPECT_LT(frm.ScaleWidth(), 6000);
    const int height = frm.lvErrors.Height();
    frm.SetWindowState(WindowState::Minimized);
    EXPECT_EQ(frm.lvErrors.Height(), height);
    EXPECT_EQ(frm.events, (std::vector<std::string>{"Resize", "Resize"}));

    frm.refuseClose = true;
    EXPECT_FALSE(frm.Unload(UnloadMode::ControlMenu));
    EXPECT_TRUE(frm.Loaded());
    frm.refuseClose = false;
    EXPECT_TRUE(frm.Unload());
    EXPECT_FALSE(frm.Loaded());
    EXPECT_TRUE(frm.WasUnloaded());
    EXPECT_EQ(frm.events, (std::vector<std::string>{"Resize", "Resize", "QueryUnload 0",
                                                    "QueryUnload 1", "Unload"}));
    EXPECT_TRUE(host.OpenForms().empty());
}

TEST_F(FormTest, DoubleClickDetailsAppearOnTheReleaseOverARow) {
    frmErrors frm(host);
    frm.Show();
    const ListRowId r = frm.lvErrors.AddRowCells({"Alerter", "Access is denied."}, 0);
    frm.lvErrors.DblClick();
    frm.lvErrors.MouseUp({MouseButton::Left, 0, 100, 100, ListRowId{}});  // over no row
    prompts.AnswerMsgBox(MsgResult::OK);
    frm.lvErrors.DblClick();
    frm.lvErrors.MouseUp({MouseButton::Left, 0, 100, 100, r});
    ASSERT_EQ(prompts.Questions().size(), 1u);
    const testing::Question& q = prompts.Questions()[0];
    EXPECT_EQ(q.text, "Service Name : Alerter\r\rError Detail : \rAccess is denied.");
    EXPECT_EQ(q.title + "|" + std::string(MsgButtonsName(q.buttons)), "Vantrel|OK");
}

TEST_F(FormTest, OpenFormsAreListedInLoadingOrder) {
    frmErrors a(host), b(host), c(host);
    a.Show();
    b.Load();
    c.Show(&a);
    EXPECT_EQ(host.OpenForms(), (std::vector<Form*>{&a, &b, &c}));
    EXPECT_EQ(host.ActiveForm(), &c);
    EXPECT_EQ(host.Log().back(), "Show frmErrors owner=frmErrors");
    b.Unload();
    EXPECT_EQ(host.OpenForms(), (std::vector<Form*>{&a, &c}));
    c.Hide();
    EXPECT_EQ(host.ActiveForm(), &a);
    EXPECT_FALSE(c.Visible());
    EXPECT_TRUE(c.Loaded());
    // A loaded form that goes away takes itself off the host.
    {
        frmErrors d(host);
        d.Show();
        EXPECT_EQ(host.ActiveForm(), &d);
    }
    EXPECT_EQ(host.OpenForms(), (std::vector<Form*>{&a, &c}));
    EXPECT_EQ(host.ActiveForm(), &a);
}

TEST_F(FormTest, ModalFormRunsItsScriptBeforeShowModalReturns) {
    frmErrors owner(host), dialog(host);
    owner.Show();
    std::vector<std::string> order;
    host.ExpectModal([&](Form& f) {
        order.push_back("inside " + f.Name());
        EXPECT_TRUE(f.Modal());
        f.Unload();
    });
    dialog.ShowModal(&owner);
    order.push_back("after");
    EXPECT_EQ(order, (std::vector<std::string>{"inside frmErrors", "after"}));
    EXPECT_FALSE(dialog.Loaded());
    EXPECT_EQ(host.ActiveForm(), &owner);
}

TEST_F(FormTest, EndProgramStopsLoadingAndShowing) {
    frmErrors a(host), b(host);
    a.Show();
    host.EndProgram();
    EXPECT_TRUE(host.Ending());
    b.Show();
    EXPECT_FALSE(b.Loaded());
    EXPECT_TRUE(a.Loaded());  // no unload processing
    EXPECT_EQ(a.events.back(), "Resize");
}

TEST_F(FormTest, SettingsAreKeptPerApplicationSectionAndKey) {
    host.SaveSetting("Vantrel", "Settings", "MainLeft", "120");
    host.SaveSetting("Vantrel", "Settings", "MainLeft", "240");
    host.SaveSetting("Vantrel", "Other", "MainLeft", "1");
    EXPECT_EQ(host.GetSetting("Vantrel", "Settings", "MainLeft"), "240");
    EXPECT_EQ(host.GetSetting("Vantrel", "Settings", "MainTop"), std::nullopt);
    EXPECT_EQ(host.Settings().size(), 2u);
}

TEST_F(FormTest, MousePointerAndFocusRequests) {
    frmErrors frm(host);
    frm.SetMousePointer(MousePointer::Hourglass);
    EXPECT_EQ(frm.GetMousePointer(), MousePointer::Hourglass);
    frm.lvErrors.SetFocus();
    EXPECT_TRUE(frm.lvErrors.HasFocusRequest());
    EXPECT_EQ(frm.FocusRequest(), &frm.lvErrors);
}

TEST_F(FormTest, FormInstanceStartsAgainFromTheDesignStateAfterUnload) {
    int made = 0;
    FormInstance<frmErrors> errors([&] {
        ++made;
        return std::make_unique<frmErrors>(host);
    });
    EXPECT_EQ(errors.Existing(), nullptr);
    errors->Show();
    errors->lvErrors.AddRow("Alerter");
    errors->Hide();
    EXPECT_EQ(errors->lvErrors.RowCount(), 1);  // hidden, not unloaded: kept
    errors->Unload();
    EXPECT_EQ(made, 1);
    EXPECT_EQ(errors->lvErrors.RowCount(), 0);  // a fresh instance
    EXPECT_EQ(made, 2);
    EXPECT_FALSE(errors->Loaded());
}

}  // namespace
}  // namespace vtl::ui
