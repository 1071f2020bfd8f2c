// VantrelSim.exe: the same windows on the Win32 renderer over the simulated
// standard network (a workstation, a file server and a server that no longer
// answers), its clock following the real time.

#include <exception>
#include <memory>

#include "app/AppCommands.h"
#include "core/sim/DataSet.h"
#include "core/win32/Windows.h"
#include "main/CommandLine.h"
#include "main/MainTexts.h"
#include "main/StartUp.h"
#include "main/sim/frmSimClock.h"
#include "main/win32/HelpPrompter.h"
#include "main/win32/ProgramArguments.h"
#include "ui/win32/Win32Host.h"
#include "ui/win32/Win32Prompter.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        std::unique_ptr<vtl::sim::SimNetwork> network = vtl::sim::MakeStandardNetwork();
        auto prompter = std::make_unique<vtl::win32::HelpPrompter>();
        vtl::win32::HelpPrompter& help = *prompter;
        vtl::ui::win32::Win32Host host(std::string(vtl::kAppTitle), std::move(prompter));
        help.SetInner(std::make_unique<vtl::ui::win32::Win32Prompter>(host), host);
        const vtl::CommandLine line = vtl::ParseCommandLine(vtl::win32::ProgramArguments());
        if (line.showUsage) return vtl::ShowUsage(host, line);
        vtl::frmSimClock clock(host, *network, vtl::SteadyMilliseconds);
        clock.Load();
        vtl::AppCommands commands(host);
        std::unique_ptr<vtl::frmMain> main =
            vtl::StartUp(host, network->LocalPlatform(), &commands, nullptr, line.computer);
        return host.Run(main.get());
    } catch (const std::exception&) {
        return 1;
    }
}
