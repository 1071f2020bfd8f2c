#include "ui/testing/ScriptedPrompter.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace vtl::ui::testing {
namespace {

TEST(ScriptedPrompter, AnswersInOrderAndRecordsEveryQuestion) {
    ScriptedPrompter p;
    p.AnswerMsgBox(MsgResult::Yes).AnswerComputer("HOST2").AnswerOpenFile(std::nullopt);
    EXPECT_EQ(p.MsgBox("Stop it?", MsgButtons::YesNo, MsgIcon::Question, {}), MsgResult::Yes);
    EXPECT_EQ(p.BrowseForComputer(nullptr, "Select a Computer"), "HOST2");
    OpenFileRequest req;
    req.title = "Select service executable file on HOST2";
    req.filter = "Executable (*.exe;*.bat)|*.exe;*.bat";
    EXPECT_EQ(p.OpenFile(nullptr, req), std::nullopt);
    ASSERT_EQ(p.Questions().size(), 3u);
    EXPECT_EQ(p.Questions()[0].title, "Vantrel");
    EXPECT_EQ(p.Questions()[0].icon, MsgIcon::Question);
    EXPECT_EQ(p.Questions()[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(p.Questions()[1].kind, QuestionKind::Computer);
    EXPECT_EQ(p.Questions()[2].file.filter, "Executable (*.exe;*.bat)|*.exe;*.bat");
    EXPECT_EQ(p.MessageTexts(), (std::vector<std::string>{"Stop it?"}));
    EXPECT_EQ(p.PendingAnswers(), 0u);
}

TEST(ScriptedPrompter, UnexpectedQuestionsFailTheTest) {
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPrompter p;
            EXPECT_EQ(p.MsgBox("Sure?", MsgButtons::YesNo, MsgIcon::Question, {}), MsgResult::No);
        },
        "unexpected message box \"Sure?\"");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPrompter p;
            p.AnswerFolder("C:\\out");
            EXPECT_EQ(p.BrowseForComputer(nullptr, "t"), std::nullopt);
            p.AnswerComputer(std::nullopt);  // keep the destructor quiet about the rest
            (void)p.BrowseForFolder(nullptr, {});
            (void)p.BrowseForComputer(nullptr, "t");
        },
        "expected a folder browser, got computer browser");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPrompter p;
            p.AnswerMsgBox(MsgResult::Yes);
            EXPECT_EQ(p.MsgBox("Done", MsgButtons::OK, MsgIcon::None, "T"), MsgResult::OK);
        },
        "is not a button of");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPrompter p;
            p.AnswerHelp();
        },
        "1 scripted answer(s) never asked for");
}

TEST(ScriptedPrompter, AutoOkAnswersPlainNotices) {
    ScriptedPrompter p("App");
    p.SetAutoOk(true);
    EXPECT_EQ(p.MsgBox("Done", MsgButtons::OK, MsgIcon::Information, {}), MsgResult::OK);
    EXPECT_EQ(p.Questions()[0].title, "App");
    EXPECT_NONFATAL_FAILURE((void)p.MsgBox("Sure?", MsgButtons::YesNo, MsgIcon::None, {}),
                            "unexpected message box");
}

}  // namespace
}  // namespace vtl::ui::testing
