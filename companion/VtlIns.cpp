// VtlIns.dll: starts a service on a thread of its own and grants the right to
// log on as a service. Nothing here throws past an export, shows anything, or
// keeps a handle beyond the start thread's own handle, which the caller owns.

#include <memory>
#include <new>
#include <string>

#include "companion/StartWait.h"
#include "core/win32/WinHandle.h"
#include "core/win32/Windows.h"

#include <ntsecapi.h>

namespace {

using vtl::win32::UniqueScHandle;

// ANSI (the system code page) to UTF-16.
std::wstring FromAnsi(const char* text) {
    if (text == nullptr || *text == '\0') return {};
    const int chars = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (chars <= 1) return {};
    std::wstring wide(static_cast<std::size_t>(chars), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), chars);
    wide.resize(static_cast<std::size_t>(chars - 1));
    return wide;
}

// "\\name" and "name" both address the computer name; empty means this computer.
std::wstring UncComputer(std::wstring computer) {
    const auto start = computer.find_first_not_of(L'\\');
    if (start == std::wstring::npos) return {};
    return L"\\\\" + computer.substr(start);
}

struct StartRequest {
    std::wstring service;
    bool hasService = false;  // a null name is refused without asking the manager
    std::wstring computer;    // "\\name", or empty for this computer
    std::wstring parameter;
    bool hasParameter = false;
    HMODULE module = nullptr;  // a reference that keeps the library loaded while the thread runs
};

// Opens the manager and the service with the given rights; the error of the
// open that failed, or 0.
DWORD OpenService(const StartRequest& request, DWORD access, UniqueScHandle& manager,
                  UniqueScHandle& service) {
    manager.reset(OpenSCManagerW(request.computer.empty() ? nullptr : request.computer.c_str(),
                                 nullptr, SC_MANAGER_CONNECT));
    if (!manager) return GetLastError();
    service.reset(OpenServiceW(manager.get(), request.service.c_str(), access));
    return service ? ERROR_SUCCESS : GetLastError();
}

// Wine 8 makes the handles of one thread invalid (6) while other threads start
// services at the same moment; a status query that meets this opens the service
// again, a few times at most. On Windows a valid handle never fails so.
constexpr int kReopenAttempts = 3;

DWORD StartAndWait(const StartRequest& request) {
    if (!request.hasService) return ERROR_INVALID_PARAMETER;
    UniqueScHandle manager;
    UniqueScHandle service;
    if (const DWORD error =
            OpenService(request, SERVICE_START | SERVICE_QUERY_STATUS, manager, service))
        return error;

    // The parameter reaches the service as its argv[1].
    const wchar_t* arguments[] = {request.parameter.c_str()};
    const BOOL started = request.hasParameter ? StartServiceW(service.get(), 1, arguments)
                                              : StartServiceW(service.get(), 0, nullptr);
    if (!started) return GetLastError();

    const ULONGLONG begin = GetTickCount64();
    vtl::companion::StartWait wait;
    int reopened = 0;
    while (true) {
        SERVICE_STATUS raw{};
        if (!QueryServiceStatus(service.get(), &raw)) {
            const DWORD error = GetLastError();
            if (error != ERROR_INVALID_HANDLE || reopened++ == kReopenAttempts) return error;
            if (const DWORD reopenError =
                    OpenService(request, SERVICE_QUERY_STATUS, manager, service))
                return reopenError;
            continue;
        }
        const vtl::ServiceStatus status{raw.dwServiceType,
                                        raw.dwCurrentState,
                                        raw.dwControlsAccepted,
                                        raw.dwWin32ExitCode,
                                        raw.dwServiceSpecificExitCode,
                                        raw.dwCheckPoint,
                                        raw.dwWaitHint};
        const auto step = wait.Next(status, GetTickCount64() - begin);
        if (step.done) return step.exitCode;
        Sleep(step.sleepMs);
    }
}

DWORD RunStart(const StartRequest& request) noexcept {
    try {
        return StartAndWait(request);
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

DWORD WINAPI StartThread(void* parameter) {
    std::unique_ptr<StartRequest> request(static_cast<StartRequest*>(parameter));
    const HMODULE module = request->module;
    const DWORD code = RunStart(*request);
    request.reset();
    if (module != nullptr) FreeLibraryAndExitThread(module, code);
    return code;
}

}  // namespace

// Starts the service on a new thread and returns that thread's handle at once.
// Exit codes: 259 while under way; 0 when the service was started and has left
// START_PENDING; 997 when it was started but still start pending after 120 s;
// otherwise the Windows error of the call that failed (opening the manager or the
// service, StartService, QueryServiceStatus). NULL when no thread could be made
// (last error set). A null service name ends the thread with 87.
extern "C" HANDLE __stdcall VTLStartService(const char* service, const char* computer,
                                            const char* parameter) noexcept {
    try {
        auto request = std::make_unique<StartRequest>();
        request->service = FromAnsi(service);
        request->computer = UncComputer(FromAnsi(computer));
        request->hasParameter = parameter != nullptr && *parameter != '\0';
        request->parameter = FromAnsi(parameter);
        request->hasService = service != nullptr;
        GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
            reinterpret_cast<const wchar_t*>(reinterpret_cast<const void*>(&StartThread)),
            &request->module);
        const HMODULE module = request->module;
        const HANDLE thread = CreateThread(nullptr, 0, StartThread, request.get(), 0, nullptr);
        if (thread == nullptr) {
            const DWORD error = GetLastError();
            if (module != nullptr) FreeLibrary(module);
            SetLastError(error);
            return nullptr;
        }
        (void)request.release();  // the thread owns it now
        return thread;
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

// Grants the account the right to log on as a service on the computer ("name",
// "\\name", or null/empty for this one). 0 when granted, else the Windows error.
extern "C" DWORD __stdcall fnLogRight(const wchar_t* computer, PSID sid) noexcept {
    if (sid == nullptr) return ERROR_INVALID_PARAMETER;
    if (!IsValidSid(sid)) return ERROR_INVALID_SID;
    try {
        std::wstring name = computer != nullptr ? computer : L"";
        LSA_UNICODE_STRING system{};
        if (!name.empty()) {
            system.Buffer = name.data();
            system.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
            system.MaximumLength = system.Length;
        }
        LSA_OBJECT_ATTRIBUTES attributes{};
        LSA_HANDLE policy = nullptr;
        NTSTATUS status = LsaOpenPolicy(name.empty() ? nullptr : &system, &attributes,
                                        POLICY_CREATE_ACCOUNT | POLICY_LOOKUP_NAMES, &policy);
        if (status != 0) return LsaNtStatusToWinError(status);
        std::wstring rightName = L"SeServiceLogonRight";
        LSA_UNICODE_STRING right{};
        right.Buffer = rightName.data();
        right.Length = static_cast<USHORT>(rightName.size() * sizeof(wchar_t));
        right.MaximumLength = right.Length;
        status = LsaAddAccountRights(policy, sid, &right, 1);
        LsaClose(policy);
        return status == 0 ? ERROR_SUCCESS : LsaNtStatusToWinError(status);
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}
