#pragma once
// One simulated Windows computer: its service control manager, registry,
// drives, shares, files and accounts. Reached through SimNetwork; the methods
// here set up and inspect the computer directly (no access checks, no call log,
// no fault injection). Everything the program does goes through a Platform.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/Platform.h"
#include "core/sim/SimRegistry.h"
#include "core/sim/SimService.h"
#include "core/sim/SimStrings.h"

namespace vtl::sim {

class SimNetwork;
class SimPlatform;

inline constexpr std::uint32_t kStypeIpc = 3;

// Windows error codes the simulation reports beyond those the program names.
inline constexpr ErrorCode kErrorInvalidName = 123;
inline constexpr ErrorCode kErrorBadNetName = 67;
inline constexpr ErrorCode kErrorModNotFound = 126;
inline constexpr ErrorCode kErrorBadPathName = 161;
inline constexpr ErrorCode kErrorKeyDeleted = 1018;
inline constexpr ErrorCode kErrorServiceDependencyDeleted = 1075;
// How long the service manager waits for a dependency to leave START_PENDING,
// and for a program that never connects.
inline constexpr std::uint32_t kServiceStartTimeoutMs = 30000;

class SimComputer {
  public:
    SimComputer(SimNetwork& network, std::string name);
    SimComputer(const SimComputer&) = delete;
    SimComputer& operator=(const SimComputer&) = delete;

    [[nodiscard]] const std::string& Name() const { return name_; }
    [[nodiscard]] SimNetwork& Network() const { return network_; }

    // --- Reachability and rights -------------------------------------------
    // Unreachable: OpenSCManager 1722, RegConnectRegistry 53, NetShareEnum 53,
    // paths through \\NAME\ 53, LookupAccountName and fnLogRight on it 1722.
    void SetUnreachable(bool unreachable) { unreachable_ = unreachable; }
    [[nodiscard]] bool Unreachable() const { return unreachable_; }
    // OpenSCManager asking for any of these rights fails with 5 (0: none denied).
    void DenyManagerAccess(std::uint32_t rights = 0xFFFFFFFF) { deniedManagerRights_ = rights; }
    // OpenService asking for any of these rights of the service fails with 5.
    bool DenyServiceAccess(std::string_view service, std::uint32_t rights = 0xFFFFFFFF);
    // RegConnectRegistry to this computer fails with 5.
    void DenyRegistryAccess(bool denied) { registryDenied_ = denied; }
    // fnLogRight answers this code instead of granting (0: grants).
    void RefuseLogonRight(std::uint32_t code) { logonRightRefusal_ = code; }

    // --- Services ------------------------------------------------------------
    // Registers a service as if it had been installed before (its registry key
    // included). 1073 when the name exists, 1078 for a display name in use, 87
    // for an empty name.
    ErrorCode AddService(const ServiceDefinition& definition);
    [[nodiscard]] bool HasService(std::string_view name) const;
    // Every service (drivers included), in the order the service manager lists them.
    [[nodiscard]] std::vector<std::string> ServiceNames() const;
    [[nodiscard]] std::optional<ServiceStatus> Status(std::string_view name) const;
    [[nodiscard]] std::optional<ServiceConfig> Config(std::string_view name) const;
    [[nodiscard]] std::optional<std::string> Description(std::string_view name) const;
    // The password ChangeServiceConfig or CreateService last gave the service.
    [[nodiscard]] std::optional<std::string> Password(std::string_view name) const;
    [[nodiscard]] bool IsMarkedForDelete(std::string_view name) const;
    [[nodiscard]] int OpenHandleCount(std::string_view service) const;
    // The arguments of the last start and the number of starts so far.
    [[nodiscard]] std::vector<std::string> LastStartArguments(std::string_view name) const;
    [[nodiscard]] std::uint32_t StartCount(std::string_view name) const;
    // Replaces the behaviour for the next start (and for the current run's
    // later transitions). ClearBehaviour returns to the binary path's or the default.
    bool SetBehaviour(std::string_view name, const ServiceBehaviour& behaviour);
    bool ClearBehaviour(std::string_view name);
    // The behaviour a start would use now.
    [[nodiscard]] std::optional<ServiceBehaviour> EffectiveBehaviour(std::string_view name) const;
    // Puts a service into STOPPED, RUNNING or PAUSED at once, as after a boot;
    // 87 for another state, 1060 for an unknown service.
    ErrorCode ForceState(std::string_view name, std::uint32_t state);
    // What another program's DeleteService does: marks it; the service goes when
    // it is stopped and its last handle is closed. 1060 / 1072 as Windows.
    ErrorCode RemoveService(std::string_view name);
    // Behaviour of services that have none of their own.
    void SetDefaultBehaviour(const ServiceBehaviour& behaviour) { defaultBehaviour_ = behaviour; }

    // --- Registry --------------------------------------------------------------
    [[nodiscard]] SimRegistry& Registry() { return registry_; }
    [[nodiscard]] const SimRegistry& Registry() const { return registry_; }
    void SetRegistryString(std::string_view path, std::string_view name, std::string_view text);
    void SetRegistryDword(std::string_view path, std::string_view name, std::uint32_t value);

    // --- Drives, shares, files -------------------------------------------------
    void AddDrive(char letter, std::uint32_t driveType);
    // A share of a path on this computer ("C:\", "D:\Data"); type kStypeDiskTree,
    // kStypeSpecial, kStypeIpc, ...
    void AddShare(std::string name, std::uint32_t type, std::string path, std::string remark);
    // Adds the administrative shares: one "X$" per fixed drive, ADMIN$ and IPC$.
    void AddAdministrativeShares();
    // Creates the file (and its folders); paths are local ("C:\dir\file").
    void PutFile(std::string_view path, std::string_view content);
    void PutDirectory(std::string_view path);
    [[nodiscard]] std::optional<std::string> FileContent(std::string_view path) const;
    [[nodiscard]] bool DirectoryExists(std::string_view path) const;
    [[nodiscard]] std::vector<std::string> FilesIn(std::string_view folder) const;
    void SetApplicationFolder(std::string folder);
    [[nodiscard]] const std::string& ApplicationFolder() const { return applicationFolder_; }

    // --- Accounts --------------------------------------------------------------
    // An account LookupAccountName resolves on this computer. domain is this
    // computer's name for a local account, a domain name otherwise. sid: "S-1-5-21-...".
    void AddAccount(std::string domain, std::string name, std::string_view sid,
                    std::uint32_t use = 1);
    // SIDs ("S-1-...") granted the right to log on as a service, in order.
    [[nodiscard]] const std::vector<std::string>& LogonRightGrants() const { return logonGrants_; }

  private:
    friend class SimPlatform;
    friend class SimNetwork;

    struct Share {
        std::string name;
        std::uint32_t type = 0;
        std::string path;
        std::string remark;
    };
    struct Account {
        std::string domain;
        std::string name;
        std::vector<std::uint8_t> sid;
        std::uint32_t use = 1;
    };
    // One start of the service manager: the dependencies first, in order, then
    // the service itself. A direct StartService runs the clock until it is done;
    // a start thread waits for it.
    struct PlanItem {
        std::string name;  // a service, or a group when group is true
        bool group = false;
        bool started = false;
        std::uint64_t deadline = 0;
    };
    struct StartJob {
        std::uint64_t id = 0;
        std::string target;
        std::vector<std::string> arguments;
        std::vector<PlanItem> plan;
        std::size_t next = 0;
        bool targetStarted = false;
        bool done = false;
        ErrorCode result = kErrorSuccess;
        std::uint64_t threadId = 0;  // a start thread waiting for it, or 0
    };

    SimService* Find(std::string_view name);
    const SimService* Find(std::string_view name) const;
    SimService* FindById(std::uint64_t id);
    [[nodiscard]] bool NameInUse(std::string_view name, const SimService* except) const;
    ServiceBehaviour ResolveBehaviour(const SimService& service) const;
    void WriteServiceKey(const SimService& service);
    void Erase(SimService& service);
    void EraseIfGone(SimService& service);

    // State machine.
    void Schedule(SimService& service, std::optional<std::uint64_t> at);
    void BeginStart(SimService& service, const std::vector<std::string>& arguments);
    void BeginStop(SimService& service);
    void BeginPause(SimService& service);
    void BeginContinue(SimService& service);
    void EnterRunning(SimService& service);
    void EnterStopped(SimService& service, std::uint32_t win32ExitCode, std::uint32_t specificCode);
    // The test service's --marker file, written when it reaches RUNNING.
    void WriteMarker(const SimService& service);
    void OnTimer(std::uint64_t serviceId, std::uint64_t generation);
    [[nodiscard]] ServiceStatus CurrentStatus(const SimService& service) const;

    // Starting with dependencies.
    ErrorCode PlanDependencies(const SimService& service, std::vector<PlanItem>& plan,
                               std::set<std::string, CaseLess>& visiting,
                               std::set<std::string, CaseLess>& planned);
    // Checks and plans a start; on success the job is registered (not yet run).
    ErrorCode CreateStartJob(SimService& service, std::vector<std::string> arguments,
                             std::uint64_t threadId, std::uint64_t& jobId);
    void PumpJobs();
    void PumpJob(StartJob& job);
    [[nodiscard]] const StartJob* Job(std::uint64_t id) const;
    void ForgetJob(std::uint64_t id);
    [[nodiscard]] bool HasActiveJobs() const;

    // Dependents in the order Windows lists them (the reverse of start order).
    [[nodiscard]] std::vector<const SimService*> Dependents(const SimService& service) const;

    // Files.
    [[nodiscard]] static std::string NormalizePath(std::string_view path);
    [[nodiscard]] static std::string ParentOf(const std::string& normalized);
    [[nodiscard]] bool DirExistsNormalized(const std::string& normalized) const;
    [[nodiscard]] const Share* FindShare(std::string_view name) const;

    // Accounts.
    [[nodiscard]] const Account* FindAccount(std::string_view domain, std::string_view name) const;

    SimNetwork& network_;
    std::string name_;
    bool unreachable_ = false;
    std::uint32_t deniedManagerRights_ = 0;
    bool registryDenied_ = false;
    std::uint32_t logonRightRefusal_ = 0;
    ServiceBehaviour defaultBehaviour_;

    std::map<std::string, std::unique_ptr<SimService>, CaseLess> services_;
    std::map<std::uint64_t, StartJob> jobs_;
    SimRegistry registry_;
    std::map<char, std::uint32_t> drives_;
    std::vector<Share> shares_;
    std::map<std::string, std::string, CaseLess> files_;
    std::set<std::string, CaseLess> directories_;
    std::string applicationFolder_ = "C:\\Program Files\\Orvane\\Vantrel";
    std::vector<Account> accounts_;
    std::vector<std::string> logonGrants_;
};

// "S-1-5-21-..." and the binary SID Windows uses.
[[nodiscard]] std::vector<std::uint8_t> SidFromString(std::string_view text);
[[nodiscard]] std::string SidToString(const std::vector<std::uint8_t>& sid);

}  // namespace vtl::sim
