// The properties dialog's Start, Stop, Pause and Resume over simulated
// computers: the start through the library into the main window's watch, the
// stop with its dependents, the bounds, and rows that are not the service's.

#include <gtest/gtest.h>

#include "properties/PropertiesTestSupport.h"
#include "properties/PropertiesTexts.h"

namespace vtl::testing {
namespace {

TEST_F(PropertiesTest, StartGoesThroughTheLibraryAndLooksAfterHalfASecond) {
    Add(pc1(), TestSvc("Quick", "--start-ms 100 --fail-start"));
    Add(pc1(), TestSvc("Slow", "--start-ms 1500"));

    // A service that stops at once: the message names it and the computer.
    frmProperties& dlg = Properties("Quick");
    ASSERT_TRUE(dlg.cmdStart.Click());
    EXPECT_EQ(Boxes(prompts),
              std::vector<std::string>{Box("Service 'Quick' could not start on PC1",
                                           ui::MsgButtons::OK, ui::MsgIcon::Information)});
    EXPECT_EQ(State(dlg), "0 Stopped S--- System shut shut LocalSystem");
    EXPECT_EQ(Cell("Quick", kColStatus), "Stopped");
    EXPECT_EQ(dlg.GetMousePointer(), ui::MousePointer::Default);
    RunUntilWatchEnds();

    // A slow one: no message, the pending text, Start still enabled; the
    // watch brings the outcome to the list. The parameter reaches the service.
    prompts.ClearQuestions();
    Properties("Slow").txtStartParam.TypeText("-p \"x y\"");
    network.ClearCallLog();
    ASSERT_TRUE(Dialog().cmdStart.Click());
    EXPECT_TRUE(prompts.Questions().empty());
    EXPECT_EQ(State(Dialog()), "0 Start Pending S--- System shut shut LocalSystem");
    EXPECT_EQ(Cell("Slow", kColStatus), "Start Pending");
    EXPECT_FALSE(form->lvServices.Tag(Row("Slow")).empty());
    EXPECT_EQ(ops.WatchedCount(), 1u);
    EXPECT_TRUE(form->tmrService.Running());
    EXPECT_EQ(ManagerAccesses().front(), kGenericRead | kScManagerAllAccess);
    EXPECT_TRUE(Asked("Slow", 0x15));
    RunUntilWatchEnds();
    EXPECT_EQ(Cell("Slow", kColStatus), "Running");
    EXPECT_EQ(pc1().LastStartArguments("Slow"), (std::vector<std::string>{"-p \"x y\""}));
    EXPECT_EQ(ops.WatchedCount(), 0u);
}

TEST_F(PropertiesTest, StopAsksAboutRunningDependentsAsTheMainWindowDoes) {
    Add(pc1(), TestSvc("Base", "--stop-ms 300", kServiceRunning));
    Add(pc1(), TestSvc("Mid", "--stop-ms 300", kServiceRunning, {"Base"}));
    Add(pc1(), TestSvc("Top", "", kServiceRunning, {"Mid"}));
    frmProperties& dlg = Properties("Base");

    prompts.AnswerMsgBox(ui::MsgResult::Cancel);
    ASSERT_TRUE(dlg.cmdStop.Click());
    // The main window's question (the same code asks it), with this service's name.
    ASSERT_EQ(prompts.Questions().size(), 1u) << "Cancel ends the click without a message";
    EXPECT_EQ(prompts.Questions()[0].title, "Stopping Base");
    for (const char* name : {"Base", "Mid", "Top"})
        EXPECT_EQ(pc1().Status(name)->currentState, kServiceRunning) << name;
    EXPECT_EQ(State(dlg), "0 Running -T-- System shut shut LocalSystem");

    prompts.ClearQuestions();
    prompts.AnswerMsgBox(ui::MsgResult::OK);
    ASSERT_TRUE(dlg.cmdStop.Click());
    EXPECT_EQ(prompts.Questions().size(), 1u);
    for (const char* name : {"Base", "Mid", "Top"})
        EXPECT_EQ(pc1().Status(name)->currentState, kServiceStopped) << name;
    EXPECT_EQ(State(dlg), "0 Stopped S--- System shut shut LocalSystem");
    EXPECT_EQ(Cell("Base", kColStatus), "Stopped");
    EXPECT_TRUE(Asked("Base", 0x2D));
    EXPECT_TRUE(Asked("Mid", 0x24));
}

TEST_F(PropertiesTest, StopReportsARefusalAndAServiceStillStoppingAtTheBound) {
    Add(pc1(), TestSvc("Hang", "--hang-stop", kServiceRunning));
    Add(pc1(), TestSvc("Stale", "", kServiceRunning));

    frmProperties& dlg = Properties("Hang");
    const std::uint64_t began = network.Now();
    ASSERT_TRUE(dlg.cmdStop.Click());
    EXPECT_LE(network.Now() - began, kStopBoundMs + 1000);
    EXPECT_EQ(prompts.MessageTexts(), (std::vector<std::string>{StopBoundText(kStopBoundMs)}));
    EXPECT_EQ(State(dlg), "0 Stop Pending S--- System shut shut LocalSystem");
    EXPECT_EQ(Cell("Hang", kColStatus), "Stop Pending");

    // A dialog that still shows a service as running which has stopped since:
    // the refusal's text with two blanks, and the buttons from the real state.
    prompts.ClearQuestions();
    Properties("Stale");
    ASSERT_EQ(pc1().ForceState("Stale", kServiceStopped), kErrorSuccess);
    ASSERT_TRUE(Dialog().cmdStop.Click());
    EXPECT_EQ(prompts.MessageTexts(),
              (std::vector<std::string>{ErrorText(kErrorServiceNotActive) + "  "}));
    EXPECT_EQ(State(Dialog()), "0 Stopped S--- System shut shut LocalSystem");
}

TEST_F(PropertiesTest, PauseAndResumeChangeOnlyTheStatus) {
    Add(pc1(), TestSvc("Pausable", "--pause", kServiceRunning));
    frmProperties& dlg = Properties("Pausable");
    const std::string buttons = State(dlg).substr(10, 4);
    ASSERT_TRUE(dlg.cmdPause.Click());
    EXPECT_EQ(pc1().Status("Pausable")->currentState, kServicePaused);
    EXPECT_EQ(State(dlg).substr(0, 13), "0 Paused " + buttons) << "the buttons stay as they were";
    EXPECT_EQ(Cell("Pausable", kColStatus), "Running") << "the list is not touched";
    ASSERT_TRUE(dlg.cmdResume.Click());
    EXPECT_EQ(dlg.lblServiceStatus.Caption(), "Running");
    EXPECT_TRUE(Asked("Pausable", 0x44));

    // Paused on a service that has stopped since: the text, nothing else.
    ASSERT_EQ(pc1().ForceState("Pausable", kServiceStopped), kErrorSuccess);
    ASSERT_TRUE(dlg.cmdPause.Click());
    EXPECT_EQ(prompts.MessageTexts(),
              (std::vector<std::string>{ErrorText(kErrorServiceNotActive)}));
    EXPECT_EQ(State(dlg).substr(0, 14), "0 Running " + buttons);
}

}  // namespace
}  // namespace vtl::testing
