#include "core/sim/SimPlatform.h"

#include <algorithm>
#include <array>
#include <functional>
#include <set>

#include "core/sim/SimCodePages.h"
#include "core/sim/SimMessages.h"
#include "core/sim/SimNetwork.h"

namespace vtl::sim {

namespace {

constexpr std::uint32_t kGenericWrite = 0x40000000;
constexpr std::uint32_t kGenericExecute = 0x20000000;
constexpr std::uint32_t kGenericAll = 0x10000000;
constexpr std::uint32_t kMaximumAllowed = 0x02000000;
constexpr std::uint32_t kGenericBits = kGenericRead | kGenericWrite | kGenericExecute | kGenericAll;
constexpr std::uint32_t kStandardRead = 0x00020000;
constexpr std::uint32_t kDeleteRight = 0x00010000;
constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
constexpr std::uint32_t kKeyWrite = 0x20006;

struct GenericMapping {
    std::uint32_t read;
    std::uint32_t write;
    std::uint32_t execute;
    std::uint32_t all;
};
constexpr GenericMapping kManagerMapping{
    kStandardRead | kScManagerEnumerateService | kScManagerQueryLockStatus,
    kStandardRead | kScManagerCreateService | kScManagerModifyBootConfig,
    kStandardRead | kScManagerConnect | kScManagerLock, kScManagerAllAccess};
constexpr GenericMapping kServiceMapping{kStandardRead | kServiceQueryConfig | kServiceQueryStatus |
                                             kServiceInterrogate | kServiceEnumerateDependents,
                                         kStandardRead | kServiceChangeConfig,
                                         kStandardRead | kServiceStart | kServiceStop |
                                             kServicePauseContinue | kServiceUserDefinedControl,
                                         kServiceAllAccess};
constexpr GenericMapping kKeyMapping{kKeyRead, kKeyWrite, kKeyRead, kKeyAllAccess};

std::uint32_t MapAccess(std::uint32_t access, const GenericMapping& mapping) {
    std::uint32_t mapped = access & ~(kGenericBits | kMaximumAllowed);
    if (access & kGenericRead) mapped |= mapping.read;
    if (access & kGenericWrite) mapped |= mapping.write;
    if (access & kGenericExecute) mapped |= mapping.execute;
    if (access & (kGenericAll | kMaximumAllowed)) mapped |= mapping.all;
    return mapped;
}

bool IsPending(std::uint32_t state) {
    return state == kServiceStartPending || state == kServiceStopPending ||
           state == kServicePausePending || state == kServiceContinuePending;
}

bool MatchesState(std::uint32_t state, std::uint32_t selection) {
    if (selection == kServiceStateAll) return true;
    if (selection == kServiceActive) return state != kServiceStopped;
    return state == kServiceStopped;
}

bool IsValidServiceType(std::uint32_t type) {
    switch (type) {
        case kServiceKernelDriver:
        case kServiceFileSystemDriver:
        case kServiceWin32OwnProcess:
        case kServiceWin32ShareProcess:
        case kServiceWin32OwnProcess | kServiceInteractiveProcess:
        case kServiceWin32ShareProcess | kServiceInteractiveProcess:
            return true;
        default:
            return false;
    }
}

bool IsLocalSystem(std::string_view account) {
    return account.empty() || IEquals(account, "LocalSystem") || IEquals(account, ".\\LocalSystem");
}

std::uint32_t DependenciesBytes(const std::vector<std::string>& dependencies) {
    std::uint32_t units = 1;  // the closing terminator
    for (const auto& dependency : dependencies)
        units += Utf16Units(dependency) + 1;
    return units * 2;
}

std::uint32_t EnumEntryBytes(const EnumServiceStatus& entry, std::uint32_t recordSize) {
    return recordSize + Utf16Bytes(entry.serviceName) + Utf16Bytes(entry.displayName);
}

// Well-known accounts every computer resolves.
struct WellKnownAccount {
    std::string_view domain;
    std::string_view name;
    std::string_view sid;
    std::uint32_t use;
};
constexpr std::array kWellKnownAccounts = {
    WellKnownAccount{"NT AUTHORITY", "SYSTEM", "S-1-5-18", 5},
    WellKnownAccount{"NT AUTHORITY", "LOCAL SERVICE", "S-1-5-19", 5},
    WellKnownAccount{"NT AUTHORITY", "LocalService", "S-1-5-19", 5},
    WellKnownAccount{"NT AUTHORITY", "NETWORK SERVICE", "S-1-5-20", 5},
    WellKnownAccount{"NT AUTHORITY", "NetworkService", "S-1-5-20", 5},
    WellKnownAccount{"NT AUTHORITY", "Authenticated Users", "S-1-5-11", 5},
    WellKnownAccount{"BUILTIN", "Administrators", "S-1-5-32-544", 4},
    WellKnownAccount{"BUILTIN", "Users", "S-1-5-32-545", 4},
    WellKnownAccount{"BUILTIN", "Guests", "S-1-5-32-546", 4},
    WellKnownAccount{"", "Everyone", "S-1-1-0", 5},
};

// Exports of the libraries the program loads by name.
constexpr std::array<std::string_view, 62> kAdvapi32Exports = {
    "ChangeServiceConfig2A",
    "ChangeServiceConfig2W",
    "ChangeServiceConfigA",
    "ChangeServiceConfigW",
    "CloseServiceHandle",
    "ControlService",
    "CreateServiceA",
    "CreateServiceW",
    "DeleteService",
    "EnumDependentServicesA",
    "EnumDependentServicesW",
    "EnumServicesStatusA",
    "EnumServicesStatusExA",
    "EnumServicesStatusExW",
    "EnumServicesStatusW",
    "GetServiceDisplayNameA",
    "GetServiceDisplayNameW",
    "GetServiceKeyNameA",
    "GetServiceKeyNameW",
    "LookupAccountNameA",
    "LookupAccountNameW",
    "LookupAccountSidA",
    "LookupAccountSidW",
    "LsaAddAccountRights",
    "LsaClose",
    "LsaNtStatusToWinError",
    "LsaOpenPolicy",
    "OpenSCManagerA",
    "OpenSCManagerW",
    "OpenServiceA",
    "OpenServiceW",
    "QueryServiceConfig2A",
    "QueryServiceConfig2W",
    "QueryServiceConfigA",
    "QueryServiceConfigW",
    "QueryServiceStatus",
    "QueryServiceStatusEx",
    "RegCloseKey",
    "RegConnectRegistryA",
    "RegConnectRegistryW",
    "RegCreateKeyExA",
    "RegCreateKeyExW",
    "RegDeleteTreeA",
    "RegDeleteTreeW",
    "RegDeleteValueA",
    "RegDeleteValueW",
    "RegOpenKeyA",
    "RegOpenKeyExA",
    "RegOpenKeyExW",
    "RegOpenKeyW",
    "RegQueryValueExA",
    "RegQueryValueExW",
    "RegSetValueExA",
    "RegSetValueExW",
    "StartServiceA",
    "StartServiceW",
    "StartServiceCtrlDispatcherA",
    "StartServiceCtrlDispatcherW",
    "RegisterServiceCtrlHandlerExW",
    "SetServiceStatus",
    "OpenProcessToken",
    "GetUserNameW",
};
constexpr std::array<std::string_view, 26> kKernel32Exports = {
    "CloseHandle",
    "CopyFileA",
    "CopyFileW",
    "CreateDirectoryA",
    "CreateDirectoryW",
    "CreateFileA",
    "CreateFileW",
    "FormatMessageA",
    "FormatMessageW",
    "FreeLibrary",
    "GetComputerNameA",
    "GetComputerNameW",
    "GetDriveTypeA",
    "GetDriveTypeW",
    "GetExitCodeThread",
    "GetLogicalDriveStringsA",
    "GetLogicalDriveStringsW",
    "GetProcAddress",
    "GetTickCount",
    "GetTickCount64",
    "LoadLibraryA",
    "LoadLibraryW",
    "Sleep",
    "WriteFile",
    "ReadFile",
    "GetLastError",
};
constexpr std::array<std::string_view, 4> kNetapi32Exports = {"NetApiBufferFree", "NetServerEnum",
                                                              "NetShareEnum", "NetWkstaGetInfo"};
constexpr std::array<std::string_view, 2> kVtlInsExports = {"VTLStartService", "fnLogRight"};

struct Library {
    std::string_view name;  // lower case, with extension
    const std::string_view* exports;
    std::size_t count;
};
constexpr std::array kLibraries = {
    Library{"advapi32.dll", kAdvapi32Exports.data(), kAdvapi32Exports.size()},
    Library{"kernel32.dll", kKernel32Exports.data(), kKernel32Exports.size()},
    Library{"netapi32.dll", kNetapi32Exports.data(), kNetapi32Exports.size()},
    Library{"vtlins.dll", kVtlInsExports.data(), kVtlInsExports.size()},
};

}  // namespace

// One call of the interface: runs the clock up to now, adds the latency, decides
// on an injected fault, and logs itself when it goes out of scope.
class CallScope {
  public:
    CallScope(SimNetwork& network, std::string_view operation, std::string argument,
              std::string computer, std::optional<std::uint32_t> access = {},
              std::optional<std::uint32_t> control = {})
        : network_(network) {
        record_.operation = std::string(operation);
        record_.argument = std::move(argument);
        record_.computer = std::move(computer);
        record_.access = access;
        record_.control = control;
        record_.time = network.now_;
        record_.onStartThread = network.onThread_ > 0;
        network.Settle();
        if (!record_.onStartThread) {
            const std::uint32_t ms =
                network.LatencyFor(operation, record_.argument, record_.computer);
            if (ms > 0) network.Advance(ms);
        }
        fault_ = network.TakeFault(operation, record_.argument, record_.computer);
        if (fault_) record_.error = *fault_;
    }
    ~CallScope() {
        try {
            network_.Log(std::move(record_));
        } catch (...) {
        }
    }
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;

    [[nodiscard]] const std::optional<ErrorCode>& Fault() const { return fault_; }
    void RecordChange(const ServiceManagerApi::ConfigChange& change) {
        record_.change = change;
        if (record_.change->password && !record_.change->password->empty())
            record_.change->password = std::string(kLoggedPassword);
    }
    ErrorCode Result(ErrorCode error) {
        record_.error = error;
        return error;
    }

  private:
    SimNetwork& network_;
    CallRecord record_;
    std::optional<ErrorCode> fault_;
};

SimPlatform::SimPlatform(SimNetwork& network, SimComputer& local)
    : network_(network), local_(local) {}

SimComputer* SimPlatform::Resolve(const std::string& machine) const {
    const std::string_view name = StripUncPrefix(machine);
    if (name.empty()) return &local_;
    return network_.FindComputer(name);
}

namespace {
std::string NameOf(const SimComputer* computer, const std::string& machine) {
    return computer != nullptr ? computer->Name() : std::string(StripUncPrefix(machine));
}
}  // namespace

// --- Service control manager ---------------------------------------------------------

Opened<ScManagerHandle> SimPlatform::OpenSCManager(const std::string& machine,
                                                   std::uint32_t access) {
    SimComputer* target = Resolve(machine);
    CallScope call(network_, "OpenSCManager", machine, NameOf(target, machine), access);
    if (call.Fault()) return {{}, *call.Fault()};
    if (target == nullptr || target->Unreachable()) return {{}, call.Result(kRpcServerUnavailable)};
    // Every manager handle may connect.
    const std::uint32_t mapped = MapAccess(access, kManagerMapping) | kScManagerConnect;
    if ((MapAccess(access, kManagerMapping) & target->deniedManagerRights_) != 0)
        return {{}, call.Result(kErrorAccessDenied)};
    SimNetwork::HandleEntry entry;
    entry.kind = HandleKind::ServiceManager;
    entry.computer = target;
    entry.access = mapped;
    const auto value = network_.AddHandle(std::move(entry));
    return {ScManagerHandle(this, value), call.Result(kErrorSuccess)};
}

Opened<ServiceHandle> SimPlatform::OpenService(const ScManagerHandle& manager,
                                               const std::string& serviceName,
                                               std::uint32_t access) {
    auto* entry = network_.FindHandle(manager.get(), HandleKind::ServiceManager);
    CallScope call(network_, "OpenService", serviceName,
                   entry != nullptr ? entry->computer->Name() : std::string(), access);
    if (call.Fault()) return {{}, *call.Fault()};
    if (entry == nullptr) return {{}, call.Result(kErrorInvalidHandle)};
    SimComputer& computer = *entry->computer;
    if (serviceName.empty() || serviceName.size() > 256 ||
        serviceName.find_first_of("\\/") != std::string::npos)
        return {{}, call.Result(kErrorInvalidName)};
    SimService* service = computer.Find(serviceName);
    if (service == nullptr) return {{}, call.Result(kErrorServiceDoesNotExist)};
    if (service->markedForDelete) return {{}, call.Result(kErrorServiceMarkedForDelete)};
    const std::uint32_t mapped = MapAccess(access, kServiceMapping);
    if ((mapped & service->deniedRights) != 0) return {{}, call.Result(kErrorAccessDenied)};
    SimNetwork::HandleEntry handle;
    handle.kind = HandleKind::Service;
    handle.computer = &computer;
    handle.access = mapped;
    handle.serviceName = service->name;
    const auto value = network_.AddHandle(std::move(handle));
    return {ServiceHandle(this, value), call.Result(kErrorSuccess)};
}

void SimPlatform::CloseServiceHandle(std::uintptr_t handle) noexcept {
    try {
        std::string argument;
        std::string computer;
        if (auto* entry = network_.FindHandle(handle, HandleKind::Service)) {
            argument = entry->serviceName;
            computer = entry->computer->Name();
        } else if (auto* manager = network_.FindHandle(handle, HandleKind::ServiceManager)) {
            computer = manager->computer->Name();
            argument = computer;
        }
        CallScope call(network_, "CloseServiceHandle", argument, computer);
        if (network_.TakeHandle(handle, HandleKind::Service) ||
            network_.TakeHandle(handle, HandleKind::ServiceManager))
            call.Result(kErrorSuccess);
        else
            call.Result(kErrorInvalidHandle);
    } catch (...) {
    }
}

struct SimPlatform::ServiceRef {
    SimNetwork::HandleEntry* entry = nullptr;
    SimComputer* computer = nullptr;
    SimService* service = nullptr;
    [[nodiscard]] std::string Name() const { return service ? service->name : std::string(); }
    [[nodiscard]] std::string ComputerName() const {
        return computer ? computer->Name() : std::string();
    }
};

namespace {

// The checks every call on a service handle makes before it acts: an injected
// fault, a handle that names no service, a missing access right. The error the
// call ends with, or nothing when it may go on.
template <class Ref>
std::optional<ErrorCode> Refused(CallScope& call, const Ref& ref, std::uint32_t right) {
    if (call.Fault()) return *call.Fault();
    if (ref.service == nullptr) return call.Result(kErrorInvalidHandle);
    if ((ref.entry->access & right) == 0) return call.Result(kErrorAccessDenied);
    return std::nullopt;
}

}  // namespace

SimPlatform::ServiceRef SimPlatform::ServiceOf(const ServiceHandle& handle) const {
    ServiceRef ref;
    ref.entry = network_.FindHandle(handle.get(), HandleKind::Service);
    if (ref.entry != nullptr) {
        ref.computer = ref.entry->computer;
        ref.service = ref.computer->Find(ref.entry->serviceName);
    }
    return ref;
}

ServiceManagerApi::EnumResult SimPlatform::EnumServicesStatus(const ScManagerHandle& manager,
                                                              std::uint32_t serviceType,
                                                              std::uint32_t serviceState,
                                                              std::uint32_t bufferBytes) {
    EnumResult result;
    auto* entry = network_.FindHandle(manager.get(), HandleKind::ServiceManager);
    const std::string computerName = entry != nullptr ? entry->computer->Name() : std::string();
    CallScope call(network_, "EnumServicesStatus", computerName, computerName);
    if (call.Fault()) {
        result.error = *call.Fault();
        return result;
    }
    if (entry == nullptr) {
        result.error = call.Result(kErrorInvalidHandle);
        return result;
    }
    if ((entry->access & kScManagerEnumerateService) == 0) {
        result.error = call.Result(kErrorAccessDenied);
        return result;
    }
    if (serviceType == 0 || (serviceType & ~0x3Fu) != 0 || serviceState < kServiceActive ||
        serviceState > kServiceStateAll) {
        result.error = call.Result(kErrorInvalidParameter);
        return result;
    }
    SimComputer& computer = *entry->computer;
    std::vector<EnumServiceStatus> all;
    for (const auto& [key, service] : computer.services_) {
        if ((service->config.serviceType & serviceType) == 0) continue;
        const ServiceStatus status = computer.CurrentStatus(*service);
        if (!MatchesState(status.currentState, serviceState)) continue;
        all.push_back(EnumServiceStatus{service->name, service->config.displayName, status});
    }
    // As many as fit, in order; the rest is reported as more data.
    std::uint32_t used = 0;
    std::size_t fitted = 0;
    while (fitted < all.size()) {
        const std::uint32_t bytes = EnumEntryBytes(all[fitted], EnumRecordSize());
        if (used + bytes > bufferBytes) break;
        used += bytes;
        ++fitted;
    }
    std::uint32_t rest = 0;
    for (std::size_t i = fitted; i < all.size(); ++i)
        rest += EnumEntryBytes(all[i], EnumRecordSize());
    all.resize(fitted);
    result.entries = std::move(all);
    if (rest > 0) {
        result.bytesNeeded = rest;
        result.error = call.Result(kErrorMoreData);
    } else {
        result.error = call.Result(kErrorSuccess);
    }
    return result;
}

ServiceManagerApi::EnumResult SimPlatform::EnumDependentServices(const ServiceHandle& service,
                                                                 std::uint32_t serviceState,
                                                                 std::uint32_t bufferBytes) {
    EnumResult result;
    const ServiceRef ref = ServiceOf(service);
    CallScope call(network_, "EnumDependentServices", ref.Name(), ref.ComputerName());
    if (const auto refused = Refused(call, ref, kServiceEnumerateDependents)) {
        result.error = *refused;
        return result;
    }
    if (serviceState < kServiceActive || serviceState > kServiceStateAll) {
        result.error = call.Result(kErrorInvalidParameter);
        return result;
    }
    std::vector<EnumServiceStatus> entries;
    std::uint32_t total = 0;
    for (const SimService* dependent : ref.computer->Dependents(*ref.service)) {
        const ServiceStatus status = ref.computer->CurrentStatus(*dependent);
        if (!MatchesState(status.currentState, serviceState)) continue;
        entries.push_back(
            EnumServiceStatus{dependent->name, dependent->config.displayName, status});
        total += EnumEntryBytes(entries.back(), EnumRecordSize());
    }
    if (total > bufferBytes) {
        result.bytesNeeded = total;
        result.error = call.Result(kErrorMoreData);
        return result;
    }
    result.entries = std::move(entries);
    result.error = call.Result(kErrorSuccess);
    return result;
}

ServiceManagerApi::ConfigResult SimPlatform::QueryServiceConfig(const ServiceHandle& service,
                                                                std::uint32_t bufferBytes) {
    ConfigResult result;
    const ServiceRef ref = ServiceOf(service);
    CallScope call(network_, "QueryServiceConfig", ref.Name(), ref.ComputerName());
    if (const auto refused = Refused(call, ref, kServiceQueryConfig)) {
        result.error = *refused;
        return result;
    }
    const ServiceConfig& config = ref.service->config;
    // QUERY_SERVICE_CONFIGW on x64 and its texts in UTF-16.
    const std::uint32_t needed =
        64 + Utf16Bytes(config.binaryPathName) + Utf16Bytes(config.loadOrderGroup) +
        DependenciesBytes(config.dependencies) + Utf16Bytes(config.serviceStartName) +
        Utf16Bytes(config.displayName);
    if (bufferBytes < needed) {
        result.bytesNeeded = needed;
        result.error = call.Result(kErrorInsufficientBuffer);
        return result;
    }
    result.config = config;
    result.error = call.Result(kErrorSuccess);
    return result;
}

ServiceManagerApi::DescriptionResult SimPlatform::QueryServiceDescription(
    const ServiceHandle& service, std::uint32_t bufferBytes) {
    DescriptionResult result;
    const ServiceRef ref = ServiceOf(service);
    CallScope call(network_, "QueryServiceDescription", ref.Name(), ref.ComputerName());
    if (const auto refused = Refused(call, ref, kServiceQueryConfig)) {
        result.error = *refused;
        return result;
    }
    const std::string& description = ref.service->description;
    // SERVICE_DESCRIPTIONW on x64; no text when there is no description.
    const std::uint32_t needed = 8 + (description.empty() ? 0 : Utf16Bytes(description));
    if (bufferBytes < needed) {
        result.bytesNeeded = needed;
        result.error = call.Result(kErrorInsufficientBuffer);
        return result;
    }
    result.description = description;
    result.error = call.Result(kErrorSuccess);
    return result;
}

ErrorCode SimPlatform::QueryServiceStatus(const ServiceHandle& service, ServiceStatus& status) {
    const ServiceRef ref = ServiceOf(service);
    CallScope call(network_, "QueryServiceStatus", ref.Name(), ref.ComputerName());
    if (const auto refused = Refused(call, ref, kServiceQueryStatus)) return *refused;
    status = ref.computer->CurrentStatus(*ref.service);
    return call.Result(kErrorSuccess);
}

namespace {

// The built-in accounts a service may run under without a lookup.
bool IsServiceAccount(std::string_view account) {
    return IsLocalSystem(account) || IEquals(account, "NT AUTHORITY\\LocalService") ||
           IEquals(account, "NT AUTHORITY\\NetworkService") ||
           IEquals(account, "NT AUTHORITY\\LOCAL SERVICE") ||
           IEquals(account, "NT AUTHORITY\\NETWORK SERVICE");
}

}  // namespace

ErrorCode SimPlatform::ChangeServiceConfig(const ServiceHandle& service,
                                           const ConfigChange& change) {
    const ServiceRef ref = ServiceOf(service);
    CallScope call(network_, "ChangeServiceConfig", ref.Name(), ref.ComputerName());
    call.RecordChange(change);
    if (const auto refused = Refused(call, ref, kServiceChangeConfig)) return *refused;
    SimService& target = *ref.service;
    SimComputer& computer = *ref.computer;
    if (target.markedForDelete) return call.Result(kErrorServiceMarkedForDelete);

    const std::uint32_t type =
        change.serviceType == kServiceNoChange ? target.config.serviceType : change.serviceType;
    if (!IsValidServiceType(type)) return call.Result(kErrorInvalidParameter);
    const std::uint32_t start =
        change.startType == kServiceNoChange ? target.config.startType : change.startType;
    if (start > kServiceDisabled) return call.Result(kErrorInvalidParameter);
    if ((type & kServiceWin32) != 0 && start < kServiceAutoStart)
        return call.Result(kErrorInvalidParameter);
    if (change.errorControl != kServiceNoChange && change.errorControl > 3)
        return call.Result(kErrorInvalidParameter);
    const std::string account =
        change.serviceStartName ? *change.serviceStartName : target.config.serviceStartName;
    if ((type & kServiceInteractiveProcess) != 0 && !IsLocalSystem(account))
        return call.Result(kErrorInvalidParameter);
    if (change.binaryPathName && change.binaryPathName->empty())
        return call.Result(kErrorInvalidParameter);

    std::string display = target.config.displayName;
    if (change.displayName) {
        display = change.displayName->empty() ? target.name : *change.displayName;
        if (computer.NameInUse(display, &target)) return call.Result(kErrorDuplicateServiceName);
    }
    if (change.dependencies) {
        // A dependency that leads back to the service would never start.
        std::set<std::string, CaseLess> seen;
        std::function<bool(std::string_view)> reaches = [&](std::string_view name) -> bool {
            if (IEquals(name, target.name)) return true;
            if (!seen.insert(std::string(name)).second) return false;
            const SimService* next = computer.Find(name);
            if (next == nullptr) return false;
            for (const auto& dependency : next->config.dependencies)
                if (!dependency.empty() && dependency.front() != '+' && reaches(dependency))
                    return true;
            return false;
        };
        for (const auto& dependency : *change.dependencies)
            if (!dependency.empty() && dependency.front() != '+' && reaches(dependency))
                return call.Result(kErrorCircularDependency);
    }
    if (change.serviceStartName && (type & kServiceWin32) != 0 &&
        !IsServiceAccount(*change.serviceStartName) &&
        ResolveAccount(computer, *change.serviceStartName).error != kErrorSuccess)
        return call.Result(kErrorInvalidServiceAccount);

    ServiceConfig& config = target.config;
    config.serviceType = type;
    config.startType = start;
    if (change.errorControl != kServiceNoChange) config.errorControl = change.errorControl;
    if (change.binaryPathName) config.binaryPathName = *change.binaryPathName;
    if (change.loadOrderGroup) config.loadOrderGroup = *change.loadOrderGroup;
    if (change.dependencies) {
        config.dependencies.clear();
        for (const auto& dependency : *change.dependencies)
            if (!dependency.empty()) config.dependencies.push_back(dependency);
    }
    if (change.serviceStartName)
        config.serviceStartName =
            change.serviceStartName->empty() ? "LocalSystem" : *change.serviceStartName;
    if (change.password) target.password = *change.password;
    config.displayName = display;
    computer.WriteServiceKey(target);
    return call.Result(kErrorSuccess);
}

ErrorCode SimPlatform::ChangeServiceDescription(const ServiceHandle& service,
                                                const std::string& description) {
    const ServiceRef ref = ServiceOf(service);
    CallScope call(network_, "ChangeServiceDescription", ref.Name(), ref.ComputerName());
    if (const auto refused = Refused(call, ref, kServiceChangeConfig)) return *refused;
    if (ref.service->markedForDelete) return call.Result(kErrorServiceMarkedForDelete);
    ref.service->description = description;
    ref.computer->WriteServiceKey(*ref.service);
    return call.Result(kErrorSuccess);
}

ErrorCode SimPlatform::StartService(const ServiceHandle& service,
                                    const std::vector<std::string>& arguments) {
    const ServiceRef ref = ServiceOf(service);
    CallScope call(network_, "StartService", ref.Name(), ref.ComputerName());
    if (const auto refused = Refused(call, ref, kServiceStart)) return *refused;
    SimComputer& computer = *ref.computer;
    std::uint64_t jobId = 0;
    const ErrorCode error = computer.CreateStartJob(*ref.service, arguments, 0, jobId);
    if (error != kErrorSuccess) return call.Result(error);
    // The call returns when the service manager is done: dependencies started
    // and the service's own start under way.
    computer.PumpJobs();
    while (!computer.Job(jobId)->done)
        if (!network_.RunNextEvent()) break;
    const auto* job = computer.Job(jobId);
    const ErrorCode result = job->done ? job->result : kErrorServiceDependencyFail;
    computer.ForgetJob(jobId);
    return call.Result(result);
}

ErrorCode SimPlatform::StartServiceForThread(const ServiceHandle& service,
                                             const std::vector<std::string>& arguments,
                                             std::uint64_t threadId) {
    const ServiceRef ref = ServiceOf(service);
    CallScope call(network_, "StartService", ref.Name(), ref.ComputerName());
    if (const auto refused = Refused(call, ref, kServiceStart)) return *refused;
    std::uint64_t jobId = 0;
    const ErrorCode error = ref.computer->CreateStartJob(*ref.service, arguments, threadId, jobId);
    if (error != kErrorSuccess) return call.Result(error);
    // The job goes on with the clock and tells the thread when it is done.
    network_.PumpAllJobs();
    return call.Result(kErrorSuccess);
}

ErrorCode SimPlatform::ControlService(const ServiceHandle& service, std::uint32_t control,
                                      ServiceStatus& status) {
    const ServiceRef ref = ServiceOf(service);
    CallScope call(network_, "ControlService", ref.Name(), ref.ComputerName(), std::nullopt,
                   control);
    if (call.Fault()) return *call.Fault();
    if (ref.service == nullptr) return call.Result(kErrorInvalidHandle);
    std::uint32_t right = 0;
    switch (control) {
        case kServiceControlStop:
            right = kServiceStop;
            break;
        case kServiceControlPause:
        case kServiceControlContinue:
        case 6:   // PARAMCHANGE
        case 7:   // NETBINDADD
        case 8:   // NETBINDREMOVE
        case 9:   // NETBINDENABLE
        case 10:  // NETBINDDISABLE
            right = kServicePauseContinue;
            break;
        case kServiceControlInterrogate:
            right = kServiceInterrogate;
            break;
        default:
            if (control >= 128 && control <= 255) {
                right = kServiceUserDefinedControl;
                break;
            }
            return call.Result(kErrorInvalidParameter);
    }
    if ((ref.entry->access & right) == 0) return call.Result(kErrorAccessDenied);
    SimComputer& computer = *ref.computer;
    SimService& target = *ref.service;
    const ServiceStatus current = computer.CurrentStatus(target);
    auto answer = [&](ErrorCode error) {
        status = computer.CurrentStatus(target);
        return call.Result(error);
    };
    if (control == kServiceControlStop) {
        // Any dependent that is not stopped, pending states included.
        for (const SimService* dependent : computer.Dependents(target))
            if (dependent->status.currentState != kServiceStopped)
                return answer(kErrorDependentServicesRunning);
    }
    if (current.currentState == kServiceStopped) return answer(kErrorServiceNotActive);
    if (IsPending(current.currentState)) return answer(kErrorServiceCannotAcceptCtrl);
    if (control == kServiceControlInterrogate) return answer(kErrorSuccess);
    switch (control) {
        case kServiceControlStop:
            if ((current.controlsAccepted & kServiceAcceptStop) == 0)
                return answer(kErrorInvalidServiceControl);
            computer.BeginStop(target);
            break;
        case kServiceControlPause:
            if ((current.controlsAccepted & kServiceAcceptPauseContinue) == 0)
                return answer(kErrorInvalidServiceControl);
            if (current.currentState != kServicePaused) computer.BeginPause(target);
            break;
        case kServiceControlContinue:
            if ((current.controlsAccepted & kServiceAcceptPauseContinue) == 0)
                return answer(kErrorInvalidServiceControl);
            if (current.currentState != kServiceRunning) computer.BeginContinue(target);
            break;
        default:
            return answer(kErrorInvalidServiceControl);
    }
    // A transition due at once is seen in the answer.
    network_.Settle();
    return answer(kErrorSuccess);
}

ServiceManagerApi::Created SimPlatform::CreateService(const ScManagerHandle& manager,
                                                      const CreateArgs& args) {
    Created created;
    auto* entry = network_.FindHandle(manager.get(), HandleKind::ServiceManager);
    CallScope call(network_, "CreateService", args.serviceName,
                   entry != nullptr ? entry->computer->Name() : std::string(), args.desiredAccess);
    auto fail = [&](ErrorCode error) {
        created.error = call.Result(error);
        return std::move(created);
    };
    if (call.Fault()) {
        created.error = *call.Fault();
        return created;
    }
    if (entry == nullptr) return fail(kErrorInvalidHandle);
    if ((entry->access & kScManagerCreateService) == 0) return fail(kErrorAccessDenied);
    SimComputer& computer = *entry->computer;
    const std::string& name = args.serviceName;
    if (name.empty() || name.size() > 256 || name.find_first_of("\\/") != std::string::npos)
        return fail(kErrorInvalidName);
    if (!IsValidServiceType(args.serviceType)) return fail(kErrorInvalidParameter);
    if (args.startType > kServiceDisabled ||
        ((args.serviceType & kServiceWin32) != 0 && args.startType < kServiceAutoStart))
        return fail(kErrorInvalidParameter);
    if (args.errorControl > 3) return fail(kErrorInvalidParameter);
    if (args.binaryPathName.empty()) return fail(kErrorInvalidParameter);
    const std::string group = args.loadOrderGroup.value_or("");
    if (args.wantTagId && group.empty()) return fail(kErrorInvalidParameter);
    const std::string account = args.serviceStartName && !args.serviceStartName->empty()
                                    ? *args.serviceStartName
                                    : std::string("LocalSystem");
    if ((args.serviceType & kServiceInteractiveProcess) != 0 && !IsLocalSystem(account))
        return fail(kErrorInvalidParameter);
    if (SimService* existing = computer.Find(name))
        return fail(existing->markedForDelete ? kErrorServiceMarkedForDelete : kErrorServiceExists);
    const std::string display = args.displayName.empty() ? name : args.displayName;
    if (computer.NameInUse(display, nullptr) || computer.NameInUse(name, nullptr))
        return fail(kErrorDuplicateServiceName);
    std::vector<std::string> dependencies;
    if (args.dependencies)
        for (const auto& dependency : *args.dependencies) {
            if (dependency.empty()) continue;
            if (IEquals(dependency, name)) return fail(kErrorCircularDependency);
            dependencies.push_back(dependency);
        }
    if ((args.serviceType & kServiceWin32) != 0 && !IsServiceAccount(account) &&
        ResolveAccount(computer, account).error != kErrorSuccess)
        return fail(kErrorInvalidServiceAccount);

    std::uint32_t tag = 0;
    if (args.wantTagId) {
        for (const auto& [key, service] : computer.services_)
            if (IEquals(service->config.loadOrderGroup, group))
                tag = std::max(tag, service->config.tagId);
        ++tag;
    }
    ServiceDefinition definition;
    definition.name = name;
    definition.displayName = display;
    definition.serviceType = args.serviceType;
    definition.startType = args.startType;
    definition.errorControl = args.errorControl;
    definition.binaryPath = args.binaryPathName;
    definition.loadOrderGroup = group;
    definition.tagId = tag;
    definition.dependencies = std::move(dependencies);
    definition.startName = account;
    const ErrorCode added = computer.AddService(definition);
    if (added != kErrorSuccess) return fail(added);
    if (args.password) computer.Find(name)->password = *args.password;

    SimNetwork::HandleEntry handle;
    handle.kind = HandleKind::Service;
    handle.computer = &computer;
    handle.access = MapAccess(args.desiredAccess, kServiceMapping);
    handle.serviceName = name;
    created.handle = ServiceHandle(this, network_.AddHandle(std::move(handle)));
    created.tagId = tag;
    created.error = call.Result(kErrorSuccess);
    return created;
}

ErrorCode SimPlatform::DeleteService(const ServiceHandle& service) {
    const ServiceRef ref = ServiceOf(service);
    CallScope call(network_, "DeleteService", ref.Name(), ref.ComputerName());
    if (const auto refused = Refused(call, ref, kDeleteRight)) return *refused;
    if (ref.service->markedForDelete) return call.Result(kErrorServiceMarkedForDelete);
    ref.service->markedForDelete = true;
    ref.computer->WriteServiceKey(*ref.service);
    return call.Result(kErrorSuccess);
}

// --- Registry ----------------------------------------------------------------------------

struct SimPlatform::KeyRef {
    SimComputer* computer = nullptr;
    std::shared_ptr<RegNode> node;
    std::uint32_t access = 0;
    [[nodiscard]] std::string ComputerName() const {
        return computer ? computer->Name() : std::string();
    }
};

SimPlatform::KeyRef SimPlatform::KeyOf(const RegKey& key) const {
    KeyRef ref;
    if (key.get() == kHKeyLocalMachine) {
        ref.computer = &local_;
        ref.node = local_.registry_.Root();
        ref.access = kKeyAllAccess;
    } else if (auto* entry = network_.FindHandle(key.get(), HandleKind::RegistryKey)) {
        ref.computer = entry->computer;
        ref.node = entry->key;
        ref.access = entry->access;
    }
    return ref;
}

Opened<RegKey> SimPlatform::RegConnectRegistry(const std::string& machine, std::uintptr_t root) {
    SimComputer* target = Resolve(machine);
    CallScope call(network_, "RegConnectRegistry", machine, NameOf(target, machine));
    if (call.Fault()) return {{}, *call.Fault()};
    if (root != kHKeyLocalMachine) return {{}, call.Result(kErrorInvalidHandle)};
    if (target == nullptr || target->Unreachable()) return {{}, call.Result(kErrorBadNetPath)};
    if (target->registryDenied_) return {{}, call.Result(kErrorAccessDenied)};
    SimNetwork::HandleEntry entry;
    entry.kind = HandleKind::RegistryKey;
    entry.computer = target;
    entry.access = kKeyAllAccess;
    entry.key = target->registry_.Root();
    return {RegKey(this, network_.AddHandle(std::move(entry))), call.Result(kErrorSuccess)};
}

Opened<RegKey> SimPlatform::RegOpenKeyEx(const RegKey& parent, const std::string& subKey,
                                         std::uint32_t access) {
    const KeyRef ref = KeyOf(parent);
    CallScope call(network_, "RegOpenKeyEx", subKey, ref.ComputerName(), access);
    if (call.Fault()) return {{}, *call.Fault()};
    if (!ref.node) return {{}, call.Result(kErrorInvalidHandle)};
    if (ref.node->deleted) return {{}, call.Result(kErrorKeyDeleted)};
    auto node = SimRegistry::Find(ref.node, subKey);
    if (!node) return {{}, call.Result(kErrorFileNotFound)};
    SimNetwork::HandleEntry entry;
    entry.kind = HandleKind::RegistryKey;
    entry.computer = ref.computer;
    entry.access = MapAccess(access, kKeyMapping);
    entry.key = std::move(node);
    return {RegKey(this, network_.AddHandle(std::move(entry))), call.Result(kErrorSuccess)};
}

Opened<RegKey> SimPlatform::RegCreateKeyEx(const RegKey& parent, const std::string& subKey,
                                           std::uint32_t access) {
    const KeyRef ref = KeyOf(parent);
    CallScope call(network_, "RegCreateKeyEx", subKey, ref.ComputerName(), access);
    if (call.Fault()) return {{}, *call.Fault()};
    if (!ref.node) return {{}, call.Result(kErrorInvalidHandle)};
    if (ref.node->deleted) return {{}, call.Result(kErrorKeyDeleted)};
    for (const auto& piece : SplitNonEmpty(subKey, '\\'))
        if (piece.size() > 255) return {{}, call.Result(kErrorInvalidParameter)};
    SimNetwork::HandleEntry entry;
    entry.kind = HandleKind::RegistryKey;
    entry.computer = ref.computer;
    entry.access = MapAccess(access, kKeyMapping);
    entry.key = SimRegistry::Create(ref.node, subKey);
    return {RegKey(this, network_.AddHandle(std::move(entry))), call.Result(kErrorSuccess)};
}

RegistryApi::ValueResult SimPlatform::RegQueryValueEx(const RegKey& key,
                                                      const std::string& valueName,
                                                      std::uint32_t bufferBytes) {
    ValueResult result;
    const KeyRef ref = KeyOf(key);
    CallScope call(network_, "RegQueryValueEx", valueName, ref.ComputerName());
    if (call.Fault()) {
        result.error = *call.Fault();
        return result;
    }
    if (!ref.node) {
        result.error = call.Result(kErrorInvalidHandle);
        return result;
    }
    if (ref.node->deleted) {
        result.error = call.Result(kErrorKeyDeleted);
        return result;
    }
    if ((ref.access & kKeyQueryValue) == 0) {
        result.error = call.Result(kErrorAccessDenied);
        return result;
    }
    auto it = ref.node->values.find(valueName);
    if (it == ref.node->values.end()) {
        result.error = call.Result(kErrorFileNotFound);
        return result;
    }
    result.type = it->second.type;
    result.bytesNeeded = static_cast<std::uint32_t>(it->second.data.size());
    if (bufferBytes < result.bytesNeeded) {
        result.error = call.Result(kErrorMoreData);
        return result;
    }
    result.data = it->second.data;
    result.error = call.Result(kErrorSuccess);
    return result;
}

ErrorCode SimPlatform::RegSetValueEx(const RegKey& key, const std::string& valueName,
                                     std::uint32_t type, const std::vector<std::uint8_t>& data) {
    const KeyRef ref = KeyOf(key);
    CallScope call(network_, "RegSetValueEx", valueName, ref.ComputerName());
    if (call.Fault()) return *call.Fault();
    if (!ref.node) return call.Result(kErrorInvalidHandle);
    if (ref.node->deleted) return call.Result(kErrorKeyDeleted);
    if ((ref.access & kKeySetValue) == 0) return call.Result(kErrorAccessDenied);
    auto it = ref.node->values.find(valueName);
    if (it == ref.node->values.end())
        it = ref.node->values.emplace(valueName, RegistryValue{valueName, 0, {}}).first;
    it->second.type = type;
    it->second.data = data;
    return call.Result(kErrorSuccess);
}

ErrorCode SimPlatform::RegDeleteValue(const RegKey& key, const std::string& valueName) {
    const KeyRef ref = KeyOf(key);
    CallScope call(network_, "RegDeleteValue", valueName, ref.ComputerName());
    if (call.Fault()) return *call.Fault();
    if (!ref.node) return call.Result(kErrorInvalidHandle);
    if (ref.node->deleted) return call.Result(kErrorKeyDeleted);
    if ((ref.access & kKeySetValue) == 0) return call.Result(kErrorAccessDenied);
    if (ref.node->values.erase(valueName) == 0) return call.Result(kErrorFileNotFound);
    return call.Result(kErrorSuccess);
}

ErrorCode SimPlatform::RegDeleteTree(const RegKey& parent, const std::string& subKey) {
    const KeyRef ref = KeyOf(parent);
    CallScope call(network_, "RegDeleteTree", subKey, ref.ComputerName());
    if (call.Fault()) return *call.Fault();
    if (!ref.node) return call.Result(kErrorInvalidHandle);
    if (ref.node->deleted) return call.Result(kErrorKeyDeleted);
    if (SplitNonEmpty(subKey, '\\').empty()) {
        // The key's own contents: the handle needs the rights to remove them.
        const std::uint32_t needed = kDeleteRight | kKeyEnumerateSubKeys | kKeyQueryValue;
        if ((ref.access & needed) != needed) return call.Result(kErrorAccessDenied);
        SimRegistry::Clear(ref.node);
        return call.Result(kErrorSuccess);
    }
    auto node = SimRegistry::Find(ref.node, subKey);
    if (!node) return call.Result(kErrorFileNotFound);
    SimRegistry::DeleteKey(node);
    return call.Result(kErrorSuccess);
}

void SimPlatform::RegCloseKey(std::uintptr_t key) noexcept {
    try {
        if (key >= 0x80000000 && key <= 0x80000006) return;  // predefined keys stay open
        std::string computer;
        std::string argument;
        if (auto* entry = network_.FindHandle(key, HandleKind::RegistryKey)) {
            computer = entry->computer->Name();
            argument = SimRegistry::PathOf(*entry->key);
        }
        CallScope call(network_, "RegCloseKey", argument, computer);
        call.Result(network_.TakeHandle(key, HandleKind::RegistryKey) ? kErrorSuccess
                                                                      : kErrorInvalidHandle);
    } catch (...) {
    }
}

// --- System --------------------------------------------------------------------------------

SystemApi::ComputerName SimPlatform::GetComputerName() {
    CallScope call(network_, "GetComputerName", local_.Name(), local_.Name());
    if (call.Fault()) return {*call.Fault(), {}};
    return {call.Result(kErrorSuccess), local_.Name()};
}

SystemApi::AccountLookup SimPlatform::LookupAccountName(const std::string& systemName,
                                                        const std::string& accountName) {
    AccountLookup result;
    SimComputer* target = Resolve(systemName);
    CallScope call(network_, "LookupAccountName", accountName, NameOf(target, systemName));
    if (call.Fault()) {
        result.error = *call.Fault();
        return result;
    }
    if (target == nullptr || target->Unreachable()) {
        result.error = call.Result(kRpcServerUnavailable);
        return result;
    }
    result = ResolveAccount(*target, accountName);
    call.Result(result.error);
    return result;
}

SystemApi::AccountLookup SimPlatform::ResolveAccount(const SimComputer& computer,
                                                     const std::string& accountName) const {
    AccountLookup result;
    std::string domain;
    std::string name = accountName;
    const auto slash = accountName.find('\\');
    if (slash != std::string::npos) {
        domain = accountName.substr(0, slash);
        name = accountName.substr(slash + 1);
        if (domain == ".") domain = computer.Name();
    }
    if (!name.empty()) {
        for (const auto& known : kWellKnownAccounts) {
            if (!IEquals(known.name, name)) continue;
            if (!domain.empty() && !IEquals(known.domain, domain)) continue;
            result.sid = SidFromString(known.sid);
            result.domain = std::string(known.domain);
            result.use = known.use;
            return result;
        }
        if (const auto* account = computer.FindAccount(domain, name)) {
            result.sid = account->sid;
            result.domain = account->domain;
            result.use = account->use;
            return result;
        }
    }
    result.error = kErrorNoneMapped;
    return result;
}

std::vector<std::string> SimPlatform::GetLogicalDriveStrings() {
    CallScope call(network_, "GetLogicalDriveStrings", {}, local_.Name());
    if (call.Fault()) return {};
    std::vector<std::string> roots;
    for (const auto& [letter, type] : local_.drives_)
        roots.push_back(std::string(1, letter) + ":\\");
    call.Result(kErrorSuccess);
    return roots;
}

std::uint32_t SimPlatform::GetDriveType(const std::string& rootPath) {
    CallScope call(network_, "GetDriveType", rootPath, local_.Name());
    if (call.Fault()) return kDriveUnknown;
    call.Result(kErrorSuccess);
    if (rootPath.size() >= 2 && (rootPath[0] == '\\' || rootPath[0] == '/')) {
        const PathTarget target = ResolvePath(rootPath);
        return target.error == kErrorSuccess ? kDriveRemote : kDriveNoRootDir;
    }
    const std::string root = rootPath.empty() ? local_.ApplicationFolder() : rootPath;
    if (root.size() < 2 || root[1] != ':') return kDriveNoRootDir;
    auto it = local_.drives_.find(Upper(root.substr(0, 1))[0]);
    return it == local_.drives_.end() ? kDriveNoRootDir : it->second;
}

SystemApi::ShareList SimPlatform::NetShareEnum(const std::string& server) {
    ShareList list;
    SimComputer* target = Resolve(server);
    CallScope call(network_, "NetShareEnum", server, NameOf(target, server));
    if (call.Fault()) {
        list.error = *call.Fault();
        return list;
    }
    if (target == nullptr || target->Unreachable()) {
        list.error = call.Result(kErrorBadNetPath);
        return list;
    }
    for (const auto& share : target->shares_)
        list.shares.push_back(ShareInfo{share.name, share.type, share.remark});
    list.error = call.Result(kErrorSuccess);
    return list;
}

SimPlatform::PathTarget SimPlatform::ResolvePath(const std::string& path) const {
    PathTarget target;
    if (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') &&
        (path[1] == '\\' || path[1] == '/')) {
        std::string rest = path.substr(2);
        std::replace(rest.begin(), rest.end(), '/', '\\');
        const auto pieces = SplitNonEmpty(rest, '\\');
        if (pieces.empty()) {
            target.error = kErrorBadPathName;
            return target;
        }
        SimComputer* computer = network_.FindComputer(pieces[0]);
        if (computer == nullptr || computer->Unreachable()) {
            target.error = kErrorBadNetPath;
            return target;
        }
        if (pieces.size() < 2) {
            target.error = kErrorBadPathName;
            return target;
        }
        const auto* share = computer->FindShare(pieces[1]);
        if (share == nullptr || share->path.empty()) {
            target.error = kErrorBadNetName;
            return target;
        }
        std::string local = share->path;
        for (std::size_t i = 2; i < pieces.size(); ++i)
            local += "\\" + pieces[i];
        target.computer = computer;
        target.path = SimComputer::NormalizePath(local);
        if (target.path.empty()) target.error = kErrorBadPathName;
        return target;
    }
    target.computer = &local_;
    target.path = SimComputer::NormalizePath(path);
    if (target.path.empty() && !path.empty())
        target.path = SimComputer::NormalizePath(local_.ApplicationFolder() + "\\" + path);
    if (target.path.empty()) target.error = kErrorInvalidName;
    return target;
}

ErrorCode SimPlatform::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
    const PathTarget source = ResolvePath(from);
    const PathTarget destination = ResolvePath(to);
    CallScope call(network_, "CopyFile", to,
                   destination.computer ? destination.computer->Name() : std::string());
    if (call.Fault()) return *call.Fault();
    if (source.error != kErrorSuccess) return call.Result(source.error);
    if (destination.error != kErrorSuccess) return call.Result(destination.error);
    SimComputer& src = *source.computer;
    SimComputer& dst = *destination.computer;
    auto file = src.files_.find(source.path);
    if (file == src.files_.end()) {
        if (src.directories_.count(source.path) != 0) return call.Result(kErrorAccessDenied);
        if (!src.DirExistsNormalized(SimComputer::ParentOf(source.path)))
            return call.Result(kErrorPathNotFound);
        return call.Result(kErrorFileNotFound);
    }
    if (!dst.DirExistsNormalized(SimComputer::ParentOf(destination.path)))
        return call.Result(kErrorPathNotFound);
    if (dst.DirExistsNormalized(destination.path)) return call.Result(kErrorAccessDenied);
    if (failIfExists && dst.files_.count(destination.path) != 0)
        return call.Result(kErrorFileExists);
    const std::string content = file->second;
    dst.files_[destination.path] = content;
    return call.Result(kErrorSuccess);
}

ErrorCode SimPlatform::WriteFile(const std::string& path, const std::string& content) {
    const PathTarget target = ResolvePath(path);
    CallScope call(network_, "WriteFile", path,
                   target.computer ? target.computer->Name() : std::string());
    if (call.Fault()) return *call.Fault();
    if (target.error != kErrorSuccess) return call.Result(target.error);
    SimComputer& computer = *target.computer;
    if (computer.DirExistsNormalized(target.path)) return call.Result(kErrorAccessDenied);
    if (!computer.DirExistsNormalized(SimComputer::ParentOf(target.path)))
        return call.Result(kErrorPathNotFound);
    computer.files_[target.path] = content;
    return call.Result(kErrorSuccess);
}

bool SimPlatform::FileExists(const std::string& path) {
    const PathTarget target = ResolvePath(path);
    CallScope call(network_, "FileExists", path,
                   target.computer ? target.computer->Name() : std::string());
    if (call.Fault()) return false;
    if (target.error != kErrorSuccess) {
        call.Result(target.error);
        return false;
    }
    const bool exists = target.computer->files_.count(target.path) != 0;
    call.Result(exists ? kErrorSuccess : kErrorFileNotFound);
    return exists;
}

ErrorCode SimPlatform::CreateDirectory(const std::string& path) {
    const PathTarget target = ResolvePath(path);
    CallScope call(network_, "CreateDirectory", path,
                   target.computer ? target.computer->Name() : std::string());
    if (call.Fault()) return *call.Fault();
    if (target.error != kErrorSuccess) return call.Result(target.error);
    SimComputer& computer = *target.computer;
    if (computer.DirExistsNormalized(target.path) || computer.files_.count(target.path) != 0)
        return call.Result(kErrorAlreadyExists);
    if (!computer.DirExistsNormalized(SimComputer::ParentOf(target.path)))
        return call.Result(kErrorPathNotFound);
    computer.directories_.insert(target.path);
    return call.Result(kErrorSuccess);
}

std::string SimPlatform::ApplicationFolder() {
    CallScope call(network_, "ApplicationFolder", local_.ApplicationFolder(), local_.Name());
    return local_.ApplicationFolder();
}

SystemApi::EncodedText SimPlatform::EncodeText(const std::string& utf8, CodePage page) {
    CallScope call(network_, "EncodeText", utf8, local_.Name());
    if (call.Fault()) return {*call.Fault(), {}};
    EncodedText encoded = EncodeInCodePage(utf8, page);
    call.Result(encoded.error);
    return encoded;
}

std::string SimPlatform::FormatMessage(ErrorCode code) {
    CallScope call(network_, "FormatMessage", std::to_string(code), local_.Name());
    if (call.Fault()) return {};
    const std::string_view text = SystemMessageText(code);
    // FormatMessage fails with 317 (no message for the code) where there is none.
    call.Result(text.empty() ? 317u : kErrorSuccess);
    return std::string(text);
}

Opened<LibraryHandle> SimPlatform::LoadLibrary(const std::string& name) {
    CallScope call(network_, "LoadLibrary", name, local_.Name());
    if (call.Fault()) return {{}, *call.Fault()};
    std::string base = name.substr(
        name.find_last_of("\\/") == std::string::npos ? 0 : name.find_last_of("\\/") + 1);
    if (base.find('.') == std::string::npos) base += ".dll";
    for (const auto& library : kLibraries) {
        if (!IEquals(library.name, base)) continue;
        if (library.name == "vtlins.dll" && network_.startLibraryMissing_) break;
        SimNetwork::HandleEntry entry;
        entry.kind = HandleKind::Library;
        entry.computer = &local_;
        entry.library = std::string(library.name);
        return {LibraryHandle(this, network_.AddHandle(std::move(entry))),
                call.Result(kErrorSuccess)};
    }
    return {{}, call.Result(kErrorModNotFound)};
}

bool SimPlatform::HasProcAddress(const LibraryHandle& library, const std::string& exportName) {
    auto* entry = network_.FindHandle(library.get(), HandleKind::Library);
    CallScope call(network_, "HasProcAddress", exportName, local_.Name());
    if (call.Fault()) return false;
    if (entry == nullptr) {
        call.Result(kErrorInvalidHandle);
        return false;
    }
    for (const auto& known : kLibraries) {
        if (known.name != entry->library) continue;
        for (std::size_t i = 0; i < known.count; ++i)
            if (known.exports[i] == exportName) {
                call.Result(kErrorSuccess);
                return true;
            }
    }
    call.Result(kErrorProcNotFound);
    return false;
}

void SimPlatform::FreeLibrary(std::uintptr_t library) noexcept {
    try {
        std::string name;
        if (auto* entry = network_.FindHandle(library, HandleKind::Library)) name = entry->library;
        CallScope call(network_, "FreeLibrary", name, local_.Name());
        call.Result(network_.TakeHandle(library, HandleKind::Library) ? kErrorSuccess
                                                                      : kErrorInvalidHandle);
    } catch (...) {
    }
}

void SimPlatform::Sleep(std::uint32_t milliseconds) {
    CallScope call(network_, "Sleep", std::to_string(milliseconds), local_.Name());
    network_.Advance(milliseconds);
}

std::uint64_t SimPlatform::TickCount() {
    CallScope call(network_, "TickCount", {}, local_.Name());
    return network_.Now();
}

// --- Companion library ----------------------------------------------------------------------

Opened<ThreadHandle> SimPlatform::VTLStartService(const std::string& serviceName,
                                                  const std::string& computerName,
                                                  const std::optional<std::string>& parameter) {
    SimComputer* target = Resolve(computerName);
    CallScope call(network_, "VTLStartService", serviceName, NameOf(target, computerName));
    if (call.Fault()) return {{}, *call.Fault()};
    if (network_.startLibraryMissing_) return {{}, call.Result(kErrorModNotFound)};

    auto& thread = network_.NewThread();
    thread.platform = this;
    thread.service = serviceName;
    thread.computer = NameOf(target, computerName);
    thread.openHandles = 1;
    SimNetwork::HandleEntry entry;
    entry.kind = HandleKind::StartThread;
    entry.computer = target;
    entry.serviceName = serviceName;
    entry.threadId = thread.id;
    const auto value = network_.AddHandle(std::move(entry));

    std::vector<std::string> arguments;
    if (parameter && !parameter->empty()) arguments.push_back(*parameter);
    ++network_.onThread_;
    auto [manager, openError] = OpenSCManager(computerName, kScManagerConnect);
    if (!manager) {
        network_.EndThread(thread, openError);
    } else {
        auto [service, serviceError] =
            OpenService(manager, serviceName, kServiceStart | kServiceQueryStatus);
        if (!service) {
            manager.reset();
            network_.EndThread(thread, serviceError);
        } else {
            thread.manager = std::move(manager);
            thread.handle = std::move(service);
            const ErrorCode startError = StartServiceForThread(thread.handle, arguments, thread.id);
            if (startError != kErrorSuccess) network_.EndThread(thread, startError);
        }
    }
    --network_.onThread_;
    return {ThreadHandle(this, value), call.Result(kErrorSuccess)};
}

StartLibraryApi::ExitCode SimPlatform::GetExitCodeThread(const ThreadHandle& thread) {
    auto* entry = network_.FindHandle(thread.get(), HandleKind::StartThread);
    CallScope call(network_, "GetExitCodeThread", entry ? entry->serviceName : std::string(),
                   entry && entry->computer ? entry->computer->Name() : std::string());
    if (call.Fault()) return {*call.Fault(), 0};
    if (entry == nullptr) return {call.Result(kErrorInvalidHandle), 0};
    const auto* running = network_.FindThread(entry->threadId);
    const std::uint32_t code =
        running == nullptr ? kErrorSuccess : (running->ended ? running->exitCode : kStillActive);
    return {call.Result(kErrorSuccess), code};
}

std::uint32_t SimPlatform::fnLogRight(const std::string& computerName,
                                      const std::vector<std::uint8_t>& sid) {
    SimComputer* target = Resolve(computerName);
    const std::string sidText = SidToString(sid);
    CallScope call(network_, "fnLogRight", sidText, NameOf(target, computerName));
    if (call.Fault()) return *call.Fault();
    if (network_.startLibraryMissing_) return call.Result(kErrorModNotFound);
    if (target == nullptr || target->Unreachable()) return call.Result(kRpcServerUnavailable);
    if (sidText.empty()) return call.Result(kErrorInvalidParameter);
    if (target->logonRightRefusal_ != 0) return call.Result(target->logonRightRefusal_);
    auto& grants = target->logonGrants_;
    if (std::find(grants.begin(), grants.end(), sidText) == grants.end()) grants.push_back(sidText);
    return call.Result(kErrorSuccess);
}

void SimPlatform::CloseHandle(std::uintptr_t handle) noexcept {
    try {
        std::string argument;
        std::string computer;
        if (auto* entry = network_.FindHandle(handle, HandleKind::StartThread)) {
            argument = entry->serviceName;
            computer = entry->computer ? entry->computer->Name() : std::string();
        }
        CallScope call(network_, "CloseHandle", argument, computer);
        auto entry = network_.TakeHandle(handle, HandleKind::StartThread);
        if (!entry) {
            call.Result(kErrorInvalidHandle);
            return;
        }
        if (auto* thread = network_.FindThread(entry->threadId)) {
            --thread->openHandles;
            network_.DropThreadIfUnused(entry->threadId);
        }
        call.Result(kErrorSuccess);
    } catch (...) {
    }
}

}  // namespace vtl::sim
