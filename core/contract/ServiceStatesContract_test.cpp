// The test service's state machines as the service manager shows them; its
// options (core/testsvc/TestServiceOptions.h) mean the same on every backend.
// Pending durations stay a few hundred milliseconds: the real service takes
// them in real time.

#include "core/contract/ContractTest.h"

namespace vtl::contract {
namespace {

TEST_P(ServiceStatesContract, StartAndStopPassThroughTheirPendingStates) {
    const std::string name = backend().UniqueName("VtlCtRun");
    const auto guard = Guard(name);
    ServiceHandle service = Create(name, "--start-ms 400 --stop-ms 400");
    ASSERT_TRUE(service);

    ASSERT_EQ(platform().StartService(service, {}), kErrorSuccess);
    ServiceStatus status;
    ASSERT_EQ(platform().QueryServiceStatus(service, status), kErrorSuccess);
    EXPECT_EQ(status.currentState, kServiceStartPending);
    EXPECT_EQ(status.serviceType, kServiceWin32OwnProcess);
    EXPECT_EQ(status.controlsAccepted, 0u);
    EXPECT_GT(status.waitHint, 0u);
    EXPECT_GE(status.checkPoint, 1u);
    EXPECT_EQ(platform().StartService(service, {}), kErrorServiceAlreadyRunning);
    // No stop reaches a service while it starts (the code differs: see
    // BeyondWineContract); it goes on starting.
    ServiceStatus answer;
    EXPECT_NE(platform().ControlService(service, kServiceControlStop, answer), kErrorSuccess);

    ASSERT_TRUE(WaitFor(service, {kServiceRunning}, status)) << status.currentState;
    EXPECT_EQ(status.controlsAccepted, kServiceAcceptStop);
    EXPECT_EQ(status.checkPoint, 0u);
    EXPECT_EQ(status.waitHint, 0u);
    EXPECT_EQ(status.win32ExitCode, 0u);
    EXPECT_EQ(platform().StartService(service, {}), kErrorServiceAlreadyRunning);
    // Interrogation answers with the current status.
    ASSERT_EQ(platform().ControlService(service, kServiceControlInterrogate, answer),
              kErrorSuccess);
    EXPECT_EQ(answer.currentState, kServiceRunning);

    ASSERT_EQ(platform().ControlService(service, kServiceControlStop, answer), kErrorSuccess);
    EXPECT_EQ(answer.currentState, kServiceStopPending);
    EXPECT_EQ(answer.controlsAccepted, 0u);
    EXPECT_GT(answer.waitHint, 0u);
    EXPECT_EQ(platform().ControlService(service, kServiceControlStop, answer),
              kErrorServiceCannotAcceptCtrl);
    ASSERT_TRUE(WaitFor(service, {kServiceStopped}, status)) << status.currentState;
    EXPECT_EQ(status.win32ExitCode, 0u);
    EXPECT_EQ(status.serviceSpecificExitCode, 0u);
    EXPECT_EQ(status.controlsAccepted, 0u);
    EXPECT_EQ(status.checkPoint, 0u);

    EXPECT_EQ(platform().ControlService(service, kServiceControlStop, answer),
              kErrorServiceNotActive);
    EXPECT_EQ(platform().ControlService(service, kServiceControlInterrogate, answer),
              kErrorServiceNotActive);
    // It starts again.
    ASSERT_EQ(platform().StartService(service, {}), kErrorSuccess);
    ASSERT_TRUE(WaitFor(service, {kServiceRunning}, status)) << status.currentState;
}

TEST_P(ServiceStatesContract, AFailedStartReportsItsExitCodes) {
    const std::string win32 = backend().UniqueName("VtlCtFail");
    const std::string specific = backend().UniqueName("VtlCtSpecific");
    const auto win32Guard = Guard(win32);
    const auto specificGuard = Guard(specific);
    ServiceHandle failing = Create(win32, "--start-ms 100 --fail-start --exit-code 1064");
    ServiceHandle special = Create(specific, "--start-ms 100 --fail-start --specific 42");
    ASSERT_TRUE(failing);
    ASSERT_TRUE(special);
    ASSERT_EQ(platform().StartService(failing, {}), kErrorSuccess);
    ASSERT_EQ(platform().StartService(special, {}), kErrorSuccess);
    ServiceStatus status;
    ASSERT_TRUE(WaitFor(failing, {kServiceStopped}, status)) << status.currentState;
    EXPECT_EQ(status.win32ExitCode, 1064u);
    ASSERT_TRUE(WaitFor(special, {kServiceStopped}, status)) << status.currentState;
    EXPECT_EQ(status.win32ExitCode, kErrorServiceSpecificError);
    EXPECT_EQ(status.serviceSpecificExitCode, 42u);
}

TEST_P(ServiceStatesContract, AServiceThatStopsByItselfGoesStraightToStopped) {
    // --stop-ms applies to a stop that was asked for; a service whose run time
    // is over reports STOPPED at once, with its exit codes.
    const std::string name = backend().UniqueName("VtlCtSelf");
    const auto guard = Guard(name);
    const std::string marker = MarkerPath(name);
    ServiceHandle service =
        Create(name, "--run-ms 300 --stop-ms 2000 --specific 5 " + MarkerOption(marker));
    ASSERT_TRUE(service);
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        const std::string argument = "run " + std::to_string(run);
        ASSERT_EQ(platform().StartService(service, {argument}), kErrorSuccess);
        // The first state after RUNNING is STOPPED; a STOP_PENDING would last 2 s.
        ServiceStatus status;
        ASSERT_TRUE(WaitFor(service, {kServiceStopPending, kServiceStopped}, status))
            << status.currentState;
        EXPECT_EQ(status.currentState, kServiceStopped);
        EXPECT_EQ(status.win32ExitCode, kErrorServiceSpecificError);
        EXPECT_EQ(status.serviceSpecificExitCode, 5u);
        // It ran: the marker of this run is there.
        EXPECT_EQ(ReadMarker(marker, 2), "RUNNING\r\n" + argument + "\r\n");
    }
}

TEST_P(ServiceStatesContract, ControlsTheServiceDoesNotAcceptGive1052) {
    const std::string name = backend().UniqueName("VtlCtNoStop");
    const auto guard = Guard(name);
    ServiceHandle service = Create(name, "--no-stop");
    ASSERT_TRUE(service);
    ASSERT_EQ(platform().StartService(service, {}), kErrorSuccess);
    ServiceStatus status;
    ASSERT_TRUE(WaitFor(service, {kServiceRunning}, status)) << status.currentState;
    EXPECT_EQ(status.controlsAccepted, 0u);
    // Some service managers (Wine's) fill the status with garbage here: only the
    // codes are compared.
    ServiceStatus answer;
    EXPECT_EQ(platform().ControlService(service, kServiceControlStop, answer),
              kErrorInvalidServiceControl);
    EXPECT_EQ(platform().ControlService(service, kServiceControlPause, answer),
              kErrorInvalidServiceControl);
    EXPECT_EQ(StateOf(service), kServiceRunning);
    // The guard has to end it by force.
    EXPECT_TRUE(guard->Remove());
}

TEST_P(ServiceStatesContract, APausableServicePausesAndContinues) {
    const std::string name = backend().UniqueName("VtlCtPause");
    const auto guard = Guard(name);
    ServiceHandle service = Create(name, "--pause");
    ASSERT_TRUE(service);
    ASSERT_EQ(platform().StartService(service, {}), kErrorSuccess);
    ServiceStatus status;
    ASSERT_TRUE(WaitFor(service, {kServiceRunning}, status)) << status.currentState;
    EXPECT_EQ(status.controlsAccepted, kServiceAcceptStop | kServiceAcceptPauseContinue);

    ServiceStatus answer;
    ASSERT_EQ(platform().ControlService(service, kServiceControlPause, answer), kErrorSuccess);
    EXPECT_TRUE(answer.currentState == kServicePausePending ||
                answer.currentState == kServicePaused)
        << answer.currentState;
    ASSERT_TRUE(WaitFor(service, {kServicePaused}, status)) << status.currentState;
    EXPECT_EQ(status.controlsAccepted, kServiceAcceptStop | kServiceAcceptPauseContinue);

    ASSERT_EQ(platform().ControlService(service, kServiceControlContinue, answer), kErrorSuccess);
    EXPECT_TRUE(answer.currentState == kServiceContinuePending ||
                answer.currentState == kServiceRunning)
        << answer.currentState;
    ASSERT_TRUE(WaitFor(service, {kServiceRunning}, status)) << status.currentState;

    // A paused service stops.
    ASSERT_EQ(platform().ControlService(service, kServiceControlPause, answer), kErrorSuccess);
    ASSERT_TRUE(WaitFor(service, {kServicePaused}, status)) << status.currentState;
    ASSERT_EQ(platform().ControlService(service, kServiceControlStop, answer), kErrorSuccess);
    ASSERT_TRUE(WaitFor(service, {kServiceStopped}, status)) << status.currentState;
    // A stopped one refuses both as not active.
    EXPECT_EQ(platform().ControlService(service, kServiceControlPause, answer),
              kErrorServiceNotActive);
    EXPECT_EQ(platform().ControlService(service, kServiceControlContinue, answer),
              kErrorServiceNotActive);
}

TEST_P(ServiceStatesContract, StartArgumentsReachTheService) {
    const std::string name = backend().UniqueName("VtlCtArgs");
    const auto guard = Guard(name);
    const std::string marker = MarkerPath(name);
    ServiceHandle service = Create(name, MarkerOption(marker));
    ASSERT_TRUE(service);

    ASSERT_EQ(platform().StartService(service, {"-x", "\xC3\xA9t\xC3\xA9 \xCE\xA9"}),
              kErrorSuccess);
    ServiceStatus status;
    ASSERT_TRUE(WaitFor(service, {kServiceRunning}, status)) << status.currentState;
    EXPECT_EQ(ReadMarker(marker, 3), "RUNNING\r\n-x\r\n\xC3\xA9t\xC3\xA9 \xCE\xA9\r\n");

    // A start without arguments writes the marker anew.
    ASSERT_EQ(platform().ControlService(service, kServiceControlStop, status), kErrorSuccess);
    ASSERT_TRUE(WaitFor(service, {kServiceStopped}, status)) << status.currentState;
    ASSERT_EQ(platform().StartService(service, {}), kErrorSuccess);
    ASSERT_TRUE(WaitFor(service, {kServiceRunning}, status)) << status.currentState;
    std::string content;
    const std::uint64_t end = platform().TickCount() + kWaitMs;
    while ((content = ReadMarker(marker, 1)) != "RUNNING\r\n" && platform().TickCount() < end)
        platform().Sleep(20);
    EXPECT_EQ(content, "RUNNING\r\n");
}

TEST_P(ServiceStatesContract, ADisabledServiceDoesNotStart) {
    const std::string name = backend().UniqueName("VtlCtDisabled");
    const auto guard = Guard(name);
    ServiceHandle service = Create(name, "", kServiceDisabled);
    ASSERT_TRUE(service);
    EXPECT_EQ(platform().StartService(service, {}), kErrorServiceDisabled);
    EXPECT_EQ(StateOf(service), kServiceStopped);
    // Enabled again, it starts.
    ServiceManagerApi::ConfigChange change;
    change.startType = kServiceDemandStart;
    ASSERT_EQ(platform().ChangeServiceConfig(service, change), kErrorSuccess);
    ASSERT_EQ(platform().StartService(service, {}), kErrorSuccess);
    ServiceStatus status;
    ASSERT_TRUE(WaitFor(service, {kServiceRunning}, status)) << status.currentState;
}

TEST_P(ServiceStatesContract, AnUnknownOptionStopsTheTestServiceWith87) {
    const std::string name = backend().UniqueName("VtlCtUnknown");
    const auto guard = Guard(name);
    ServiceHandle service = Create(name, "--start-ms 10 --no-such-option");
    ASSERT_TRUE(service);
    // The start is accepted; the service then stops with 87.
    ASSERT_EQ(platform().StartService(service, {}), kErrorSuccess);
    ServiceStatus status;
    ASSERT_EQ(platform().QueryServiceStatus(service, status), kErrorSuccess);
    EXPECT_TRUE(status.currentState == kServiceStartPending ||
                status.currentState == kServiceStopped)
        << status.currentState;
    ASSERT_TRUE(WaitFor(service, {kServiceStopped}, status)) << status.currentState;
    EXPECT_EQ(status.win32ExitCode, kErrorInvalidParameter);
    EXPECT_EQ(status.serviceSpecificExitCode, 0u);
}

}  // namespace
}  // namespace vtl::contract
