#include "main/CommandLine.h"

#include <algorithm>
#include <cctype>

#include "core/ServiceRow.h"
#include "main/MainTexts.h"
#include "ui/Prompter.h"

namespace vtl {

namespace {

// An argument shown in the usage box is held to this many characters.
constexpr std::size_t kShownArgumentMaxChars = 80;

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

std::string Shown(std::string_view argument) {
    std::string shown = CutToChars(argument, kShownArgumentMaxChars);
    if (shown.size() < argument.size()) shown += "...";
    return "\"" + shown + "\"";
}

// The computer an argument names, or nothing when it names none.
std::optional<std::string> ComputerOf(std::string_view argument) {
    if (argument.starts_with("\\\\")) return std::string(argument);
    for (std::string_view option : {"/computer=", "-computer="}) {
        if (StartsWithNoCase(argument, option)) return std::string(argument.substr(option.size()));
    }
    return std::nullopt;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    for (const std::string& argument : arguments) {
        if (argument == "/?" || argument == "-?") {
            line.showUsage = true;
        } else if (std::optional<std::string> computer = ComputerOf(argument)) {
            if (line.computer && line.problem.empty())
                line.problem =
                    "Only one computer can be named; " + Shown(argument) + " is a second one.";
            line.computer = std::move(computer);
        } else if (line.problem.empty()) {
            line.problem = Shown(argument) + " is not an argument Vantrel knows.";
        }
    }
    if (!line.problem.empty()) line.showUsage = true;
    return line;
}

std::string UsageText() {
    return "Vantrel.exe [\\\\computer | /computer=computer | /?]\r"
           "\r"
           "\\\\computer or /computer=computer: opens Vantrel on the services of that "
           "computer.\r"
           "Without an argument Vantrel opens on this computer.\r"
           "/?: shows this text.";
}

int ShowUsage(ui::UiHost& host, const CommandLine& line) {
    const bool asked = line.problem.empty();
    const std::string text = asked ? UsageText() : line.problem + "\r\r" + UsageText();
    (void)host.Prompts().MsgBox(text, ui::MsgButtons::OK,
                                asked ? ui::MsgIcon::Information : ui::MsgIcon::Exclamation,
                                kAppTitle);
    return asked ? 0 : 1;
}

}  // namespace vtl
