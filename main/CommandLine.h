#pragma once
// The program's command line (its arguments after the program's name, each as
// the system split them: CommandLineToArgvW on Windows):
//
//   Vantrel.exe                   opens on this computer
//   Vantrel.exe \\NAME            opens on the computer NAME
//   Vantrel.exe /computer=NAME    the same (also -computer=, in any case)
//   Vantrel.exe /?                shows the usage box and opens no window (also -?)
//
// Anything else (an unknown option, a second computer) shows the usage box,
// with a line on what was not understood. The name is not checked here: the
// start-up checks it as the browse dialog's typed name is checked.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/UiHost.h"

namespace vtl {

struct CommandLine {
    bool showUsage = false;               // the usage box instead of the window
    std::string problem;                  // what was not understood (empty: /?)
    std::optional<std::string> computer;  // the computer named, as given
};

[[nodiscard]] CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// "Vantrel.exe [\\computer | /computer=computer | /?]" and what each does.
[[nodiscard]] std::string UsageText();

// Shows the usage box (the problem first, when there is one) and returns the
// program's exit code: 0 for /?, 1 for arguments it did not understand.
int ShowUsage(ui::UiHost& host, const CommandLine& line);

}  // namespace vtl
