// Vantrel.exe: the main window on the Win32 renderer over the Win32 platform.

#include <exception>
#include <functional>
#include <memory>
#include <utility>

#include "app/AppCommands.h"
#include "core/win32/Win32Platform.h"
#include "core/win32/Windows.h"
#include "main/CommandLine.h"
#include "main/MainTexts.h"
#include "main/StartUp.h"
#include "main/win32/HelpPrompter.h"
#include "main/win32/ProgramArguments.h"
#include "ui/Executor.h"
#include "ui/win32/Win32Host.h"
#include "ui/win32/Win32Prompter.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        vtl::win32::Win32Platform platform;
        auto prompter = std::make_unique<vtl::win32::HelpPrompter>();
        vtl::win32::HelpPrompter& help = *prompter;
        vtl::ui::win32::Win32Host host(std::string(vtl::kAppTitle), std::move(prompter));
        help.SetInner(std::make_unique<vtl::ui::win32::Win32Prompter>(host), host);
        const vtl::CommandLine line = vtl::ParseCommandLine(vtl::win32::ProgramArguments());
        if (line.showUsage) return vtl::ShowUsage(host, line);
        // The main window's readings wait on the service manager on a thread of
        // their own; it ends before the host goes.
        vtl::ui::ThreadExecutor work(
            [&host](std::function<void()> task) { host.Post(std::move(task)); });
        vtl::AppCommands commands(host);
        std::unique_ptr<vtl::frmMain> main =
            vtl::StartUp(host, platform, &commands, &work, line.computer);
        return host.Run(main.get());
    } catch (const std::exception&) {
        return 1;
    }
}
