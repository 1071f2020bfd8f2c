#include "wrapper/win32/Installer.h"

#include <algorithm>
#include <string>

#include "core/RegistryNames.h"
#include "core/win32/WinHandle.h"
#include "core/win32/WinString.h"
#include "core/win32/Windows.h"
#include "wrapper/ProgramLaunch.h"
#include "wrapper/win32/Messages.h"
#include "wrapper/win32/RegistrySource.h"
#include "wrapper/win32/Win32Util.h"

namespace vtl::wrapper::win32 {

using vtl::win32::UniqueScHandle;
using vtl::win32::Widen;

namespace {

std::uint32_t Failed(MessageSink& messages, std::string_view what, std::uint32_t error) {
    messages.Report(Severity::Error, std::string(what) + ": " + ErrorText(error));
    return error == 0 ? ERROR_GEN_FAILURE : error;
}

}  // namespace

std::uint32_t InstallService(const InstallRequest& request, MessageSink& messages) {
    const std::string wrapper = ModulePath();
    if (wrapper.empty())
        return Failed(messages, "Cannot find VtlShell.exe's own path", GetLastError());
    const std::string folder = FolderOf(wrapper);
    const std::string program = folder + "\\" + request.program;
    if (const auto error = ProgramPathError(program); !error.empty()) {
        messages.Report(Severity::Error, error);
        return ERROR_FILENAME_EXCED_RANGE;
    }
    if (request.power) {
        if (const auto error = ProgramPathError(wrapper); !error.empty()) {
            messages.Report(Severity::Error, "VtlShell.exe's own path is too long: " + wrapper);
            return ERROR_FILENAME_EXCED_RANGE;
        }
    }
    const DWORD attributes = GetFileAttributesW(Widen(program).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        messages.Report(Severity::Error, "The program " + Quoted(request.program) +
                                             " is not in VtlShell.exe's folder " + Quoted(folder) +
                                             ". Copy it there and run this again.");
        return ERROR_FILE_NOT_FOUND;
    }

    UniqueScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
    if (!manager) return Failed(messages, "Cannot open the service manager", GetLastError());

    // -power: VtlShell.exe runs the program; otherwise the program is a service itself.
    const std::string commandPath = Quoted(request.power ? wrapper : program);
    DWORD type = SERVICE_WIN32_OWN_PROCESS;
    if (request.interact) type |= SERVICE_INTERACTIVE_PROCESS;
    const std::wstring name = Widen(request.serviceName);
    const std::wstring path = Widen(commandPath);
    const std::wstring dependencies = Widen(DependencyMultiString(request.dependencies));
    UniqueScHandle service(CreateServiceW(
        manager.get(), name.c_str(), name.c_str(), SERVICE_ALL_ACCESS, type,
        request.startType.value_or(SERVICE_DEMAND_START), SERVICE_ERROR_NORMAL, path.c_str(),
        nullptr, nullptr, request.dependencies.empty() ? nullptr : dependencies.c_str(), nullptr,
        nullptr));
    if (!service) {
        const DWORD error = GetLastError();
        if (error == ERROR_SERVICE_EXISTS) {
            messages.Report(Severity::Error, "A service named " + Quoted(request.serviceName) +
                                                 " already exists. Remove it first with "
                                                 "VtlShell -remove " +
                                                 Quoted(request.serviceName) + ".");
            return error;
        }
        return Failed(messages, "Cannot create the service " + Quoted(request.serviceName), error);
    }

    if (request.power) {
        const auto error = WriteRegistryString(vtl::ParametersKeyPath(request.serviceName),
                                               vtl::kApplicationValue, program);
        if (error != 0) {
            // Nothing half-installed stays behind.
            DeleteService(service.get());
            return Failed(messages,
                          "Cannot write the program's path to the registry; the service "
                          "was not installed",
                          error);
        }
    }
    messages.Report(Severity::Info, "The service " + Quoted(request.serviceName) + " is installed" +
                                        (request.power ? "; VtlShell.exe runs " : " and runs ") +
                                        Quoted(program) + ".");
    return 0;
}

std::uint32_t RemoveService(std::string_view serviceName, MessageSink& messages) {
    UniqueScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return Failed(messages, "Cannot open the service manager", GetLastError());
    UniqueScHandle service(OpenServiceW(manager.get(), Widen(serviceName).c_str(),
                                        SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE));
    if (!service) {
        const DWORD error = GetLastError();
        if (error == ERROR_SERVICE_DOES_NOT_EXIST) {
            messages.Report(Severity::Error,
                            "There is no service named " + Quoted(serviceName) + ".");
            return error;
        }
        return Failed(messages, "Cannot open the service " + Quoted(serviceName), error);
    }

    SERVICE_STATUS status{};
    if (QueryServiceStatus(service.get(), &status) && status.dwCurrentState != SERVICE_STOPPED) {
        messages.Report(Severity::Info, "Stopping the service " + Quoted(serviceName) + "...");
        if (status.dwCurrentState != SERVICE_STOP_PENDING &&
            !ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) {
            const DWORD error = GetLastError();
            messages.Report(Severity::Warning,
                            "The service could not be stopped: " + ErrorText(error) +
                                ". It is removed once it stops.");
        } else {
            const ULONGLONG begin = GetTickCount64();
            while (QueryServiceStatus(service.get(), &status) &&
                   status.dwCurrentState != SERVICE_STOPPED &&
                   GetTickCount64() - begin < kRemoveStopWaitMs)
                Sleep(std::clamp<DWORD>(status.dwWaitHint / 10, 100, 1000));
            if (status.dwCurrentState != SERVICE_STOPPED)
                messages.Report(Severity::Warning,
                                "The service did not stop within 60 s. It is removed once it "
                                "stops.");
        }
    }
    if (!DeleteService(service.get())) {
        const DWORD error = GetLastError();
        if (error == ERROR_SERVICE_MARKED_FOR_DELETE) {
            messages.Report(Severity::Error, "The service " + Quoted(serviceName) +
                                                 " is already marked for deletion.");
            return error;
        }
        return Failed(messages, "Cannot delete the service " + Quoted(serviceName), error);
    }
    messages.Report(Severity::Info, "The service " + Quoted(serviceName) + " is removed.");
    return 0;
}

}  // namespace vtl::wrapper::win32
