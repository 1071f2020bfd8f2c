#pragma once
// A simulated Windows network for tests, demos and benchmarks.
//
// SimNetwork owns the computers (looked up by name without regard to case,
// "\\NAME" accepted), one virtual clock, the handle table shared by all of
// them, a call log, fault injection and per-call latency. A Platform for a
// computer behaves as the Windows platform does on that computer: the empty
// machine name, the predefined HKEY_LOCAL_MACHINE, drive paths and
// GetComputerName refer to it; other computers are reached by name.
//
// Typical use:
//
//   auto network = vtl::sim::MakeStandardNetwork();          // core/sim/DataSet.h
//   vtl::Platform& platform = network->LocalPlatform();
//   network->Computer("SRV-FILE01").SetUnreachable(true);
//   network->FailCall("QueryServiceConfig", 2, 5);            // the 2nd call fails with 5
//   network->SetLatency("*", 3, "SRV-FILE01");                // 3 ms per call to the server
//   ... run the code under test over `platform` ...
//   network->Advance(1000);                                   // state machines move on
//   EXPECT_EQ(network->CountCalls("OpenSCManager"), 1u);
//   EXPECT_EQ(network->OpenHandleCount(), 0u);
//
// The parts of the API:
// - SimNetwork (this file): computers, the platform of a computer, the clock,
//   faults, latency, the call log, open handles, the companion library's state.
// - SimComputer (SimComputer.h): set-up and inspection of one computer without
//   going through the interface: services (AddService with a ServiceDefinition,
//   SetBehaviour, ForceState, RemoveService, Status, Config, ...), reachability
//   and access denials, registry, drives, shares, files, accounts, logon rights.
// - ServiceBehaviour and ServiceDefinition (SimService.h): what a service does.
//   A service whose binary path names VtlTestSvc.exe takes its behaviour from
//   the same options the real test service reads (core/testsvc).
// - MakeStandardNetwork (DataSet.h): a workstation, a file server, an old server.
//
// Rules the simulation keeps (as Windows does; see the tests for each):
// - Access masks: every call is checked against the rights its handle was opened
//   with (generic rights mapped as Windows maps them); 5 when missing.
// - Time moves only through Advance, Sleep, latencies, and calls that block on
//   Windows (StartService while it starts the service's dependencies, at most
//   30 s for each, and a program that never connects: 30 s then 1053). Every
//   call first runs the state machines up to the current time, so a transition
//   due "now" is seen by the next call.
// - Enumeration order: by service name without regard to case. A too small
//   non-zero buffer gets the entries that fit and 234 with the bytes the rest
//   need (EnumServicesStatus); EnumDependentServices returns nothing with 234.
//   Record sizes are the x64 ones: ENUM_SERVICE_STATUSW 48 bytes,
//   QUERY_SERVICE_CONFIGW 64, SERVICE_DESCRIPTIONW 8, plus each text in UTF-16
//   with its terminator (dependencies as a double-terminated list). Registry
//   data is sized in the UTF-8 bytes it travels as.
// - EnumDependentServices lists the services that depend on the service by name,
//   directly or through other dependents, deepest first (the reverse of the
//   order in which they would start); each service once. Group dependencies
//   ("+Group") take part in starts (one member must end up running) but not in
//   this list, nor in the 1051 check, which counts every dependent not stopped.
// - Start threads (VTLStartService): the thread opens the manager with
//   SC_MANAGER_CONNECT and the service with SERVICE_START | SERVICE_QUERY_STATUS
//   and asks for the start at once; a failure there ends the thread at once with
//   its code. Then it looks at the service every tenth of its wait hint (1 to
//   10 s) and ends with 0 when it has left START_PENDING, or with 997 when
//   kStartThreadBoundMs have passed since the call. Its calls are logged (with
//   onStartThread) and can be made to fail, but cost no virtual time.
// - The call log is on from the start; benchmarks that make many calls turn it off.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <queue>
#include <string>
#include <string_view>
#include <vector>

#include "core/Platform.h"
#include "core/sim/SimComputer.h"

namespace vtl::sim {

class SimPlatform;

// Longest time a start thread waits for its service to leave START_PENDING.
inline constexpr std::uint32_t kStartThreadBoundMs = 120000;

enum class HandleKind { ServiceManager, Service, RegistryKey, Library, StartThread };

// One call of the platform interface.
struct CallRecord {
    std::string operation;  // the method's name: "OpenService", "RegQueryValueEx", ...
    std::string argument;   // service, key, value, path, account or library name
    std::string computer;   // the computer the call went to ("" when none)
    std::optional<std::uint32_t> access;   // asked-for rights of an open or create
    std::optional<std::uint32_t> control;  // the control code of ControlService
    ErrorCode error = kErrorSuccess;       // the call's outcome
    std::uint64_t time = 0;                // virtual time when the call was made
    bool onStartThread = false;            // made by a start thread
    // ChangeServiceConfig's request as it was made; a password that is not empty
    // reads kLoggedPassword (the log never holds one).
    std::optional<ServiceManagerApi::ConfigChange> change;
};
inline constexpr std::string_view kLoggedPassword = "<password>";

class SimNetwork {
  public:
    SimNetwork();
    ~SimNetwork();
    SimNetwork(const SimNetwork&) = delete;
    SimNetwork& operator=(const SimNetwork&) = delete;

    // --- Computers -------------------------------------------------------------
    // Adds a computer (or returns the one of that name). The first one added is
    // the local computer until SetLocalComputer says otherwise.
    SimComputer& AddComputer(std::string_view name);
    [[nodiscard]] SimComputer* FindComputer(std::string_view name);
    // The named computer; throws std::out_of_range when there is none.
    [[nodiscard]] SimComputer& Computer(std::string_view name);
    void SetLocalComputer(std::string_view name);
    [[nodiscard]] SimComputer& LocalComputer();
    [[nodiscard]] std::vector<std::string> ComputerNames() const;

    // The platform as a program running on the computer sees it.
    [[nodiscard]] Platform& PlatformFor(std::string_view computer);
    [[nodiscard]] Platform& LocalPlatform() { return PlatformFor(LocalComputer().Name()); }

    // --- Clock -----------------------------------------------------------------
    [[nodiscard]] std::uint64_t Now() const { return now_; }
    // Runs every state machine and start thread up to Now() + ms.
    void Advance(std::uint64_t milliseconds);

    // --- Fault injection -------------------------------------------------------
    // Call nth (1-based, counted from now) of the operation fails with code. With
    // a target, only calls whose main argument or computer is the target count.
    void FailCall(std::string_view operation, std::uint32_t nth, ErrorCode code,
                  std::string_view target = {});
    // Every matching call fails until ClearFaults.
    void FailAlways(std::string_view operation, ErrorCode code, std::string_view target = {});
    void ClearFaults();
    // The operations that can be made to fail: every method of the platform
    // interface that reports an outcome (the closing calls, Sleep, TickCount,
    // ApplicationFolder and EnumRecordSize cannot fail).
    [[nodiscard]] static const std::vector<std::string_view>& FaultableOperations();

    // --- Latency -----------------------------------------------------------------
    // Each call of the operation ("*": every operation) moves the clock on by ms
    // before it runs; with a target, only calls to that computer or about that
    // name. Latencies of several matching entries add up.
    void SetLatency(std::string_view operation, std::uint32_t milliseconds,
                    std::string_view target = {});
    void ClearLatency();

    // --- Call log ---------------------------------------------------------------
    void EnableCallLog(bool enabled = true) { logEnabled_ = enabled; }
    void ClearCallLog() { log_.clear(); }
    [[nodiscard]] const std::vector<CallRecord>& CallLog() const { return log_; }
    // Logged calls of the operation (and with this argument, when given).
    [[nodiscard]] std::size_t CountCalls(std::string_view operation,
                                         std::optional<std::string_view> argument = {}) const;

    // --- Handles -----------------------------------------------------------------
    [[nodiscard]] std::size_t OpenHandleCount() const { return handles_.size(); }
    [[nodiscard]] std::size_t OpenHandleCount(HandleKind kind) const;

    // --- Companion library ----------------------------------------------------
    // VtlIns.dll absent: VTLStartService and LoadLibrary("VtlIns.dll") fail with 126.
    void SetStartLibraryMissing(bool missing) { startLibraryMissing_ = missing; }
    [[nodiscard]] bool StartLibraryMissing() const { return startLibraryMissing_; }
    // Start threads that have not ended yet.
    [[nodiscard]] std::size_t RunningStartThreads() const;

  private:
    friend class SimPlatform;
    friend class SimComputer;
    friend class CallScope;

    struct Fault {
        std::string operation;
        std::string target;
        std::uint32_t nth = 0;  // 0: always
        std::uint32_t seen = 0;
        ErrorCode code = 0;
        bool spent = false;
    };
    struct Latency {
        std::string operation;
        std::string target;
        std::uint32_t ms = 0;
    };
    struct HandleEntry {
        HandleKind kind = HandleKind::ServiceManager;
        SimComputer* computer = nullptr;
        std::uint32_t access = 0;
        std::string serviceName;       // Service
        std::shared_ptr<RegNode> key;  // RegistryKey
        std::string library;           // Library
        std::uint64_t threadId = 0;    // StartThread
    };
    // A start thread of the companion library.
    struct StartThread {
        std::uint64_t id = 0;
        SimPlatform* platform = nullptr;
        std::string service;
        std::string computer;
        ScManagerHandle manager;
        ServiceHandle handle;
        std::uint64_t startedAt = 0;
        std::uint64_t pollGeneration = 0;
        bool ended = false;
        std::uint32_t exitCode = kStillActive;
        int openHandles = 0;  // thread handles the program holds
    };
    enum class EventKind { ServiceTimer, ThreadPoll, JobDeadline };
    struct Event {
        std::uint64_t time = 0;
        std::uint64_t sequence = 0;
        EventKind kind = EventKind::ServiceTimer;
        SimComputer* computer = nullptr;
        std::uint64_t id = 0;
        std::uint64_t generation = 0;
        bool operator>(const Event& other) const {
            return time != other.time ? time > other.time : sequence > other.sequence;
        }
    };

    // Calls.
    void Settle() { RunUntil(now_); }
    void RunUntil(std::uint64_t time);
    // Runs the next event if there is one; false when none is left.
    bool RunNextEvent();
    void PumpAllJobs();
    void Push(Event event);
    void Dispatch(const Event& event);
    [[nodiscard]] std::uint32_t LatencyFor(std::string_view operation, std::string_view argument,
                                           std::string_view computer) const;
    std::optional<ErrorCode> TakeFault(std::string_view operation, std::string_view argument,
                                       std::string_view computer);
    void Log(CallRecord record);

    // Handles.
    std::uintptr_t AddHandle(HandleEntry entry);
    [[nodiscard]] HandleEntry* FindHandle(std::uintptr_t value, HandleKind kind);
    // Removes the entry and returns it; nullopt when there is none of that kind.
    std::optional<HandleEntry> TakeHandle(std::uintptr_t value, HandleKind kind);

    // Start threads.
    StartThread& NewThread();
    StartThread* FindThread(std::uint64_t id);
    void OnJobDone(std::uint64_t threadId, ErrorCode result);
    void PollThread(StartThread& thread);
    void EndThread(StartThread& thread, std::uint32_t exitCode);
    void DropThreadIfUnused(std::uint64_t id);

    std::uint64_t now_ = 0;
    std::uint64_t nextSequence_ = 0;
    std::uint64_t nextId_ = 1;
    std::uintptr_t nextHandle_ = 0x100;
    std::priority_queue<Event, std::vector<Event>, std::greater<Event>> events_;
    int onThread_ = 0;      // > 0 while a start thread makes its calls
    bool running_ = false;  // inside RunUntil: nested settling is a no-op

    std::map<std::string, std::unique_ptr<SimComputer>, CaseLess> computers_;
    std::string localName_;
    std::map<std::string, std::unique_ptr<SimPlatform>, CaseLess> platforms_;

    std::map<std::uintptr_t, HandleEntry> handles_;
    std::map<std::uint64_t, std::unique_ptr<StartThread>> threads_;

    std::vector<Fault> faults_;
    std::vector<Latency> latencies_;
    bool logEnabled_ = true;
    std::vector<CallRecord> log_;
    bool startLibraryMissing_ = false;
};

}  // namespace vtl::sim
