#include "wrapper/WrapperArgs.h"

#include <gtest/gtest.h>

#include "core/ServiceTypes.h"

namespace vtl::wrapper {
namespace {

InstallRequest Installed(std::string_view line) {
    const auto parsed = ParseWrapperCommandLine(line);
    EXPECT_TRUE(parsed.command.has_value()) << line << ": " << parsed.error;
    if (!parsed.command) return {};
    EXPECT_EQ(parsed.command->kind, CommandKind::Install) << line;
    return parsed.command->install;
}

std::string ErrorOf(std::string_view line) {
    const auto parsed = ParseWrapperCommandLine(line);
    EXPECT_FALSE(parsed.command.has_value()) << line;
    EXPECT_FALSE(parsed.error.empty()) << line;
    return parsed.error;
}

TEST(WrapperArgs, ReadsTheFullInstallLineOfAnExportedWrappedService) {
    const auto request = Installed(
        "VtlShell -install \"Backup Agent\" -auto -power -interact -dep "
        "\"LanmanWorkstation/Tcpip/\" \"run.bat\"");
    EXPECT_EQ(request.serviceName, "Backup Agent");
    EXPECT_EQ(request.startType, kServiceAutoStart);
    EXPECT_TRUE(request.power);
    EXPECT_TRUE(request.interact);
    EXPECT_EQ(request.dependencies, (std::vector<std::string>{"LanmanWorkstation", "Tcpip"}));
    EXPECT_EQ(request.program, "run.bat");
}

TEST(WrapperArgs, EveryStartOptionAndEachPartAloneAsTheBatchFilesWriteThem) {
    struct Case {
        std::string_view line;
        std::optional<std::uint32_t> startType;
        bool power;
        bool interact;
        std::vector<std::string> dependencies;
    };
    const Case cases[] = {
        {"VtlShell -install \"Name\" -demand \"prog.exe\"", kServiceDemandStart, false, false, {}},
        {"VtlShell -install \"Name\" -auto \"prog.exe\"", kServiceAutoStart, false, false, {}},
        {"VtlShell -install \"Name\" -disabled \"prog.exe\"", kServiceDisabled, false, false, {}},
        // A start type outside 0..4 writes no option at all.
        {"VtlShell -install \"Name\" \"prog.exe\"", std::nullopt, false, false, {}},
        {"VtlShell -install \"Name\" -power \"prog.exe\"", std::nullopt, true, false, {}},
        {"VtlShell -install \"Name\" -interact \"prog.exe\"", std::nullopt, false, true, {}},
        {"VtlShell -install \"Name\" -demand -dep \"Tcpip/\" \"prog.exe\"",
         kServiceDemandStart,
         false,
         false,
         {"Tcpip"}},
        {"VtlShell -install \"Name\" -auto -dep \"+Group/Tcpip/\" \"prog.exe\"",
         kServiceAutoStart,
         false,
         false,
         {"+Group", "Tcpip"}},
    };
    for (const auto& c : cases) {
        const auto request = Installed(c.line);
        EXPECT_EQ(request.serviceName, "Name") << c.line;
        EXPECT_EQ(request.startType, c.startType) << c.line;
        EXPECT_EQ(request.power, c.power) << c.line;
        EXPECT_EQ(request.interact, c.interact) << c.line;
        EXPECT_EQ(request.dependencies, c.dependencies) << c.line;
        EXPECT_EQ(request.program, "prog.exe") << c.line;
    }
}

TEST(WrapperArgs, TheProgramNameMayBeQuotedOrNotAndSoMayTheWrapperPath) {
    EXPECT_EQ(Installed("\"C:\\Program Files\\Vtl\\VtlShell.exe\" -install \"A\" -power \"r.cmd\"")
                  .program,
              "r.cmd");
    EXPECT_EQ(Installed("VtlShell.exe -install A -demand prog.exe").serviceName, "A");
    EXPECT_EQ(Installed("VtlShell   -install   \"Two  Blanks\"\t-demand   \"p.exe\"  ").serviceName,
              "Two  Blanks");
    // Options are read without regard to case, as Windows programs do.
    EXPECT_EQ(Installed("VtlShell -INSTALL \"A\" -Auto -POWER \"p.exe\"").startType,
              kServiceAutoStart);
}

TEST(WrapperArgs, RemoveRunHelpAndTheServiceItself) {
    auto remove = ParseWrapperCommandLine("VtlShell -remove \"Backup Agent\"");
    ASSERT_TRUE(remove.command);
    EXPECT_EQ(remove.command->kind, CommandKind::Remove);
    EXPECT_EQ(remove.command->serviceName, "Backup Agent");
    auto run = ParseWrapperCommandLine("VtlShell.exe -run Svc");
    ASSERT_TRUE(run.command);
    EXPECT_EQ(run.command->kind, CommandKind::Run);
    EXPECT_EQ(run.command->serviceName, "Svc");
    // The service manager starts the wrapper with its quoted path alone.
    auto service = ParseWrapperCommandLine("\"C:\\a b\\VtlShell.exe\"");
    ASSERT_TRUE(service.command);
    EXPECT_EQ(service.command->kind, CommandKind::Service);
    auto help = ParseWrapperCommandLine("VtlShell /?");
    ASSERT_TRUE(help.command);
    EXPECT_EQ(help.command->kind, CommandKind::Help);
}

TEST(WrapperArgs, MissingAndUnknownArgumentsAreRefused) {
    EXPECT_NE(ErrorOf("VtlShell -install").find("service name"), std::string::npos);
    EXPECT_NE(ErrorOf("VtlShell -install \"Name\"").find("program"), std::string::npos);
    EXPECT_NE(ErrorOf("VtlShell -install \"Name\" -auto").find("program"), std::string::npos);
    EXPECT_NE(ErrorOf("VtlShell -install -auto \"p.exe\"").find("service name"), std::string::npos);
    EXPECT_NE(ErrorOf("VtlShell -remove").find("service name"), std::string::npos);
    EXPECT_NE(ErrorOf("VtlShell -run").find("service name"), std::string::npos);
    EXPECT_NE(ErrorOf("VtlShell -frobnicate \"x\"").find("Unknown command -frobnicate"),
              std::string::npos);
    EXPECT_NE(ErrorOf("VtlShell -install \"N\" -fast \"p.exe\"").find("Unknown option -fast"),
              std::string::npos);
    EXPECT_NE(ErrorOf("VtlShell -remove \"A\" \"B\"").find("Unexpected argument \"B\""),
              std::string::npos);
    EXPECT_NE(ErrorOf("VtlShell -install \"N\" -auto -demand \"p.exe\"").find("one start type"),
              std::string::npos);
    EXPECT_NE(ErrorOf("VtlShell -install \"N\" -power -power \"p.exe\"").find("twice"),
              std::string::npos);
    EXPECT_NE(ErrorOf("VtlShell -install \"N\" -dep \"p.exe\"").find("-dep needs"),
              std::string::npos);
    EXPECT_NE(ErrorOf("VtlShell -install \"N\" -dep \"A/\" -dep \"B/\" \"p.exe\"").find("twice"),
              std::string::npos);
    EXPECT_NE(ErrorOf("VtlShell \"-install\" \"N\" \"p.exe\"").find("Unexpected argument"),
              std::string::npos);
}

TEST(WrapperArgs, ANameWithBlanksOutsideQuotesIsExplained) {
    const auto error = ErrorOf("VtlShell -install Backup Agent -auto \"run.bat\"");
    EXPECT_NE(error.find("Unexpected argument Agent"), std::string::npos);
    EXPECT_NE(error.find("double-quote characters"), std::string::npos);
    EXPECT_NE(ErrorOf("VtlShell -remove Backup Agent").find("Unexpected argument Agent"),
              std::string::npos);
}

TEST(WrapperArgs, QuotesInTheWrongPlacesAreRefusedWithWhereTheyAre) {
    EXPECT_NE(ErrorOf("VtlShell -install \"Name -auto \"p.exe\"").find("followed by a blank"),
              std::string::npos);
    EXPECT_NE(ErrorOf("VtlShell -install \"Name\" -auto \"p.exe").find("not closed"),
              std::string::npos);
    EXPECT_NE(ErrorOf("VtlShell -install Na\"me\" -auto \"p.exe\"").find("inside an argument"),
              std::string::npos);
    EXPECT_NE(ErrorOf("VtlShell -install \"Name\"-auto \"p.exe\"").find("\"Name\"-auto"),
              std::string::npos);
    // An exported compliant service whose command path carried quotes and arguments.
    EXPECT_NE(ErrorOf("VtlShell -install \"Svc\" -auto \"svc.exe\" -k netsvcs\"")
                  .find("inside an argument"),
              std::string::npos);
    EXPECT_NE(ErrorOf("VtlShell -remove \"Name").find("not closed"), std::string::npos);
}

TEST(WrapperArgs, ServiceNamesThatTheServiceManagerRefuses) {
    EXPECT_NE(ErrorOf("VtlShell -install \"\" -power \"p.exe\"").find("empty"), std::string::npos);
    EXPECT_NE(ErrorOf("VtlShell -install \"a\\b\" -power \"p.exe\"").find("backslash"),
              std::string::npos);
    EXPECT_NE(ErrorOf("VtlShell -remove \"a/b\"").find("slash"), std::string::npos);
    const std::string longName(257, 'n');
    EXPECT_NE(ErrorOf("VtlShell -install \"" + longName + "\" -power \"p.exe\"").find("256"),
              std::string::npos);
    EXPECT_EQ(Installed("VtlShell -install \"" + std::string(256, 'n') + "\" -power \"p.exe\"")
                  .serviceName.size(),
              256u);
}

TEST(WrapperArgs, ProgramsMustBeRunnableFileNamesInTheWrappersFolder) {
    EXPECT_NE(ErrorOf("VtlShell -install \"N\" -power \"C:\\x\\p.exe\"").find("file name alone"),
              std::string::npos);
    EXPECT_NE(ErrorOf("VtlShell -install \"N\" -power \"p.txt\"").find(".bat"), std::string::npos);
    EXPECT_NE(ErrorOf("VtlShell -install \"N\" -power \"\"").find("empty"), std::string::npos);
    EXPECT_NE(ErrorOf("VtlShell -install \"N\" -power \"p?.exe\"").find("cannot hold"),
              std::string::npos);
    // A batch file cannot be a service by itself.
    EXPECT_NE(ErrorOf("VtlShell -install \"N\" -auto \"run.bat\"").find("-power"),
              std::string::npos);
    EXPECT_EQ(Installed("VtlShell -install \"N\" -power \"RUN.CMD\"").program, "RUN.CMD");
    EXPECT_EQ(Installed("VtlShell -install \"N\" \"tool.com\"").program, "tool.com");
}

TEST(WrapperArgs, DriverStartTypesAreRefusedForPrograms) {
    EXPECT_NE(ErrorOf("VtlShell -install \"N\" -boot -power \"p.exe\"").find("drivers"),
              std::string::npos);
    EXPECT_NE(ErrorOf("VtlShell -install \"N\" -system \"p.exe\"").find("drivers"),
              std::string::npos);
}

TEST(WrapperArgs, LongProgramPathsAreMeasuredInUtf16Units) {
    const std::string folder = "C:\\" + std::string(236, 'f');
    EXPECT_TRUE(ProgramPathError(folder + "\\" + std::string(15, 'p') + ".exe").empty());  // 259
    const auto error = ProgramPathError(folder + "\\" + std::string(16, 'p') + ".exe");    // 260
    EXPECT_NE(error.find("longer than 259"), std::string::npos);
    EXPECT_EQ(Utf16Length("\xC3\xA9"), 1u);          // é: two bytes, one unit
    EXPECT_EQ(Utf16Length("\xE2\x82\xAC"), 1u);      // €: three bytes, one unit
    EXPECT_EQ(Utf16Length("\xF0\x9F\x98\x80"), 2u);  // an emoji: a surrogate pair
    // A long program path on the command line is still read whole.
    const std::string longProgram(300, 'p');
    EXPECT_NE(ErrorOf("VtlShell -install \"N\" -power \"" + longProgram + "\"").find(".bat"),
              std::string::npos);
}

TEST(WrapperArgs, DependencyListsFromSlashes) {
    EXPECT_EQ(ParseDependencyList("Gamma/Beta/Alpha/"),
              (std::vector<std::string>{"Gamma", "Beta", "Alpha"}));
    EXPECT_EQ(ParseDependencyList("Tcpip"), (std::vector<std::string>{"Tcpip"}));
    EXPECT_EQ(ParseDependencyList("A//B/"), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(ParseDependencyList("+Net Group/Name With Blanks/"),
              (std::vector<std::string>{"+Net Group", "Name With Blanks"}));
    EXPECT_TRUE(ParseDependencyList("").empty());
    EXPECT_TRUE(ParseDependencyList("/").empty());
    EXPECT_EQ(DependencyMultiString({"A", "Bc"}), std::string("A\0Bc\0\0", 6));
    EXPECT_EQ(DependencyMultiString({}), std::string("\0\0", 2));
    // -dep "" installs without dependencies.
    EXPECT_TRUE(
        Installed("VtlShell -install \"N\" -dep \"\" -power \"p.exe\"").dependencies.empty());
}

TEST(WrapperArgs, ArgumentsAreSplitOnBlanksWithWholeQuotedValues) {
    const auto split = SplitWrapperArguments(" -install \"A B\"  x \"\" ");
    ASSERT_TRUE(split.arguments);
    EXPECT_EQ(*split.arguments, (std::vector<Argument>{
                                    {"-install", false}, {"A B", true}, {"x", false}, {"", true}}));
    EXPECT_EQ(ArgumentsOf("\"C:\\a b\\VtlShell.exe\" -remove x"), " -remove x");
    EXPECT_EQ(ArgumentsOf("VtlShell -remove x"), " -remove x");
    EXPECT_EQ(ArgumentsOf("VtlShell"), "");
    EXPECT_NE(UsageText().find("-install"), std::string::npos);
}

}  // namespace
}  // namespace vtl::wrapper
