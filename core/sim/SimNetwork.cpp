#include "core/sim/SimNetwork.h"

#include <algorithm>
#include <stdexcept>

#include "core/sim/SimPlatform.h"

namespace vtl::sim {

SimNetwork::SimNetwork() = default;

SimNetwork::~SimNetwork() {
    // Threads die with the network without closing into it.
    for (auto& [id, thread] : threads_) {
        (void)thread->manager.release();
        (void)thread->handle.release();
    }
    threads_.clear();
}

// --- Computers -----------------------------------------------------------------

SimComputer& SimNetwork::AddComputer(std::string_view name) {
    const std::string_view plain = StripUncPrefix(name);
    auto it = computers_.find(plain);
    if (it == computers_.end()) {
        it = computers_
                 .emplace(std::string(plain), std::make_unique<SimComputer>(*this, Upper(plain)))
                 .first;
        if (localName_.empty()) localName_ = it->second->Name();
    }
    return *it->second;
}

SimComputer* SimNetwork::FindComputer(std::string_view name) {
    const std::string_view plain = StripUncPrefix(name);
    auto it = computers_.find(plain);
    return it == computers_.end() ? nullptr : it->second.get();
}

SimComputer& SimNetwork::Computer(std::string_view name) {
    SimComputer* computer = FindComputer(name);
    if (computer == nullptr) throw std::out_of_range("no simulated computer " + std::string(name));
    return *computer;
}

void SimNetwork::SetLocalComputer(std::string_view name) {
    localName_ = Computer(name).Name();
}

SimComputer& SimNetwork::LocalComputer() {
    if (localName_.empty()) throw std::out_of_range("the simulated network has no computer");
    return Computer(localName_);
}

std::vector<std::string> SimNetwork::ComputerNames() const {
    std::vector<std::string> names;
    for (const auto& [key, computer] : computers_)
        names.push_back(computer->Name());
    return names;
}

Platform& SimNetwork::PlatformFor(std::string_view computer) {
    SimComputer& target = Computer(computer);
    auto it = platforms_.find(target.Name());
    if (it == platforms_.end())
        it = platforms_.emplace(target.Name(), std::make_unique<SimPlatform>(*this, target)).first;
    return *it->second;
}

// --- Clock and events ------------------------------------------------------------

void SimNetwork::Advance(std::uint64_t milliseconds) {
    RunUntil(now_ + milliseconds);
}

void SimNetwork::Push(Event event) {
    event.sequence = nextSequence_++;
    events_.push(event);
}

namespace {
// Clears a flag when the scope ends.
class FlagScope {
  public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

  private:
    bool& flag_;
};
}  // namespace

void SimNetwork::PumpAllJobs() {
    for (auto& [name, computer] : computers_)
        if (computer->HasActiveJobs()) computer->PumpJobs();
}

void SimNetwork::RunUntil(std::uint64_t time) {
    if (running_) return;
    FlagScope scope(running_);
    while (true) {
        PumpAllJobs();
        if (events_.empty() || events_.top().time > time) break;
        const Event event = events_.top();
        events_.pop();
        if (event.time > now_) now_ = event.time;
        Dispatch(event);
    }
    if (time > now_) now_ = time;
}

bool SimNetwork::RunNextEvent() {
    if (running_) return false;
    FlagScope scope(running_);
    PumpAllJobs();
    if (events_.empty()) return false;
    const Event event = events_.top();
    events_.pop();
    if (event.time > now_) now_ = event.time;
    Dispatch(event);
    PumpAllJobs();
    return true;
}

void SimNetwork::Dispatch(const Event& event) {
    switch (event.kind) {
        case EventKind::ServiceTimer:
            event.computer->OnTimer(event.id, event.generation);
            break;
        case EventKind::ThreadPoll: {
            StartThread* thread = FindThread(event.id);
            if (thread != nullptr && !thread->ended && thread->pollGeneration == event.generation)
                PollThread(*thread);
            break;
        }
        case EventKind::JobDeadline:
            break;  // the jobs are pumped after every event
    }
}

// --- Faults, latency, log ---------------------------------------------------------

namespace {
bool Matches(std::string_view target, std::string_view argument, std::string_view computer) {
    return target.empty() || IEquals(target, argument) || IEquals(target, computer);
}
}  // namespace

void SimNetwork::FailCall(std::string_view operation, std::uint32_t nth, ErrorCode code,
                          std::string_view target) {
    faults_.push_back(Fault{std::string(operation), std::string(StripUncPrefix(target)),
                            nth == 0 ? 1 : nth, 0, code, false});
}

void SimNetwork::FailAlways(std::string_view operation, ErrorCode code, std::string_view target) {
    faults_.push_back(
        Fault{std::string(operation), std::string(StripUncPrefix(target)), 0, 0, code, false});
}

void SimNetwork::ClearFaults() {
    faults_.clear();
}

const std::vector<std::string_view>& SimNetwork::FaultableOperations() {
    static const std::vector<std::string_view> operations = {
        "OpenSCManager",
        "OpenService",
        "EnumServicesStatus",
        "EnumDependentServices",
        "QueryServiceConfig",
        "QueryServiceDescription",
        "QueryServiceStatus",
        "ChangeServiceConfig",
        "ChangeServiceDescription",
        "StartService",
        "ControlService",
        "CreateService",
        "DeleteService",
        "RegConnectRegistry",
        "RegOpenKeyEx",
        "RegCreateKeyEx",
        "RegQueryValueEx",
        "RegSetValueEx",
        "RegDeleteValue",
        "RegDeleteTree",
        "GetComputerName",
        "LookupAccountName",
        "GetLogicalDriveStrings",
        "GetDriveType",
        "NetShareEnum",
        "CopyFile",
        "WriteFile",
        "FileExists",
        "CreateDirectory",
        "EncodeText",
        "FormatMessage",
        "LoadLibrary",
        "HasProcAddress",
        "VTLStartService",
        "GetExitCodeThread",
        "fnLogRight",
    };
    return operations;
}

std::optional<ErrorCode> SimNetwork::TakeFault(std::string_view operation,
                                               std::string_view argument,
                                               std::string_view computer) {
    std::optional<ErrorCode> result;
    for (auto& fault : faults_) {
        if (fault.spent || fault.operation != operation ||
            !Matches(fault.target, argument, computer))
            continue;
        if (fault.nth == 0) {
            if (!result) result = fault.code;
            continue;
        }
        if (++fault.seen == fault.nth) {
            fault.spent = true;
            if (!result) result = fault.code;
        }
    }
    return result;
}

void SimNetwork::SetLatency(std::string_view operation, std::uint32_t milliseconds,
                            std::string_view target) {
    latencies_.push_back(
        Latency{std::string(operation), std::string(StripUncPrefix(target)), milliseconds});
}

void SimNetwork::ClearLatency() {
    latencies_.clear();
}

std::uint32_t SimNetwork::LatencyFor(std::string_view operation, std::string_view argument,
                                     std::string_view computer) const {
    std::uint32_t total = 0;
    for (const auto& latency : latencies_)
        if ((latency.operation == "*" || latency.operation == operation) &&
            Matches(latency.target, argument, computer))
            total += latency.ms;
    return total;
}

void SimNetwork::Log(CallRecord record) {
    if (logEnabled_) log_.push_back(std::move(record));
}

std::size_t SimNetwork::CountCalls(std::string_view operation,
                                   std::optional<std::string_view> argument) const {
    return static_cast<std::size_t>(
        std::count_if(log_.begin(), log_.end(), [&](const CallRecord& record) {
            return record.operation == operation &&
                   (!argument || IEquals(record.argument, *argument));
        }));
}

// --- Handles -------------------------------------------------------------------------

std::uintptr_t SimNetwork::AddHandle(HandleEntry entry) {
    const std::uintptr_t value = nextHandle_;
    nextHandle_ += 4;
    if (entry.kind == HandleKind::Service && entry.computer != nullptr)
        if (SimService* service = entry.computer->Find(entry.serviceName)) ++service->openHandles;
    handles_.emplace(value, std::move(entry));
    return value;
}

SimNetwork::HandleEntry* SimNetwork::FindHandle(std::uintptr_t value, HandleKind kind) {
    auto it = handles_.find(value);
    if (it == handles_.end() || it->second.kind != kind) return nullptr;
    return &it->second;
}

std::optional<SimNetwork::HandleEntry> SimNetwork::TakeHandle(std::uintptr_t value,
                                                              HandleKind kind) {
    auto it = handles_.find(value);
    if (it == handles_.end() || it->second.kind != kind) return std::nullopt;
    HandleEntry entry = std::move(it->second);
    handles_.erase(it);
    if (entry.kind == HandleKind::Service && entry.computer != nullptr)
        if (SimService* service = entry.computer->Find(entry.serviceName)) {
            --service->openHandles;
            entry.computer->EraseIfGone(*service);
        }
    return entry;
}

std::size_t SimNetwork::OpenHandleCount(HandleKind kind) const {
    return static_cast<std::size_t>(
        std::count_if(handles_.begin(), handles_.end(),
                      [&](const auto& item) { return item.second.kind == kind; }));
}

// --- Start threads -------------------------------------------------------------------

SimNetwork::StartThread& SimNetwork::NewThread() {
    auto thread = std::make_unique<StartThread>();
    thread->id = nextId_++;
    thread->startedAt = now_;
    auto& ref = *thread;
    threads_.emplace(ref.id, std::move(thread));
    return ref;
}

SimNetwork::StartThread* SimNetwork::FindThread(std::uint64_t id) {
    auto it = threads_.find(id);
    return it == threads_.end() ? nullptr : it->second.get();
}

std::size_t SimNetwork::RunningStartThreads() const {
    return static_cast<std::size_t>(std::count_if(
        threads_.begin(), threads_.end(), [](const auto& item) { return !item.second->ended; }));
}

void SimNetwork::OnJobDone(std::uint64_t threadId, ErrorCode result) {
    StartThread* thread = FindThread(threadId);
    if (thread == nullptr || thread->ended) return;
    if (result != kErrorSuccess) {
        EndThread(*thread, result);
        DropThreadIfUnused(threadId);
        return;
    }
    // The service's start has begun: the thread looks at it at once.
    Event event;
    event.time = now_;
    event.kind = EventKind::ThreadPoll;
    event.id = threadId;
    event.generation = ++thread->pollGeneration;
    Push(event);
}

void SimNetwork::PollThread(StartThread& thread) {
    ServiceStatus status;
    ErrorCode error;
    ++onThread_;
    error = thread.platform->QueryServiceStatus(thread.handle, status);
    --onThread_;
    const std::uint64_t bound = thread.startedAt + kStartThreadBoundMs;
    const std::uint64_t id = thread.id;
    if (error != kErrorSuccess) {
        EndThread(thread, error);
    } else if (status.currentState != kServiceStartPending) {
        EndThread(thread, kErrorSuccess);
    } else if (now_ >= bound) {
        EndThread(thread, kErrorIoPending);
    } else {
        // As the documented start loop: a tenth of the wait hint, 1 to 10 s.
        const std::uint64_t interval = std::clamp<std::uint64_t>(status.waitHint / 10, 1000, 10000);
        Event event;
        event.time = std::min(now_ + interval, bound);
        event.kind = EventKind::ThreadPoll;
        event.id = thread.id;
        event.generation = ++thread.pollGeneration;
        Push(event);
        return;
    }
    DropThreadIfUnused(id);
}

void SimNetwork::EndThread(StartThread& thread, std::uint32_t exitCode) {
    thread.ended = true;
    thread.exitCode = exitCode;
    ++onThread_;
    thread.handle.reset();
    thread.manager.reset();
    --onThread_;
}

void SimNetwork::DropThreadIfUnused(std::uint64_t id) {
    auto it = threads_.find(id);
    if (it != threads_.end() && it->second->ended && it->second->openHandles == 0)
        threads_.erase(it);
}

}  // namespace vtl::sim
