#include "wrapper/WrapperArgs.h"

#include <gtest/gtest.h>

#include <utility>

#include "core/ServiceTypes.h"

namespace vtl::wrapper {
namespace {

WrapperCommand Install(InstallRequest request) {
    return {CommandKind::Install, "", std::move(request)};
}

// Install lines as the batch files write them (and as users type them), and
// what each one installs; the other commands with the service they name.
TEST(WrapperArgs, CommandLinesGiveTheirCommands) {
    const std::string name256(256, 'n');
    const std::pair<std::string, WrapperCommand> cases[] = {
        {"VtlShell -install \"Backup Agent\" -auto -power -interact -dep "
         "\"LanmanWorkstation/Tcpip/\" \"run.bat\"",
         Install({"Backup Agent",
                  kServiceAutoStart,
                  true,
                  true,
                  {"LanmanWorkstation", "Tcpip"},
                  "run.bat"})},
        {"VtlShell -install \"N\" -demand \"p.exe\"",
         Install({"N", kServiceDemandStart, false, false, {}, "p.exe"})},
        {"VtlShell -install \"N\" -disabled \"p.exe\"",
         Install({"N", kServiceDisabled, false, false, {}, "p.exe"})},
        // A start type outside 0..4 writes no option at all.
        {"VtlShell -install \"N\" \"tool.com\"", Install({"N", {}, false, false, {}, "tool.com"})},
        {"VtlShell -install \"N\" -interact \"p.exe\"",
         Install({"N", {}, false, true, {}, "p.exe"})},
        {"VtlShell -install \"N\" -auto -dep \"+Group/Tcpip/\" \"p.exe\"",
         Install({"N", kServiceAutoStart, false, false, {"+Group", "Tcpip"}, "p.exe"})},
        {"VtlShell -install \"N\" -dep \"\" -power \"RUN.CMD\"",
         Install({"N", {}, true, false, {}, "RUN.CMD"})},
        // The wrapper's path quoted or not, values unquoted, blanks and tabs in runs,
        // options in any case (as Windows programs read them).
        {"\"C:\\Program Files\\Vtl\\VtlShell.exe\" -install \"A\" -power \"r.cmd\"",
         Install({"A", {}, true, false, {}, "r.cmd"})},
        {"VtlShell.exe -install A -demand prog.exe",
         Install({"A", kServiceDemandStart, false, false, {}, "prog.exe"})},
        {"VtlShell   -install   \"Two  Blanks\"\t-demand   \"p.exe\"  ",
         Install({"Two  Blanks", kServiceDemandStart, false, false, {}, "p.exe"})},
        {"VtlShell -INSTALL \"A\" -Auto -POWER \"p.exe\"",
         Install({"A", kServiceAutoStart, true, false, {}, "p.exe"})},
        {"VtlShell -install \"" + name256 + "\" -power \"p.exe\"",
         Install({name256, {}, true, false, {}, "p.exe"})},
        {"VtlShell -remove \"Backup Agent\"", {CommandKind::Remove, "Backup Agent", {}}},
        {"VtlShell.exe -run Svc", {CommandKind::Run, "Svc", {}}},
        // The service manager starts the wrapper with its quoted path alone.
        {"\"C:\\a b\\VtlShell.exe\"", {CommandKind::Service, "", {}}},
        {"VtlShell /?", {CommandKind::Help, "", {}}},
    };
    for (const auto& [line, want] : cases) {
        const ParsedCommand parsed = ParseWrapperCommandLine(line);
        ASSERT_TRUE(parsed.command) << line << ": " << parsed.error;
        EXPECT_EQ(*parsed.command, want) << line;
    }
}

// Each refused line and a part of its message that says why.
TEST(WrapperArgs, RefusedLinesSayWhy) {
    const std::pair<std::string, std::string> cases[] = {
        {"VtlShell -install", "service name"},
        {"VtlShell -install \"Name\"", "program"},
        {"VtlShell -install \"Name\" -auto", "program"},
        {"VtlShell -install -auto \"p.exe\"", "service name"},
        {"VtlShell -remove", "service name"},
        {"VtlShell -run", "service name"},
        {"VtlShell -frobnicate \"x\"", "Unknown command -frobnicate"},
        {"VtlShell -install \"N\" -fast \"p.exe\"", "Unknown option -fast"},
        {"VtlShell -remove \"A\" \"B\"", "Unexpected argument \"B\""},
        {"VtlShell -install \"N\" -auto -demand \"p.exe\"", "one start type"},
        {"VtlShell -install \"N\" -power -power \"p.exe\"", "twice"},
        {"VtlShell -install \"N\" -dep \"p.exe\"", "-dep needs"},
        {"VtlShell -install \"N\" -dep \"A/\" -dep \"B/\" \"p.exe\"", "twice"},
        {"VtlShell \"-install\" \"N\" \"p.exe\"", "Unexpected argument"},
        // A name with blanks outside quotes is explained.
        {"VtlShell -install Backup Agent -auto \"run.bat\"", "Unexpected argument Agent"},
        {"VtlShell -install Backup Agent -auto \"run.bat\"", "double-quote characters"},
        {"VtlShell -remove Backup Agent", "Unexpected argument Agent"},
        // Quotes in the wrong places, with where they are.
        {"VtlShell -install \"Name -auto \"p.exe\"", "followed by a blank"},
        {"VtlShell -remove \"Name\"x", "followed by a blank"},
        {"VtlShell -install \"Name\" -auto \"p.exe", "not closed"},
        {"VtlShell -remove \"Name", "not closed"},
        {"VtlShell -install Na\"me\" -auto \"p.exe\"", "inside an argument"},
        {"VtlShell -install \"Name\"-auto \"p.exe\"", "\"Name\"-auto"},
        // An exported compliant service whose command path carried quotes and arguments.
        {"VtlShell -install \"Svc\" -auto \"svc.exe\" -k netsvcs\"", "inside an argument"},
        // Service names the service manager refuses.
        {"VtlShell -install \"\" -power \"p.exe\"", "empty"},
        {"VtlShell -install \"a\\b\" -power \"p.exe\"", "backslash"},
        {"VtlShell -remove \"a/b\"", "slash"},
        {"VtlShell -install \"" + std::string(257, 'n') + "\" -power \"p.exe\"", "256"},
        // Programs must be runnable file names in the wrapper's folder; a batch file
        // cannot be a service by itself; a long name is still read whole.
        {"VtlShell -install \"N\" -power \"C:\\x\\p.exe\"", "file name alone"},
        {"VtlShell -install \"N\" -power \"p.txt\"", ".bat"},
        {"VtlShell -install \"N\" -power \"" + std::string(300, 'p') + "\"", ".bat"},
        {"VtlShell -install \"N\" -power \"\"", "empty"},
        {"VtlShell -install \"N\" -power \"p?.exe\"", "cannot hold"},
        {"VtlShell -install \"N\" -auto \"run.bat\"", "-power"},
        {"VtlShell -install \"N\" -boot -power \"p.exe\"", "drivers"},
        {"VtlShell -install \"N\" -system \"p.exe\"", "drivers"},
    };
    for (const auto& [line, why] : cases) {
        const ParsedCommand parsed = ParseWrapperCommandLine(line);
        EXPECT_FALSE(parsed.command) << line;
        EXPECT_NE(parsed.error.find(why), std::string::npos) << line << ": " << parsed.error;
    }
}

TEST(WrapperArgs, LongProgramPathsAreMeasuredInUtf16Units) {
    const std::string folder = "C:\\" + std::string(236, 'f');
    EXPECT_TRUE(ProgramPathError(folder + "\\" + std::string(15, 'p') + ".exe").empty());  // 259
    EXPECT_NE(
        ProgramPathError(folder + "\\" + std::string(16, 'p') + ".exe").find("longer than 259"),
        std::string::npos);
    EXPECT_EQ(Utf16Length("\xC3\xA9"), 1u);          // é: two bytes, one unit
    EXPECT_EQ(Utf16Length("\xE2\x82\xAC"), 1u);      // €: three bytes, one unit
    EXPECT_EQ(Utf16Length("\xF0\x9F\x98\x80"), 2u);  // an emoji: a surrogate pair
}

TEST(WrapperArgs, DependencyListsFromSlashes) {
    EXPECT_EQ(ParseDependencyList("Gamma/Beta/Alpha/"),
              (std::vector<std::string>{"Gamma", "Beta", "Alpha"}));
    EXPECT_EQ(ParseDependencyList("Tcpip"), (std::vector<std::string>{"Tcpip"}));
    EXPECT_EQ(ParseDependencyList("A//B/"), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(ParseDependencyList("+Net Group/Name With Blanks/"),
              (std::vector<std::string>{"+Net Group", "Name With Blanks"}));
    EXPECT_TRUE(ParseDependencyList("/").empty());
    EXPECT_EQ(DependencyMultiString({"A", "Bc"}), std::string("A\0Bc\0\0", 6));
    EXPECT_EQ(DependencyMultiString({}), std::string("\0\0", 2));
}

}  // namespace
}  // namespace vtl::wrapper
