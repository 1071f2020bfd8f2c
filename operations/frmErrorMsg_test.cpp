// The error list window: the details of an entry on the release that ends a
// double click, and the commands' texts.

#include "operations/frmErrorMsg.h"

#include <gtest/gtest.h>

#include "operations/OperationTexts.h"
#include "ui/Keys.h"
#include "ui/testing/ScriptedPrompter.h"
#include "ui/testing/TestHost.h"

namespace vtl {
namespace {

class ErrorListTest : public ::testing::Test {
  protected:
    ErrorListTest() { prompts.SetAutoOk(true); }

    // A release of a mouse button over a row (none: the empty part of the list).
    void Release(ui::MouseButton button, ui::ListRowId row) {
        ui::ListMouseEvent e;
        e.button = button;
        e.row = row;
        e.x = e.y = 200;
        frm.lvErrors.MouseUp(e);
    }

    std::vector<std::string> Column(int column) {
        std::vector<std::string> out;
        for (ui::ListRowId row : frm.lvErrors.Rows())
            out.push_back(frm.lvErrors.Text(row, column));
        return out;
    }

    ui::testing::ScriptedPrompter prompts;
    ui::testing::TestHost host{prompts};
    frmErrorMsg frm{host};
};

TEST_F(ErrorListTest, DetailsOnlyOnTheLeftReleaseThatEndsADoubleClickOverAnEntry) {
    frm.AddToErrorList("Spooler", "Access is denied.\r\n");
    frm.Show();
    const ui::ListRowId row = frm.lvErrors.RowAt(0);
    // A single click; a right double click (its release clears the flag); a
    // double click on the empty part of the list (which clears it too).
    Release(ui::MouseButton::Left, row);
    frm.lvErrors.DblClick();
    Release(ui::MouseButton::Right, row);
    Release(ui::MouseButton::Left, row);
    frm.lvErrors.DblClick();
    Release(ui::MouseButton::Left, ui::ListRowId{});
    Release(ui::MouseButton::Left, row);
    EXPECT_TRUE(prompts.Questions().empty());

    frm.lvErrors.DblClick();
    Release(ui::MouseButton::Left, row);
    ASSERT_EQ(prompts.Questions().size(), 1u);
    const auto& q = prompts.Questions()[0];
    EXPECT_EQ(q.text, "Service Name : Spooler\r\rError Detail : \rAccess is denied.\r\n");
    EXPECT_EQ(q.buttons, ui::MsgButtons::OK);
    EXPECT_EQ(q.icon, ui::MsgIcon::None);
    EXPECT_EQ(q.title, "Vantrel");
    // The flag went with that release: a plain release shows nothing.
    Release(ui::MouseButton::Left, row);
    EXPECT_EQ(prompts.Questions().size(), 1u);

    // Enter on the focused entry shows the same; Esc closes the window.
    frm.AddToErrorList("Alerter", "Other");
    frm.lvErrors.ClickRow(frm.lvErrors.RowAt(1));
    EXPECT_TRUE(frm.lvErrors.KeyDown(ui::kKeyReturn));
    ASSERT_EQ(prompts.Questions().size(), 2u);
    EXPECT_EQ(prompts.Questions()[1].text, "Service Name : Alerter\r\rError Detail : \rOther");
    EXPECT_FALSE(frm.lvErrors.KeyDown(ui::kKeyReturn, ui::kShiftMask));
    EXPECT_TRUE(frm.lvErrors.KeyDown(ui::kKeyEscape));
    EXPECT_FALSE(frm.Loaded());
}

TEST(OperationTexts, TextsOfTheCommands) {
    EXPECT_EQ(ProbeSpecificErrorText(0xFFFFFFFEu),
              "The service did not start and has reported the specific error -2");
    EXPECT_EQ(StopBoundText(30000),
              "The service was still stop pending after 30 seconds; the wait for it was given up.");
    EXPECT_EQ(StartBoundText(1000),
              "The service was still start pending after 1 second; the wait for it was given up.");
    EXPECT_EQ(DependentStopBoundText("Svc", 30000),
              "The service was still stop pending after 30 seconds; it was being stopped as a "
              "dependent of 'Svc'.");
    EXPECT_EQ(StartLibraryFailureText(126, "not found\r\n"),
              "VtlIns.dll could not be loaded, so the service was not started: not found\r\n");
    EXPECT_EQ(StartLibraryFailureText(127, ""),
              "VtlIns.dll has no VTLStartService function, so the service was not started: error "
              "127");
    EXPECT_EQ(StartLibraryFailureText(8, "x"), "VtlIns.dll could not start the service: x");
}

}  // namespace
}  // namespace vtl
