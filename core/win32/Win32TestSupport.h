#pragma once
// Helpers of the Win32 backend's tests: where the tests run (Windows or Wine),
// names that do not collide between runs, and the forced end of a hung service.

#include <string>

#include "core/win32/WinHandle.h"
#include "core/win32/Windows.h"

namespace vtl::win32::testing {

// Wine's ntdll exports wine_get_version; Windows' does not.
inline bool IsWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// A name unique to this test process.
inline std::string UniqueName(const std::string& stem) {
    return stem + "_" + std::to_string(GetCurrentProcessId());
}

// Ends the process of a service that does not stop when asked (a test service
// that hangs or refuses the stop control).
inline void TerminateServiceProcess(const std::string& serviceName) {
    const UniqueScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return;
    const std::wstring name(serviceName.begin(), serviceName.end());  // ASCII test names
    const UniqueScHandle service(OpenServiceW(manager.get(), name.c_str(), SERVICE_QUERY_STATUS));
    if (!service) return;
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (!QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO,
                              reinterpret_cast<BYTE*>(&status), sizeof status, &needed) ||
        status.dwProcessId == 0)
        return;
    const UniqueKernelHandle process(
        OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, status.dwProcessId));
    if (!process) return;
    TerminateProcess(process.get(), ERROR_PROCESS_ABORTED);
    WaitForSingleObject(process.get(), 5000);
}

}  // namespace vtl::win32::testing
