// VtlShell.exe: runs a program or batch file as a Windows service, and installs
// and removes such services from the command line (see WrapperArgs.h).

#include <exception>
#include <new>

#include "core/win32/WinString.h"
#include "core/win32/Windows.h"
#include "wrapper/WrapperArgs.h"
#include "wrapper/win32/Installer.h"
#include "wrapper/win32/Messages.h"
#include "wrapper/win32/ServiceHost.h"
#include "wrapper/win32/Win32Util.h"

namespace {

using namespace vtl::wrapper;
using namespace vtl::wrapper::win32;

constexpr int kUsageExit = 1;

int Run() {
    const auto parsed = ParseWrapperCommandLine(vtl::win32::Narrow(GetCommandLineW()));
    if (!parsed.command) {
        WriteStd("VtlShell: " + parsed.error + "\n\n" + UsageText(), true);
        return kUsageExit;
    }
    ConsoleSink messages;
    switch (parsed.command->kind) {
        case CommandKind::Service: {
            std::uint32_t error = 0;
            if (RunAsService(error)) return 0;
            if (error == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT) {
                WriteStd("VtlShell: no command given.\n\n" + UsageText(), true);
                return kUsageExit;
            }
            messages.Report(Severity::Error, "Cannot run as a service: " + ErrorText(error));
            return static_cast<int>(error);
        }
        case CommandKind::Install:
            return static_cast<int>(InstallService(parsed.command->install, messages));
        case CommandKind::Remove:
            return static_cast<int>(RemoveService(parsed.command->serviceName, messages));
        case CommandKind::Run:
            return static_cast<int>(RunInConsole(parsed.command->serviceName));
        case CommandKind::Help:
            WriteStd(UsageText(), false);
            return 0;
    }
    return kUsageExit;
}

}  // namespace

int main() {
    try {
        return Run();
    } catch (const std::bad_alloc&) {
        WriteStd("VtlShell: out of memory.\n", true);
        return ERROR_NOT_ENOUGH_MEMORY;
    } catch (const std::exception& e) {
        WriteStd(std::string("VtlShell: ") + e.what() + "\n", true);
        return ERROR_PROCESS_ABORTED;
    }
}
