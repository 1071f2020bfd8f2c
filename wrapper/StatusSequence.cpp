#include "wrapper/StatusSequence.h"

namespace vtl::wrapper {

ServiceExit ExitForProgramCode(std::uint32_t programExitCode) {
    if (programExitCode == 0) return {};
    return {kErrorServiceSpecificError, programExitCode};
}

StatusSequence::StatusSequence(std::uint32_t serviceType) {
    status_.serviceType = serviceType;
    status_.currentState = kServiceStopped;
}

ServiceStatus StatusSequence::Pending(std::uint32_t state, std::uint32_t waitHintMs) {
    std::lock_guard lock(mutex_);
    if (stopped_) return status_;
    if (status_.currentState == kServiceStopPending && state == kServiceStartPending)
        return status_;  // a service that is stopping does not start again
    status_.checkPoint = status_.currentState == state ? status_.checkPoint + 1 : 1;
    status_.currentState = state;
    status_.controlsAccepted = 0;
    status_.waitHint = waitHintMs;
    return status_;
}

ServiceStatus StatusSequence::StartPending(std::uint32_t waitHintMs) {
    return Pending(kServiceStartPending, waitHintMs);
}

ServiceStatus StatusSequence::StopPending(std::uint32_t waitHintMs) {
    return Pending(kServiceStopPending, waitHintMs);
}

ServiceStatus StatusSequence::Running() {
    std::lock_guard lock(mutex_);
    if (stopped_ || status_.currentState == kServiceStopPending) return status_;
    status_.currentState = kServiceRunning;
    status_.controlsAccepted = kServiceAcceptStop | kServiceAcceptShutdown;
    status_.checkPoint = 0;
    status_.waitHint = 0;
    return status_;
}

ServiceStatus StatusSequence::Stopped(ServiceExit exit) {
    std::lock_guard lock(mutex_);
    if (stopped_) return status_;
    stopped_ = true;
    status_.currentState = kServiceStopped;
    status_.controlsAccepted = 0;
    status_.checkPoint = 0;
    status_.waitHint = 0;
    status_.win32ExitCode = exit.win32ExitCode;
    status_.serviceSpecificExitCode = exit.specificExitCode;
    return status_;
}

ServiceStatus StatusSequence::Current() const {
    std::lock_guard lock(mutex_);
    return status_;
}

}  // namespace vtl::wrapper
