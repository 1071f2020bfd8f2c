#include "core/sim/SimComputer.h"

#include <algorithm>
#include <charconv>

#include "core/RegistryNames.h"
#include "core/sim/SimNetwork.h"

namespace vtl::sim {

namespace {

bool IsActive(std::uint32_t state) {
    return state == kServiceRunning || state == kServicePaused || state == kServicePausePending ||
           state == kServiceContinuePending;
}

bool IsTestServicePath(std::string_view path) {
    std::string upper = Upper(path);
    return upper.find(Upper(testsvc::kTestServiceExe)) != std::string::npos;
}

}  // namespace

ServiceBehaviour ServiceBehaviour::FromTestOptions(const testsvc::TestServiceOptions& options) {
    ServiceBehaviour behaviour;
    behaviour.startPendingMs = options.startMs;
    behaviour.stopPendingMs = options.stopMs;
    behaviour.pausePendingMs = 0;
    behaviour.continuePendingMs = 0;
    behaviour.runMs = options.runMs;
    behaviour.failStart = options.failStart;
    behaviour.exitCode = options.exitCode;
    behaviour.specific = options.specific;
    behaviour.hangStart = options.hangStart;
    behaviour.hangStop = options.hangStop;
    behaviour.acceptStop = options.acceptStop;
    behaviour.acceptPause = options.acceptPause;
    behaviour.marker = options.marker;
    return behaviour;
}

SimComputer::SimComputer(SimNetwork& network, std::string name)
    : network_(network), name_(std::move(name)) {}

// --- Services: set-up and inspection ------------------------------------------------

SimService* SimComputer::Find(std::string_view name) {
    auto it = services_.find(name);
    return it == services_.end() ? nullptr : it->second.get();
}

const SimService* SimComputer::Find(std::string_view name) const {
    auto it = services_.find(name);
    return it == services_.end() ? nullptr : it->second.get();
}

SimService* SimComputer::FindById(std::uint64_t id) {
    for (auto& [name, service] : services_)
        if (service->id == id) return service.get();
    return nullptr;
}

bool SimComputer::NameInUse(std::string_view name, const SimService* except) const {
    for (const auto& [key, service] : services_) {
        if (service.get() == except) continue;
        if (IEquals(service->name, name) || IEquals(service->config.displayName, name)) return true;
    }
    return false;
}

ErrorCode SimComputer::AddService(const ServiceDefinition& definition) {
    if (definition.name.empty()) return kErrorInvalidParameter;
    if (Find(definition.name) != nullptr) return kErrorServiceExists;
    const std::string display =
        definition.displayName.empty() ? definition.name : definition.displayName;
    if (NameInUse(display, nullptr) || NameInUse(definition.name, nullptr))
        return kErrorDuplicateServiceName;
    auto service = std::make_unique<SimService>();
    service->id = network_.nextId_++;
    service->name = definition.name;
    service->config.serviceType = definition.serviceType;
    service->config.startType = definition.startType;
    service->config.errorControl = definition.errorControl;
    service->config.binaryPathName = definition.binaryPath;
    service->config.loadOrderGroup = definition.loadOrderGroup;
    service->config.tagId = definition.tagId;
    service->config.dependencies = definition.dependencies;
    service->config.serviceStartName = definition.startName;
    service->config.displayName = display;
    service->description = definition.description;
    service->behaviourOverride = definition.behaviour;
    service->status.serviceType = definition.serviceType;
    service->status.currentState = kServiceStopped;
    SimService& ref = *service;
    services_.emplace(definition.name, std::move(service));
    WriteServiceKey(ref);
    if (definition.state != kServiceStopped) (void)ForceState(ref.name, definition.state);
    return kErrorSuccess;
}

bool SimComputer::HasService(std::string_view name) const {
    return Find(name) != nullptr;
}

std::vector<std::string> SimComputer::ServiceNames() const {
    std::vector<std::string> names;
    names.reserve(services_.size());
    for (const auto& [key, service] : services_)
        names.push_back(service->name);
    return names;
}

std::optional<ServiceStatus> SimComputer::Status(std::string_view name) const {
    const SimService* service = Find(name);
    if (service == nullptr) return std::nullopt;
    return CurrentStatus(*service);
}

std::optional<ServiceConfig> SimComputer::Config(std::string_view name) const {
    const SimService* service = Find(name);
    if (service == nullptr) return std::nullopt;
    return service->config;
}

std::optional<std::string> SimComputer::Description(std::string_view name) const {
    const SimService* service = Find(name);
    if (service == nullptr) return std::nullopt;
    return service->description;
}

std::optional<std::string> SimComputer::Password(std::string_view name) const {
    const SimService* service = Find(name);
    if (service == nullptr) return std::nullopt;
    return service->password;
}

bool SimComputer::IsMarkedForDelete(std::string_view name) const {
    const SimService* service = Find(name);
    return service != nullptr && service->markedForDelete;
}

int SimComputer::OpenHandleCount(std::string_view name) const {
    const SimService* service = Find(name);
    return service == nullptr ? 0 : service->openHandles;
}

std::vector<std::string> SimComputer::LastStartArguments(std::string_view name) const {
    const SimService* service = Find(name);
    return service == nullptr ? std::vector<std::string>{} : service->lastStartArguments;
}

std::uint32_t SimComputer::StartCount(std::string_view name) const {
    const SimService* service = Find(name);
    return service == nullptr ? 0 : service->startCount;
}

bool SimComputer::DenyServiceAccess(std::string_view name, std::uint32_t rights) {
    SimService* service = Find(name);
    if (service == nullptr) return false;
    service->deniedRights = rights;
    return true;
}

bool SimComputer::SetBehaviour(std::string_view name, const ServiceBehaviour& behaviour) {
    SimService* service = Find(name);
    if (service == nullptr) return false;
    service->behaviourOverride = behaviour;
    service->active = behaviour;
    return true;
}

bool SimComputer::ClearBehaviour(std::string_view name) {
    SimService* service = Find(name);
    if (service == nullptr) return false;
    service->behaviourOverride.reset();
    return true;
}

std::optional<ServiceBehaviour> SimComputer::EffectiveBehaviour(std::string_view name) const {
    const SimService* service = Find(name);
    if (service == nullptr) return std::nullopt;
    return ResolveBehaviour(*service);
}

ServiceBehaviour SimComputer::ResolveBehaviour(const SimService& service) const {
    if (service.behaviourOverride) return *service.behaviourOverride;
    const std::string& path = service.config.binaryPathName;
    if (IsTestServicePath(path)) {
        if (auto options = testsvc::ParseTestServiceCommandLine(path))
            return ServiceBehaviour::FromTestOptions(*options);
        // The test service refuses options it does not know: a start that
        // begins, then fails with 87.
        ServiceBehaviour refused;
        refused.startPendingMs = testsvc::kBadOptionsPendingMs;
        refused.failStart = true;
        refused.exitCode = testsvc::kBadOptionsExitCode;
        return refused;
    }
    return defaultBehaviour_;
}

ErrorCode SimComputer::ForceState(std::string_view name, std::uint32_t state) {
    SimService* service = Find(name);
    if (service == nullptr) return kErrorServiceDoesNotExist;
    switch (state) {
        case kServiceStopped:
            EnterStopped(*service, 0, 0);  // may erase a marked service
            return kErrorSuccess;
        case kServiceRunning:
            service->active = ResolveBehaviour(*service);
            EnterRunning(*service);
            return kErrorSuccess;
        case kServicePaused:
            service->active = ResolveBehaviour(*service);
            EnterRunning(*service);
            service->status.currentState = kServicePaused;
            Schedule(*service, std::nullopt);
            return kErrorSuccess;
        default:
            return kErrorInvalidParameter;
    }
}

ErrorCode SimComputer::RemoveService(std::string_view name) {
    SimService* service = Find(name);
    if (service == nullptr) return kErrorServiceDoesNotExist;
    if (service->markedForDelete) return kErrorServiceMarkedForDelete;
    service->markedForDelete = true;
    WriteServiceKey(*service);
    EraseIfGone(*service);
    return kErrorSuccess;
}

void SimComputer::WriteServiceKey(const SimService& service) {
    const auto key = SimRegistry::Create(registry_.Root(), ServiceKeyPath(service.name));
    auto set = [&](std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data) {
        auto it = key->values.find(name);
        if (it == key->values.end())
            it = key->values.emplace(std::string(name), RegistryValue{std::string(name), 0, {}})
                     .first;
        it->second.type = type;
        it->second.data = std::move(data);
    };
    auto drop = [&](std::string_view name) { key->values.erase(std::string(name)); };
    const ServiceConfig& config = service.config;
    set("Type", kRegDword, DwordData(config.serviceType));
    set("Start", kRegDword, DwordData(config.startType));
    set("ErrorControl", kRegDword, DwordData(config.errorControl));
    set("ImagePath", kRegExpandSz, StringData(config.binaryPathName));
    set("DisplayName", kRegSz, StringData(config.displayName));
    if (config.serviceType & kServiceWin32)
        set("ObjectName", kRegSz, StringData(config.serviceStartName));
    else
        drop("ObjectName");
    if (config.loadOrderGroup.empty())
        drop("Group");
    else
        set("Group", kRegSz, StringData(config.loadOrderGroup));
    if (config.tagId == 0)
        drop("Tag");
    else
        set("Tag", kRegDword, DwordData(config.tagId));
    std::vector<std::string> onService;
    std::vector<std::string> onGroup;
    for (const auto& dependency : config.dependencies) {
        if (!dependency.empty() && dependency.front() == '+')
            onGroup.push_back(dependency.substr(1));
        else
            onService.push_back(dependency);
    }
    if (onService.empty())
        drop("DependOnService");
    else
        set("DependOnService", kRegMultiSz, MultiStringData(onService));
    if (onGroup.empty())
        drop("DependOnGroup");
    else
        set("DependOnGroup", kRegMultiSz, MultiStringData(onGroup));
    if (service.description.empty())
        drop("Description");
    else
        set("Description", kRegSz, StringData(service.description));
    if (service.markedForDelete)
        set("DeleteFlag", kRegDword, DwordData(1));
    else
        drop("DeleteFlag");
}

void SimComputer::Erase(SimService& service) {
    registry_.DeleteKeyAt(ServiceKeyPath(service.name));
    ++service.timerGeneration;  // stale timers find nothing
    services_.erase(service.name);
}

void SimComputer::EraseIfGone(SimService& service) {
    if (service.markedForDelete && service.openHandles == 0 &&
        service.status.currentState == kServiceStopped)
        Erase(service);
}

// --- State machine --------------------------------------------------------------------

void SimComputer::Schedule(SimService& service, std::optional<std::uint64_t> at) {
    ++service.timerGeneration;
    service.dueAt = at;
    if (!at) return;
    SimNetwork::Event event;
    event.time = *at;
    event.kind = SimNetwork::EventKind::ServiceTimer;
    event.computer = this;
    event.id = service.id;
    event.generation = service.timerGeneration;
    network_.Push(event);
}

ServiceStatus SimComputer::CurrentStatus(const SimService& service) const {
    ServiceStatus status = service.status;
    const std::uint32_t state = status.currentState;
    const bool pending = state == kServiceStartPending || state == kServiceStopPending ||
                         state == kServicePausePending || state == kServiceContinuePending;
    if (pending && service.dueAt) {
        // A service that makes progress reports a new check point every second.
        status.checkPoint =
            1 + static_cast<std::uint32_t>((network_.Now() - service.pendingSince) / 1000);
    }
    return status;
}

void SimComputer::BeginStart(SimService& service, const std::vector<std::string>& arguments) {
    service.active = ResolveBehaviour(service);
    service.lastStartArguments = arguments;
    ++service.startCount;
    service.pendingSince = network_.Now();
    service.status = ServiceStatus{service.config.serviceType, kServiceStartPending, 0, 0, 0, 1,
                                   service.active.waitHintMs};
    if (service.active.noDispatcher)
        Schedule(service, network_.Now() + kServiceStartTimeoutMs);
    else if (service.active.hangStart)
        Schedule(service, std::nullopt);
    else
        Schedule(service, network_.Now() + service.active.startPendingMs);
}

void SimComputer::EnterRunning(SimService& service) {
    ServiceStatus& status = service.status;
    status.serviceType = service.config.serviceType;
    status.currentState = kServiceRunning;
    status.controlsAccepted = (service.active.acceptStop ? kServiceAcceptStop : 0) |
                              (service.active.acceptPause ? kServiceAcceptPauseContinue : 0);
    status.win32ExitCode = 0;
    status.serviceSpecificExitCode = 0;
    status.checkPoint = 0;
    status.waitHint = 0;
    if (service.active.runMs)
        Schedule(service, network_.Now() + *service.active.runMs);
    else
        Schedule(service, std::nullopt);
}

void SimComputer::EnterStopped(SimService& service, std::uint32_t win32ExitCode,
                               std::uint32_t specificCode) {
    service.status = ServiceStatus{
        service.config.serviceType, kServiceStopped, 0, win32ExitCode, specificCode, 0, 0};
    Schedule(service, std::nullopt);
    EraseIfGone(service);
}

void SimComputer::BeginStop(SimService& service) {
    service.pendingSince = network_.Now();
    service.status.currentState = kServiceStopPending;
    service.status.controlsAccepted = 0;
    service.status.checkPoint = 1;
    service.status.waitHint = service.active.waitHintMs;
    if (service.active.hangStop)
        Schedule(service, std::nullopt);
    else
        Schedule(service, network_.Now() + service.active.stopPendingMs);
}

void SimComputer::BeginPause(SimService& service) {
    service.pendingSince = network_.Now();
    service.status.currentState = kServicePausePending;
    service.status.checkPoint = 1;
    service.status.waitHint = service.active.waitHintMs;
    Schedule(service, network_.Now() + service.active.pausePendingMs);
}

void SimComputer::BeginContinue(SimService& service) {
    service.pendingSince = network_.Now();
    service.status.currentState = kServiceContinuePending;
    service.status.checkPoint = 1;
    service.status.waitHint = service.active.waitHintMs;
    Schedule(service, network_.Now() + service.active.continuePendingMs);
}

void SimComputer::WriteMarker(const SimService& service) {
    // As the test service does: "RUNNING", then the start's arguments, one a
    // line; nothing when the folder does not exist.
    const std::string path = NormalizePath(service.active.marker);
    if (path.empty() || !DirExistsNormalized(ParentOf(path))) return;
    std::string text = "RUNNING\r\n";
    for (const auto& argument : service.lastStartArguments)
        text += argument + "\r\n";
    files_[path] = std::move(text);
}

void SimComputer::OnTimer(std::uint64_t serviceId, std::uint64_t generation) {
    SimService* found = FindById(serviceId);
    if (found == nullptr || found->timerGeneration != generation || !found->dueAt) return;
    SimService& service = *found;
    service.dueAt.reset();
    const ServiceBehaviour& behaviour = service.active;
    switch (service.status.currentState) {
        case kServiceStartPending:
            if (behaviour.noDispatcher) {
                EnterStopped(service, kErrorServiceRequestTimeout, 0);
            } else if (behaviour.failStart) {
                EnterStopped(service, behaviour.Win32ExitCode(), behaviour.specific.value_or(0));
            } else {
                EnterRunning(service);
                WriteMarker(service);
            }
            break;
        case kServiceRunning:
            // Stops by itself: straight to STOPPED with its exit codes; the
            // stop pending time belongs to a stop that was asked for.
            EnterStopped(service, behaviour.Win32ExitCode(), behaviour.specific.value_or(0));
            break;
        case kServiceStopPending:
            EnterStopped(service, 0, 0);
            break;
        case kServicePausePending:
            service.status.currentState = kServicePaused;
            service.status.checkPoint = 0;
            service.status.waitHint = 0;
            break;
        case kServiceContinuePending:
            EnterRunning(service);
            break;
        default:
            break;
    }
}

// --- Starts with dependencies ---------------------------------------------------------

ErrorCode SimComputer::PlanDependencies(const SimService& service, std::vector<PlanItem>& plan,
                                        std::set<std::string, CaseLess>& visiting,
                                        std::set<std::string, CaseLess>& planned) {
    visiting.insert(service.name);
    for (const auto& dependency : service.config.dependencies) {
        if (!dependency.empty() && dependency.front() == '+') {
            const std::string group = dependency.substr(1);
            bool anyActive = false;
            std::vector<const SimService*> members;
            for (const auto& [key, member] : services_) {
                if (member.get() == &service || !IEquals(member->config.loadOrderGroup, group))
                    continue;
                members.push_back(member.get());
                if (IsActive(member->status.currentState)) anyActive = true;
            }
            if (!anyActive) {
                // Every member that can start is started; one running is enough.
                for (const SimService* member : members) {
                    if (member->markedForDelete || planned.count(member->name) != 0 ||
                        visiting.count(member->name) != 0)
                        continue;
                    if (member->status.currentState == kServiceStopped) {
                        if (member->config.startType == kServiceDisabled) continue;
                        std::vector<PlanItem> sub;
                        if (PlanDependencies(*member, sub, visiting, planned) != kErrorSuccess)
                            continue;
                        plan.insert(plan.end(), sub.begin(), sub.end());
                    }
                    plan.push_back(PlanItem{member->name, false, false, 0});
                    planned.insert(member->name);
                }
                plan.push_back(PlanItem{group, true, false, 0});
            }
            continue;
        }
        const SimService* required = Find(dependency);
        if (required == nullptr || required->markedForDelete) return kErrorServiceDependencyDeleted;
        if (visiting.count(required->name) != 0) return kErrorCircularDependency;
        if (planned.count(required->name) != 0) continue;
        const std::uint32_t state = required->status.currentState;
        if (IsActive(state)) continue;
        if (state == kServiceStopped) {
            if (required->config.startType == kServiceDisabled) return kErrorServiceDependencyFail;
            const ErrorCode error = PlanDependencies(*required, plan, visiting, planned);
            if (error == kErrorCircularDependency) return error;
            if (error != kErrorSuccess) return kErrorServiceDependencyFail;
        }
        plan.push_back(PlanItem{required->name, false, false, 0});
        planned.insert(required->name);
    }
    visiting.erase(service.name);
    return kErrorSuccess;
}

ErrorCode SimComputer::CreateStartJob(SimService& service, std::vector<std::string> arguments,
                                      std::uint64_t threadId, std::uint64_t& jobId) {
    if (service.markedForDelete) return kErrorServiceMarkedForDelete;
    if (service.config.startType == kServiceDisabled) return kErrorServiceDisabled;
    if (service.status.currentState != kServiceStopped) return kErrorServiceAlreadyRunning;
    StartJob job;
    std::set<std::string, CaseLess> visiting;
    std::set<std::string, CaseLess> planned;
    const ErrorCode error = PlanDependencies(service, job.plan, visiting, planned);
    if (error != kErrorSuccess) return error;
    job.id = network_.nextId_++;
    job.target = service.name;
    job.arguments = std::move(arguments);
    job.threadId = threadId;
    jobId = job.id;
    jobs_.emplace(job.id, std::move(job));
    return kErrorSuccess;
}

bool SimComputer::HasActiveJobs() const {
    return std::any_of(jobs_.begin(), jobs_.end(),
                       [](const auto& item) { return !item.second.done; });
}

const SimComputer::StartJob* SimComputer::Job(std::uint64_t id) const {
    auto it = jobs_.find(id);
    return it == jobs_.end() ? nullptr : &it->second;
}

void SimComputer::ForgetJob(std::uint64_t id) {
    jobs_.erase(id);
}

void SimComputer::PumpJobs() {
    std::vector<std::uint64_t> finished;
    for (auto& [id, job] : jobs_) {
        if (job.done) continue;
        PumpJob(job);
        if (job.done && job.threadId != 0) finished.push_back(id);
    }
    for (std::uint64_t id : finished) {
        auto it = jobs_.find(id);
        if (it == jobs_.end()) continue;
        const std::uint64_t threadId = it->second.threadId;
        const ErrorCode result = it->second.result;
        jobs_.erase(it);
        network_.OnJobDone(threadId, result);
    }
}

void SimComputer::PumpJob(StartJob& job) {
    auto finish = [&](ErrorCode result) {
        job.done = true;
        job.result = result;
    };
    const std::uint64_t now = network_.Now();
    while (!job.done) {
        if (job.next < job.plan.size()) {
            PlanItem& item = job.plan[job.next];
            if (item.group) {
                const bool anyActive =
                    std::any_of(services_.begin(), services_.end(), [&](const auto& entry) {
                        return IEquals(entry.second->config.loadOrderGroup, item.name) &&
                               !IEquals(entry.second->name, job.target) &&
                               IsActive(entry.second->status.currentState);
                    });
                if (!anyActive) return finish(kErrorServiceDependencyFail);
                ++job.next;
                continue;
            }
            SimService* dependency = Find(item.name);
            if (dependency == nullptr || dependency->markedForDelete)
                return finish(kErrorServiceDependencyFail);
            if (!item.started) {
                item.started = true;
                item.deadline = now + kServiceStartTimeoutMs;
                SimNetwork::Event event;
                event.time = item.deadline;
                event.kind = SimNetwork::EventKind::JobDeadline;
                event.computer = this;
                event.id = job.id;
                network_.Push(event);
                if (dependency->status.currentState == kServiceStopped) {
                    if (dependency->config.startType == kServiceDisabled)
                        return finish(kErrorServiceDependencyFail);
                    BeginStart(*dependency, {});
                }
            }
            const std::uint32_t state = dependency->status.currentState;
            if (state == kServiceStartPending || state == kServiceStopPending) {
                if (now >= item.deadline) return finish(kErrorServiceDependencyFail);
                return;  // waits
            }
            if (!IsActive(state)) return finish(kErrorServiceDependencyFail);
            ++job.next;
            continue;
        }
        SimService* target = Find(job.target);
        if (target == nullptr) return finish(kErrorServiceDoesNotExist);
        if (!job.targetStarted) {
            if (target->markedForDelete) return finish(kErrorServiceMarkedForDelete);
            if (target->config.startType == kServiceDisabled) return finish(kErrorServiceDisabled);
            if (target->status.currentState != kServiceStopped)
                return finish(kErrorServiceAlreadyRunning);
            BeginStart(*target, job.arguments);
            job.targetStarted = true;
            if (!target->active.noDispatcher) return finish(kErrorSuccess);
        }
        // A program that never connects: the start fails when the wait ends.
        if (target->status.currentState == kServiceStartPending) return;
        return finish(kErrorServiceRequestTimeout);
    }
}

std::vector<const SimService*> SimComputer::Dependents(const SimService& service) const {
    std::vector<const SimService*> order;
    std::set<std::string, CaseLess> seen;
    seen.insert(service.name);
    // Depth first: a service's own dependents come before it.
    auto visit = [&](auto&& self, const SimService& of) -> void {
        for (const auto& [key, candidate] : services_) {
            if (seen.count(candidate->name) != 0) continue;
            const auto& deps = candidate->config.dependencies;
            const bool depends = std::any_of(deps.begin(), deps.end(), [&](const std::string& d) {
                return IEquals(d, of.name);
            });
            if (!depends) continue;
            seen.insert(candidate->name);
            self(self, *candidate);
            order.push_back(candidate.get());
        }
    };
    visit(visit, service);
    return order;
}

// --- Registry helpers -------------------------------------------------------------------

void SimComputer::SetRegistryString(std::string_view path, std::string_view name,
                                    std::string_view text) {
    registry_.SetValue(path, name, kRegSz, StringData(text));
}

void SimComputer::SetRegistryDword(std::string_view path, std::string_view name,
                                   std::uint32_t value) {
    registry_.SetValue(path, name, kRegDword, DwordData(value));
}

// --- Drives, shares, files ---------------------------------------------------------------

void SimComputer::AddDrive(char letter, std::uint32_t driveType) {
    drives_[Upper(std::string(1, letter))[0]] = driveType;
}

void SimComputer::AddShare(std::string name, std::uint32_t type, std::string path,
                           std::string remark) {
    shares_.push_back(Share{std::move(name), type, std::move(path), std::move(remark)});
}

void SimComputer::AddAdministrativeShares() {
    if (FindShare("ADMIN$") == nullptr)
        AddShare("ADMIN$", kStypeDiskTree | kStypeSpecial, "C:\\Windows", "Remote Admin");
    for (const auto& [letter, type] : drives_) {
        if (type != kDriveFixed) continue;
        const std::string name = std::string(1, letter) + "$";
        if (FindShare(name) == nullptr)
            AddShare(name, kStypeDiskTree | kStypeSpecial, std::string(1, letter) + ":\\",
                     "Default share");
    }
    if (FindShare("IPC$") == nullptr) AddShare("IPC$", kStypeIpc | kStypeSpecial, "", "Remote IPC");
}

const SimComputer::Share* SimComputer::FindShare(std::string_view name) const {
    for (const auto& share : shares_)
        if (IEquals(share.name, name)) return &share;
    return nullptr;
}

std::string SimComputer::NormalizePath(std::string_view path) {
    std::string text(path);
    std::replace(text.begin(), text.end(), '/', '\\');
    std::vector<std::string> pieces;
    for (auto& piece : SplitNonEmpty(text, '\\')) {
        if (piece == ".") continue;
        if (piece == "..") {
            if (pieces.size() > 1) pieces.pop_back();
            continue;
        }
        pieces.push_back(std::move(piece));
    }
    if (pieces.empty()) return {};
    std::string& drive = pieces.front();
    if (drive.size() != 2 || drive[1] != ':' ||
        !((drive[0] >= 'A' && drive[0] <= 'Z') || (drive[0] >= 'a' && drive[0] <= 'z')))
        return {};
    drive = Upper(drive);
    std::string out;
    for (const auto& piece : pieces) {
        if (!out.empty()) out += '\\';
        out += piece;
    }
    return out;
}

std::string SimComputer::ParentOf(const std::string& normalized) {
    const auto slash = normalized.rfind('\\');
    return slash == std::string::npos ? std::string() : normalized.substr(0, slash);
}

bool SimComputer::DirExistsNormalized(const std::string& normalized) const {
    if (normalized.size() == 2 && normalized[1] == ':') return drives_.count(normalized[0]) != 0;
    return directories_.count(normalized) != 0;
}

void SimComputer::PutDirectory(std::string_view path) {
    std::string normalized = NormalizePath(path);
    if (normalized.empty()) return;
    if (drives_.count(normalized[0]) == 0) AddDrive(normalized[0], kDriveFixed);
    while (normalized.size() > 2) {
        directories_.insert(normalized);
        normalized = ParentOf(normalized);
    }
}

void SimComputer::PutFile(std::string_view path, std::string_view content) {
    const std::string normalized = NormalizePath(path);
    if (normalized.empty() || normalized.size() <= 2) return;
    PutDirectory(ParentOf(normalized));
    files_[normalized] = std::string(content);
}

std::optional<std::string> SimComputer::FileContent(std::string_view path) const {
    auto it = files_.find(NormalizePath(path));
    if (it == files_.end()) return std::nullopt;
    return it->second;
}

bool SimComputer::DirectoryExists(std::string_view path) const {
    const std::string normalized = NormalizePath(path);
    return !normalized.empty() && DirExistsNormalized(normalized);
}

std::vector<std::string> SimComputer::FilesIn(std::string_view folder) const {
    const std::string normalized = NormalizePath(folder);
    std::vector<std::string> names;
    for (const auto& [path, content] : files_)
        if (IEquals(ParentOf(path), normalized))
            names.push_back(path.substr(normalized.size() + 1));
    return names;
}

void SimComputer::SetApplicationFolder(std::string folder) {
    while (folder.size() > 3 && folder.back() == '\\')
        folder.pop_back();
    PutDirectory(folder);
    applicationFolder_ = std::move(folder);
}

// --- Accounts ------------------------------------------------------------------------------

void SimComputer::AddAccount(std::string domain, std::string name, std::string_view sid,
                             std::uint32_t use) {
    accounts_.push_back(Account{std::move(domain), std::move(name), SidFromString(sid), use});
}

const SimComputer::Account* SimComputer::FindAccount(std::string_view domain,
                                                     std::string_view name) const {
    for (const auto& account : accounts_)
        if (IEquals(account.name, name) && (domain.empty() || IEquals(account.domain, domain)))
            return &account;
    return nullptr;
}

std::vector<std::uint8_t> SidFromString(std::string_view text) {
    // S-R-I-S-S...
    if (!IStartsWith(text, "S-")) return {};
    std::vector<std::uint64_t> numbers;
    for (const auto& piece : SplitNonEmpty(text.substr(2), '-')) {
        std::uint64_t value = 0;
        auto [ptr, ec] = std::from_chars(piece.data(), piece.data() + piece.size(), value);
        if (ec != std::errc{} || ptr != piece.data() + piece.size()) return {};
        numbers.push_back(value);
    }
    if (numbers.size() < 2 || numbers.size() > 17) return {};
    std::vector<std::uint8_t> sid;
    sid.push_back(static_cast<std::uint8_t>(numbers[0]));
    sid.push_back(static_cast<std::uint8_t>(numbers.size() - 2));
    for (int shift = 40; shift >= 0; shift -= 8)
        sid.push_back(static_cast<std::uint8_t>((numbers[1] >> shift) & 0xFF));
    for (std::size_t i = 2; i < numbers.size(); ++i) {
        const auto value = static_cast<std::uint32_t>(numbers[i]);
        for (int shift = 0; shift < 32; shift += 8)
            sid.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
    }
    return sid;
}

std::string SidToString(const std::vector<std::uint8_t>& sid) {
    if (sid.size() < 8) return {};
    const std::size_t count = sid[1];
    if (sid.size() != 8 + 4 * count) return {};
    std::uint64_t authority = 0;
    for (std::size_t i = 2; i < 8; ++i)
        authority = (authority << 8) | sid[i];
    std::string text = "S-";
    text += std::to_string(sid[0]);
    text += '-';
    text += std::to_string(authority);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t value = 0;
        for (int b = 3; b >= 0; --b)
            value = (value << 8) | sid[8 + 4 * i + static_cast<std::size_t>(b)];
        text += '-';
        text += std::to_string(value);
    }
    return text;
}

}  // namespace vtl::sim
