#pragma once
// Tests' independent reading of the local service manager: every Win32 service
// through EnumServicesStatusExW and QueryServiceConfigW, without the platform
// layer the program uses.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/win32/WinHandle.h"
#include "core/win32/WinString.h"
#include "core/win32/Windows.h"

namespace vtl::win32::testing {

struct DirectService {
    std::string displayName;
    std::uint32_t state = 0;
    std::uint32_t startType = 0xFFFFFFFF;  // unknown when the configuration was not read
    std::string account;
};

inline std::map<std::string, DirectService> ReadServicesDirectly() {
    std::map<std::string, DirectService> services;
    const UniqueScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE));
    if (!manager) return services;
    DWORD needed = 0;
    DWORD count = 0;
    DWORD resume = 0;
    EnumServicesStatusExW(manager.get(), SC_ENUM_PROCESS_INFO, SERVICE_WIN32, SERVICE_STATE_ALL,
                          nullptr, 0, &needed, &count, &resume, nullptr);
    std::vector<std::uint64_t> buffer(needed / 8 + 1);
    resume = 0;
    if (!EnumServicesStatusExW(manager.get(), SC_ENUM_PROCESS_INFO, SERVICE_WIN32,
                               SERVICE_STATE_ALL, reinterpret_cast<BYTE*>(buffer.data()),
                               static_cast<DWORD>(buffer.size() * 8), &needed, &count, &resume,
                               nullptr))
        return services;
    const auto* records = reinterpret_cast<const ENUM_SERVICE_STATUS_PROCESSW*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        DirectService entry;
        entry.displayName = Narrow(records[i].lpDisplayName);
        entry.state = records[i].ServiceStatusProcess.dwCurrentState;
        const UniqueScHandle service(
            OpenServiceW(manager.get(), records[i].lpServiceName, SERVICE_QUERY_CONFIG));
        if (service) {
            DWORD bytes = 0;
            QueryServiceConfigW(service.get(), nullptr, 0, &bytes);
            std::vector<std::uint64_t> config(bytes / 8 + 1);
            auto* record = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(config.data());
            if (QueryServiceConfigW(service.get(), record, bytes, &bytes)) {
                entry.startType = record->dwStartType;
                if (record->lpServiceStartName != nullptr)
                    entry.account = Narrow(record->lpServiceStartName);
            }
        }
        services[Narrow(records[i].lpServiceName)] = entry;
    }
    return services;
}

}  // namespace vtl::win32::testing
