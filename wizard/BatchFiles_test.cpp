// The batch files' command lines: every install line the export accepts parses
// back through VtlShell's own parser into the same service, and every value it
// refuses would not have been read back as written.

#include <gtest/gtest.h>

#include <random>

#include "core/sim/SimNetwork.h"
#include "wizard/BatchFiles.h"
#include "wrapper/WrapperArgs.h"

namespace vtl {
namespace {

// Characters a name, program or dependency is made of: letters, blanks, the
// command interpreter's characters, path characters, control characters and
// characters outside ASCII (one the code pages hold alike is none here).
constexpr std::string_view kAsciiPieces = "aBz0 -+._()'\"%&|<>^!/\\:*?\r\n\t@#,;=$~";
constexpr std::string_view kWidePieces[] = {"\xC3\xA9", "\xE2\x82\xAC", "\xE6\x97\xA5"};
constexpr std::string_view kUnsafe = "\"%&|<>^!";

bool Safe(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0x20 && byte < 0x7F && kUnsafe.find(c) == std::string_view::npos;
    });
}

TEST(BatchFiles, EveryAcceptedInstallLineRoundTripsThroughTheWrappersParser) {
    sim::SimNetwork network;
    network.AddComputer("PC1");
    Platform& system = network.LocalPlatform();
    std::mt19937 random(20240513);
    const auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    const auto word = [&](std::size_t maxLength, bool plain) {
        std::string text;
        const std::size_t length = 1 + pick(maxLength);
        for (std::size_t i = 0; i < length; ++i) {
            const std::size_t n = plain ? 9 : kAsciiPieces.size() + std::size(kWidePieces);
            const std::size_t at = pick(n);
            text += at < kAsciiPieces.size() ? std::string(1, kAsciiPieces[at])
                                             : std::string(kWidePieces[at - kAsciiPieces.size()]);
        }
        return text;
    };
    const std::string_view extensions[] = {".exe", ".bat", ".cmd", ".com", ".txt", ""};
    int accepted = 0;
    int refused = 0;
    for (int i = 0; i < 3000; ++i) {
        const bool plain = pick(3) == 0;
        const std::string name = word(12, plain);
        std::string exePath = word(8, plain) + std::string(extensions[pick(6)]);
        if (pick(2) == 0) exePath = "C:\\apps\\" + exePath;
        if (pick(6) == 0) exePath = "\"" + exePath + "\"" + (pick(2) == 0 ? " -k x" : "");
        std::vector<std::string> dependencies;
        for (std::size_t d = pick(4); d > 0; --d)
            dependencies.push_back(word(6, plain));
        const bool power = pick(2) == 0;
        const std::uint32_t startType = static_cast<std::uint32_t>(2 + pick(4));  // 5: none
        SCOPED_TRACE("name [" + name + "] program [" + exePath + "]");

        const BatchService service{name,
                                   ProgramFileName(exePath).fileName,
                                   std::string(StartOptionText(startType)),
                                   power,
                                   pick(2) == 0,
                                   DependenciesToList(dependencies)};
        const std::string line = InstallCommandLine(service);
        const wrapper::ParsedCommand parsed = wrapper::ParseWrapperCommandLine(line);
        std::vector<std::string> reversed(dependencies.rbegin(), dependencies.rend());
        const bool roundTrips =
            parsed.command && parsed.command->kind == wrapper::CommandKind::Install &&
            parsed.command->install.serviceName == name &&
            parsed.command->install.program == service.program &&
            parsed.command->install.power == power &&
            parsed.command->install.interact == service.interact &&
            parsed.command->install.dependencies == reversed &&
            parsed.command->install.startType == (startType <= kServiceDisabled
                                                      ? std::optional<std::uint32_t>(startType)
                                                      : std::nullopt);
        const bool allSafe = Safe(name) && Safe(service.program) &&
                             std::all_of(dependencies.begin(), dependencies.end(),
                                         [](const std::string& d) { return Safe(d); });
        const bool fileNameOk = name.find_first_of(":*?") == std::string::npos;
        const bool argumentsKept = ProgramFileName(exePath).arguments.empty();

        const bool refuse = !ExportNameProblem(system, name).empty() ||
                            !ExportProgramProblem(system, exePath, power).empty() ||
                            !ExportDependencyProblem(system, dependencies).empty();
        if (refuse) {
            ++refused;
            // Something in it would not reach the wrapper as written.
            EXPECT_FALSE(allSafe && roundTrips && fileNameOk && argumentsKept) << line;
        } else {
            ++accepted;
            EXPECT_TRUE(roundTrips) << line << "\n" << parsed.error;
            EXPECT_TRUE(allSafe) << line;
            // The files carry the values unquoted on their comment lines too:
            // nothing in them is anything to the command interpreter but text.
            const std::string files = InstallFileText(service) + UninstallFileText(name);
            EXPECT_EQ(files.find_first_of("%&|<>^!"), std::string::npos);
        }
    }
    EXPECT_GT(accepted, 300);
    EXPECT_GT(refused, 300);
    EXPECT_EQ(network.OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace vtl
