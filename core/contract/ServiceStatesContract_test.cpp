// The test service's state machines as the service manager shows them; its
// options (core/testsvc/TestServiceOptions.h) mean the same on every backend.
// Pending durations stay a few hundred milliseconds: the real service takes
// them in real time.

#include "core/contract/ContractTest.h"

namespace vtl::contract {
namespace {

TEST_P(ServiceStatesContract, StartAndStopPassThroughTheirPendingStates) {
    ServiceHandle service = Create(Name("VtlCtRun"), "--start-ms 400 --stop-ms 400");
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
    EXPECT_TRUE(Start(service));  // again
}

// Failed starts, an unknown option and a service whose run time is over report
// STOPPED with their exit codes (--stop-ms applies to a stop that was asked for:
// a STOP_PENDING would last 2 s).
TEST_P(ServiceStatesContract, AServiceThatStopsByItselfReportsItsExitCodes) {
    struct Row {
        const char* stem;
        std::string options;
        std::uint32_t win32, specific;
        bool runs;  // reaches RUNNING: started twice, its marker read
    };
    for (const Row& row :
         {Row{"VtlCtFail", "--start-ms 100 --fail-start --exit-code 1064", 1064, 0, false},
          Row{"VtlCtSpecific", "--start-ms 100 --fail-start --specific 42",
              kErrorServiceSpecificError, 42, false},
          Row{"VtlCtUnknown", "--start-ms 10 --no-such-option", kErrorInvalidParameter, 0, false},
          Row{"VtlCtSelf", "--run-ms 300 --stop-ms 2000 --specific 5", kErrorServiceSpecificError,
              5, true}}) {
        SCOPED_TRACE(row.stem);
        const std::string name = Name(row.stem);
        const std::string marker = MarkerPath(name);
        ServiceHandle service = Create(name, row.options + " " + MarkerOption(marker));
        ASSERT_TRUE(service);
        for (int run = 0; run < (row.runs ? 2 : 1); ++run) {
            const std::string argument = "run " + std::to_string(run);
            ASSERT_EQ(platform().StartService(service, {argument}), kErrorSuccess);
            ServiceStatus status;
            ASSERT_TRUE(WaitFor(service, {kServiceStopPending, kServiceStopped}, status))
                << status.currentState;
            EXPECT_EQ(status.currentState, kServiceStopped);
            EXPECT_EQ(status.win32ExitCode, row.win32);
            EXPECT_EQ(status.serviceSpecificExitCode, row.specific);
            if (row.runs) {
                EXPECT_TRUE(MarkerIs(marker, "RUNNING\r\n" + argument + "\r\n"));
            }
        }
    }
}

TEST_P(ServiceStatesContract, ControlsTheServiceDoesNotAcceptGive1052) {
    const std::string name = backend().UniqueName("VtlCtNoStop");
    const auto guard = Guard(name);
    ServiceHandle service = Create(name, "--no-stop");
    ASSERT_TRUE(service);
    ServiceStatus status;
    ASSERT_TRUE(Start(service));
    // Some service managers (Wine's) fill the status with garbage here: only the
    // codes are compared.
    EXPECT_EQ(platform().ControlService(service, kServiceControlStop, status),
              kErrorInvalidServiceControl);
    EXPECT_EQ(platform().ControlService(service, kServiceControlPause, status),
              kErrorInvalidServiceControl);
    ASSERT_EQ(platform().QueryServiceStatus(service, status), kErrorSuccess);
    EXPECT_EQ(status.currentState, kServiceRunning);
    EXPECT_EQ(status.controlsAccepted, 0u);
    // The guard has to end it by force.
    EXPECT_TRUE(guard->Remove());
}

TEST_P(ServiceStatesContract, APausableServicePausesAndContinues) {
    ServiceHandle service = Create(Name("VtlCtPause"), "--pause");
    ASSERT_TRUE(service);
    ASSERT_TRUE(Start(service));
    ServiceStatus status;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(platform().ControlService(service, kServiceControlPause, status), kErrorSuccess);
        EXPECT_TRUE(status.currentState == kServicePausePending ||
                    status.currentState == kServicePaused)
            << status.currentState;
        ASSERT_TRUE(WaitFor(service, {kServicePaused}, status)) << status.currentState;
        EXPECT_EQ(status.controlsAccepted, kServiceAcceptStop | kServiceAcceptPauseContinue);
        if (round == 1) break;  // a paused service stops
        ASSERT_EQ(platform().ControlService(service, kServiceControlContinue, status),
                  kErrorSuccess);
        EXPECT_TRUE(status.currentState == kServiceContinuePending ||
                    status.currentState == kServiceRunning)
            << status.currentState;
        ASSERT_TRUE(WaitFor(service, {kServiceRunning}, status)) << status.currentState;
        EXPECT_EQ(status.controlsAccepted, kServiceAcceptStop | kServiceAcceptPauseContinue);
    }
    ASSERT_TRUE(Stop(service));
    // A stopped one refuses both as not active.
    EXPECT_EQ(platform().ControlService(service, kServiceControlPause, status),
              kErrorServiceNotActive);
    EXPECT_EQ(platform().ControlService(service, kServiceControlContinue, status),
              kErrorServiceNotActive);
}

TEST_P(ServiceStatesContract, StartArgumentsReachTheService) {
    const std::string name = Name("VtlCtArgs");
    const std::string marker = MarkerPath(name);
    ServiceHandle service = Create(name, MarkerOption(marker));
    ASSERT_TRUE(service);
    ASSERT_TRUE(Start(service, {"-x", "\xC3\xA9t\xC3\xA9 \xCE\xA9"}));
    EXPECT_TRUE(MarkerIs(marker, "RUNNING\r\n-x\r\n\xC3\xA9t\xC3\xA9 \xCE\xA9\r\n"));
    // A start without arguments writes the marker anew.
    ASSERT_TRUE(Stop(service));
    ASSERT_TRUE(Start(service));
    EXPECT_TRUE(MarkerIs(marker, "RUNNING\r\n"));
}

TEST_P(ServiceStatesContract, ADisabledServiceDoesNotStart) {
    ServiceHandle service = Create(Name("VtlCtDisabled"), "", kServiceDisabled);
    ASSERT_TRUE(service);
    EXPECT_EQ(platform().StartService(service, {}), kErrorServiceDisabled);
    EXPECT_EQ(StateOf(service), kServiceStopped);
    // Enabled again, it starts.
    ServiceManagerApi::ConfigChange change;
    change.startType = kServiceDemandStart;
    ASSERT_EQ(platform().ChangeServiceConfig(service, change), kErrorSuccess);
    EXPECT_TRUE(Start(service));
}

}  // namespace
}  // namespace vtl::contract
