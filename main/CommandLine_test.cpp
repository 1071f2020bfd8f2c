#include "main/CommandLine.h"

#include <gtest/gtest.h>

#include "ui/testing/ScriptedPrompter.h"
#include "ui/testing/TestHost.h"

namespace vtl {
namespace {

constexpr int kOpens = -1;  // no usage box: the window opens

struct Case {
    const char* name;
    std::vector<std::string> arguments;
    std::optional<std::string> computer;  // as given: the start-up checks it
    int exitCode;                         // of the usage box, or kOpens
    std::string problemStart;             // the usage box's first line, before the usage
};

const Case kCases[] = {
    {"none", {}, std::nullopt, kOpens, ""},
    {"unc", {"\\\\SRV-FILE01"}, "\\\\SRV-FILE01", kOpens, ""},
    {"optionAnyCaseWithDash", {"-COMPUTER=srv"}, "srv", kOpens, ""},
    {"optionWithUnc", {"/Computer=\\\\srv"}, "\\\\srv", kOpens, ""},
    {"quotedBlank", {"/computer=my pc"}, "my pc", kOpens, ""},
    {"quoteInside", {"\\\\a\"b"}, "\\\\a\"b", kOpens, ""},
    {"uncWithShare", {"\\\\SRV\\C$"}, "\\\\SRV\\C$", kOpens, ""},
    {"optionAlone", {"/computer="}, "", kOpens, ""},
    {"nonAscii", {"\\\\B\xC3\xBCro"}, "\\\\B\xC3\xBCro", kOpens, ""},
    {"help", {"/?"}, std::nullopt, 0, ""},
    {"helpAfterAName", {"\\\\A", "-?"}, "\\\\A", 0, ""},
    {"bareName", {"SRV"}, std::nullopt, 1, "\"SRV\" is not an argument Vantrel knows."},
    {"oneBackslash", {"\\SRV"}, std::nullopt, 1, "\"\\SRV\" is not"},
    {"optionWithoutEquals", {"/computer"}, std::nullopt, 1, "\"/computer\" is not"},
    {"emptyArgument", {""}, std::nullopt, 1, "\"\" is not"},
    {"twoNamesFirstProblem",
     {"\\\\A", "/computer=B", "/x"},
     "B",
     1,
     "Only one computer can be named; \"/computer=B\""},
    {"hugeArgument",
     {std::string(5000, 'x')},
     std::nullopt,
     1,
     "\"" + std::string(80, 'x') + "...\" is not"},
};

class ParseCommandLineTest : public ::testing::TestWithParam<Case> {};

TEST_P(ParseCommandLineTest, FindsTheComputerOrShowsTheUsageBox) {
    const Case& c = GetParam();
    const CommandLine line = ParseCommandLine(c.arguments);
    EXPECT_EQ(line.computer, c.computer);
    ASSERT_EQ(line.showUsage, c.exitCode != kOpens);
    if (!line.showUsage) return;
    ui::testing::ScriptedPrompter prompts;
    ui::testing::TestHost host(prompts);
    prompts.SetAutoOk(true);
    EXPECT_EQ(ShowUsage(host, line), c.exitCode);
    ASSERT_EQ(prompts.Questions().size(), 1u);
    const ui::testing::Question& box = prompts.Questions()[0];
    if (c.exitCode == 0) {
        EXPECT_EQ(box.text, UsageText());
    }
    EXPECT_TRUE(box.text.starts_with(c.problemStart)) << box.text;
    EXPECT_TRUE(box.text.ends_with(UsageText())) << box.text;
    EXPECT_LT(box.text.size(), UsageText().size() + 200);
    EXPECT_EQ(box.icon, c.exitCode == 0 ? ui::MsgIcon::Information : ui::MsgIcon::Exclamation);
    EXPECT_EQ(box.title, "Vantrel");
}

INSTANTIATE_TEST_SUITE_P(Arguments, ParseCommandLineTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vtl
