#pragma once
// How a simulated service behaves, and the record the service manager keeps
// for it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/ServiceTypes.h"
#include "core/testsvc/TestServiceOptions.h"

namespace vtl::sim {

// What a service does when it is started, controlled or left alone. Durations
// are virtual milliseconds.
struct ServiceBehaviour {
    std::uint32_t startPendingMs = 250;     // START_PENDING before RUNNING
    std::uint32_t stopPendingMs = 150;      // STOP_PENDING before STOPPED
    std::uint32_t pausePendingMs = 0;       // PAUSE_PENDING before PAUSED
    std::uint32_t continuePendingMs = 0;    // CONTINUE_PENDING before RUNNING
    std::uint32_t waitHintMs = 2000;        // reported in every pending state
    std::optional<std::uint32_t> runMs;     // stops by itself this long after RUNNING, straight
                                            // to STOPPED (stopPendingMs is for asked stops)
    bool failStart = false;                 // START_PENDING, then STOPPED with the exit code
    std::uint32_t exitCode = 0;             // Win32 exit code of a failed start or a stop by itself
    std::optional<std::uint32_t> specific;  // service-specific code; the Win32 code becomes 1066
    bool hangStart = false;                 // never leaves START_PENDING
    bool hangStop = false;                  // never leaves STOP_PENDING once asked to stop
    bool acceptStop = true;
    bool acceptPause = false;
    // The program never connects to the service manager: StartService waits
    // 30 000 ms and fails with 1053.
    bool noDispatcher = false;
    // A file on the service's computer written when a start reaches RUNNING:
    // "RUNNING", then the start's arguments, one a line, CR LF (the test
    // service's --marker). Empty: none.
    std::string marker;

    [[nodiscard]] std::uint32_t Win32ExitCode() const {
        return specific ? kErrorServiceSpecificError : exitCode;
    }

    // The behaviour the project's test service shows for these options.
    [[nodiscard]] static ServiceBehaviour FromTestOptions(
        const testsvc::TestServiceOptions& options);
};

// A service to register directly on a simulated computer (set-up, not a call of
// the platform interface).
struct ServiceDefinition {
    std::string name;
    std::string displayName;  // empty: the service name
    std::uint32_t serviceType = kServiceWin32OwnProcess;
    std::uint32_t startType = kServiceDemandStart;
    std::uint32_t errorControl = kServiceErrorNormal;
    std::string binaryPath;
    std::string loadOrderGroup;
    std::uint32_t tagId = 0;
    std::vector<std::string> dependencies;  // "+Group" names a load order group
    std::string startName = "LocalSystem";
    std::string description;
    std::uint32_t state = kServiceStopped;  // STOPPED, RUNNING or PAUSED at set-up
    // Unset: the test service's options when the binary path names VtlTestSvc.exe,
    // otherwise the computer's default behaviour.
    std::optional<ServiceBehaviour> behaviour;
};

// The service manager's record of one service.
struct SimService {
    std::uint64_t id = 0;
    std::string name;
    ServiceConfig config;
    std::string description;
    std::string password;  // of the logon account, as the service manager keeps it
    ServiceStatus status;
    std::optional<ServiceBehaviour> behaviourOverride;
    ServiceBehaviour active;  // the behaviour of the current run
    bool markedForDelete = false;
    int openHandles = 0;
    std::uint32_t deniedRights = 0;
    std::vector<std::string> lastStartArguments;
    std::uint32_t startCount = 0;
    // The one timed transition ahead, if any.
    std::optional<std::uint64_t> dueAt;
    std::uint64_t timerGeneration = 0;
    std::uint64_t pendingSince = 0;
};

}  // namespace vtl::sim
