// Remove: the two questions, the stop request, three delete attempts and what
// the list shows afterwards.

#include <gtest/gtest.h>

#include "operations/OperationsTestSupport.h"

namespace vtl::testing {
namespace {

class RemoveTest : public OperationsTest {
  protected:
    RemoveTest() {
        Add(pc1(), TestSvc("X", "", kServiceStopped));
        Add(pc1(), TestSvc("Busy", "", kServiceRunning));
        Add(pc1(), TestSvc("Held", "", kServiceStopped));
        Add(pc1(), TestSvc("Gone", "", kServiceStopped));
        Add(pc1(), TestSvc("Slow", "--hang-start", kServiceStopped));
    }
    void AnswerBoth() { prompts.AnswerMsgBox(ui::MsgResult::Yes).AnswerMsgBox(ui::MsgResult::Yes); }
    int Rows() const { return form->lvServices.RowCount(); }
};

TEST_F(RemoveTest, NoToEitherQuestionChangesNothing) {
    OpenWithOperations();
    Select({"X"});
    const int rows = Rows();
    const std::string count = Count();
    for (int declined = 0; declined < 2; ++declined) {
        prompts.ClearQuestions();
        if (declined == 1) prompts.AnswerMsgBox(ui::MsgResult::Yes);
        prompts.AnswerMsgBox(ui::MsgResult::No);
        network.ClearCallLog();
        form->mnuDelete.Click();
        EXPECT_EQ(prompts.Questions().size(), static_cast<std::size_t>(declined + 1));
        EXPECT_TRUE(network.CallLog().empty());
        EXPECT_TRUE(pc1().HasService("X"));
        EXPECT_EQ(Rows(), rows);
        EXPECT_EQ(Count(), count);
        EXPECT_EQ(Progress(), "Done");
    }
    // Nothing selected: nothing asked.
    prompts.ClearQuestions();
    form->lvServices.ClearSelection();
    form->mnuDelete.Click();
    EXPECT_TRUE(prompts.Questions().empty());
}

TEST_F(RemoveTest, AServiceThatCannotBeDeletedEndsMarkedAfterThreeAttemptsWithoutAMessage) {
    OpenWithOperations();
    Select({"Held"});
    // Another program deleted it already and holds it open: every delete
    // answers that it is marked.
    network.FailAlways("DeleteService", kErrorServiceMarkedForDelete, "Held");
    network.ClearCallLog();
    AnswerBoth();
    const std::uint64_t before = network.Now();
    form->mnuDelete.Click();
    EXPECT_EQ(prompts.Questions().size(), 2u) << "no message after the third attempt";
    EXPECT_EQ(ProgramCalls("DeleteService").size(), 3u);
    EXPECT_EQ(ServiceAccesses("Held"), (std::vector<std::uint32_t>{0x10020u, 0x10020u}));
    EXPECT_EQ(network.Now() - before, 2000u) << "a wait before the first and the second attempt";
    EXPECT_EQ(Cell("Held", kColStatus), "Marked for Deletion");
}

TEST_F(RemoveTest, AServiceDeletedElsewhereLosesItsRowUnlessItIsStillHeldOpen) {
    OpenWithOperations();
    // Held open by another program, then both deleted by another tool.
    auto [manager, e1] = platform().OpenSCManager("", kScManagerConnect);
    auto [other, e2] = platform().OpenService(manager, "Held", kServiceQueryStatus);
    for (const char* name : {"Gone", "Held"}) {
        ASSERT_EQ(pc1().RemoveService(name), kErrorSuccess);
        Select({name});
        const int rows = Rows();
        prompts.ClearQuestions();
        AnswerBoth();
        form->mnuDelete.Click();
        ASSERT_EQ(prompts.Questions().size(), 3u);
        const bool gone = std::string_view(name) == "Gone";
        EXPECT_EQ(Boxes(prompts)[2],
                  Box(ErrorText(gone ? kErrorServiceDoesNotExist : kErrorServiceMarkedForDelete)));
        if (gone) {
            EXPECT_FALSE(form->lvServices.FindRow("Gone"));
            EXPECT_EQ(Count(), "Total Services : " + std::to_string(rows - 1));
        } else {
            EXPECT_EQ(Cell("Held", kColStatus), "Marked for Deletion");
        }
    }
}

TEST_F(RemoveTest, ExactlyTheSelectedItemIsRemovedAndNamed) {
    OpenWithOperations();
    // Three rows selected; the focused one is the list's selected item.
    form->lvServices.ClearSelection();
    form->lvServices.SetSelected(Row("Busy"), true);
    form->lvServices.SetSelected(Row("X"), true);
    form->lvServices.SetSelected(Row("Held"), true);
    form->lvServices.SetFocusedRow(Row("X"));
    ASSERT_EQ(form->lvServices.SelectedItem(), Row("X"));
    AnswerBoth();
    form->mnuDelete.Click();
    EXPECT_EQ(prompts.Questions()[1].text,
              "Are you sure you want to remove the service 'X' on PC1?");
    EXPECT_FALSE(pc1().HasService("X"));
    for (const char* kept : {"Busy", "Held"})
        EXPECT_TRUE(pc1().HasService(kept) && form->lvServices.FindRow(kept)) << kept;

    // Focus on a row that is not selected: the topmost selected row.
    prompts.ClearQuestions();
    form->lvServices.SetFocusedRow(Row("Slow"));
    AnswerBoth();
    form->mnuDelete.Click();
    EXPECT_EQ(prompts.Questions()[1].text,
              "Are you sure you want to remove the service 'Busy' on PC1?");
    EXPECT_FALSE(pc1().HasService("Busy"));
    EXPECT_TRUE(pc1().HasService("Held"));
}

TEST_F(RemoveTest, AWatchedRowThatIsRemovedGivesUpItsHandleAtOnce) {
    OpenWithOperations();
    Select({"Slow"});
    form->mnuStart.Click();
    ASSERT_EQ(ops.WatchedCount(), 1u);
    AnswerBoth();
    form->mnuDelete.Click();
    EXPECT_FALSE(form->lvServices.FindRow("Slow"));
    EXPECT_EQ(ops.WatchedCount(), 0u);
    EXPECT_EQ(network.OpenHandleCount(sim::HandleKind::StartThread), 0u);
}

}  // namespace
}  // namespace vtl::testing
