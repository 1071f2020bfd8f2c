// The error list window: entries, showing, resizing, and the details of an
// entry on the release that ends a double click.

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
