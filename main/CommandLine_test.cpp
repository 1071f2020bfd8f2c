#include "main/CommandLine.h"

#include <gtest/gtest.h>

#include "ui/testing/ScriptedPrompter.h"
#include "ui/testing/TestHost.h"

namespace vtl {
namespace {

struct Case {
    const char* name;
    std::vector<std::string> arguments;
    bool usage;
    bool problem;
    std::optional<std::string> computer;
};

// The name is taken as given: the start-up checks it as a typed name.
const Case kCases[] = {
    {"none", {}, false, false, std::nullopt},
    {"unc", {"\\\\SRV-FILE01"}, false, false, "\\\\SRV-FILE01"},
    {"option", {"/computer=SRV-FILE01"}, false, false, "SRV-FILE01"},
    {"optionAnyCaseWithDash", {"-COMPUTER=srv"}, false, false, "srv"},
    {"optionWithUnc", {"/Computer=\\\\srv"}, false, false, "\\\\srv"},
    {"quotedBlankAsSplit", {"/computer=my pc"}, false, false, "my pc"},
    {"quoteInside", {"\\\\a\"b"}, false, false, "\\\\a\"b"},
    {"backslashesAlone", {"\\\\"}, false, false, "\\\\"},
    {"optionAlone", {"/computer="}, false, false, ""},
    {"nonAscii", {"\\\\B\xC3\xBCro"}, false, false, "\\\\B\xC3\xBCro"},
    {"help", {"/?"}, true, false, std::nullopt},
    {"helpDash", {"-?"}, true, false, std::nullopt},
    {"helpAfterAName", {"\\\\A", "/?"}, true, false, "\\\\A"},
    {"unknownOption", {"/x"}, true, true, std::nullopt},
    {"bareName", {"SRV"}, true, true, std::nullopt},
    {"oneBackslash", {"\\SRV"}, true, true, std::nullopt},
    {"optionWithoutEquals", {"/computer"}, true, true, std::nullopt},
    {"emptyArgument", {""}, true, true, std::nullopt},
    {"twoNames", {"\\\\A", "/computer=B"}, true, true, "B"},
};

class ParseCommandLineTest : public ::testing::TestWithParam<Case> {};

TEST_P(ParseCommandLineTest, FindsTheComputerOrAsksForTheUsageBox) {
    const Case& c = GetParam();
    const CommandLine line = ParseCommandLine(c.arguments);
    EXPECT_EQ(line.showUsage, c.usage);
    EXPECT_EQ(!line.problem.empty(), c.problem) << line.problem;
    if (!c.usage) {
        EXPECT_EQ(line.computer, c.computer);
    }
}

INSTANTIATE_TEST_SUITE_P(Arguments, ParseCommandLineTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLine, TheUsageBoxNamesWhatWasNotUnderstoodAndGivesTheExitCode) {
    ui::testing::ScriptedPrompter prompts;
    ui::testing::TestHost host(prompts);
    prompts.SetAutoOk(true);

    EXPECT_EQ(ShowUsage(host, ParseCommandLine({"/?"})), 0);
    const std::string huge(5000, 'x');
    EXPECT_EQ(ShowUsage(host, ParseCommandLine({"\\\\A", "/computer=B", huge})), 1);
    EXPECT_EQ(ShowUsage(host, ParseCommandLine({huge})), 1);

    const auto& asked = prompts.Questions();
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].text, UsageText());
    EXPECT_EQ(asked[0].icon, ui::MsgIcon::Information);
    EXPECT_EQ(asked[0].title, "Vantrel");
    EXPECT_NE(UsageText().find("/computer="), std::string::npos);
    // The first problem only, before the usage; a long argument is shown cut.
    EXPECT_EQ(asked[1].text,
              "Only one computer can be named; \"/computer=B\" is a second one.\r\r" + UsageText());
    EXPECT_EQ(asked[1].icon, ui::MsgIcon::Exclamation);
    EXPECT_EQ(asked[2].text.rfind("\"" + std::string(80, 'x') + "...\" is not an argument", 0), 0u);
    EXPECT_LT(asked[2].text.size(), 500u);
}

}  // namespace
}  // namespace vtl
