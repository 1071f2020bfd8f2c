// The simulated service manager where it goes beyond the contract suite (which
// runs over the simulation too): durations on the virtual clock, hung
// services, and the rules and refusals no real test service can show.

#include <gtest/gtest.h>

#include "core/RegistryNames.h"
#include "core/sim/SimNetwork.h"
#include "core/sim/SimTestSupport.h"

namespace vtl::sim {
namespace {

using testing::OpenManager;
using testing::OpenSvc;
using testing::StateOf;
using testing::TestService;
using Args = ServiceManagerApi::CreateArgs;

class SimServicesTest : public ::testing::Test, protected testing::TwoComputers {
  protected:
    ErrorCode Start(const std::string& name) {
        auto manager = OpenManager(platform);
        return platform.StartService(OpenSvc(platform, manager, name, kServiceStart), {});
    }
    ErrorCode Control(const std::string& name, std::uint32_t control, ServiceStatus& status) {
        auto manager = OpenManager(platform);
        return platform.ControlService(OpenSvc(platform, manager, name), control, status);
    }
    ErrorCode Stop(const std::string& name) {
        ServiceStatus status;
        return Control(name, kServiceControlStop, status);
    }
    void AddTest(const std::string& name, const std::string& options = {},
                 std::vector<std::string> dependencies = {},
                 std::uint32_t startType = kServiceDemandStart) {
        ASSERT_EQ(pc1.AddService(TestService(name, options, startType, std::move(dependencies))),
                  0u);
    }
};

TEST_F(SimServicesTest, PendingStatesLastAsLongAsTheBehaviourSays) {
    AddTest("Slow", "--start-ms 1500 --stop-ms 300");
    ASSERT_EQ(Start("Slow"), kErrorSuccess);
    EXPECT_EQ(pc1.Status("Slow")->checkPoint, 1u);
    network.Advance(1499);
    EXPECT_EQ(StateOf(pc1, "Slow"), kServiceStartPending);
    EXPECT_EQ(pc1.Status("Slow")->checkPoint, 2u);  // one more per second pending
    network.Advance(1);
    EXPECT_EQ(StateOf(pc1, "Slow"), kServiceRunning);
    ASSERT_EQ(Stop("Slow"), kErrorSuccess);
    network.Advance(299);
    EXPECT_EQ(StateOf(pc1, "Slow"), kServiceStopPending);
    network.Advance(1);
    EXPECT_EQ(StateOf(pc1, "Slow"), kServiceStopped);

    // Without durations the next call sees the new state, and no time passes.
    AddTest("Quick");
    auto manager = OpenManager(platform);
    auto service = OpenSvc(platform, manager, "Quick");
    ASSERT_EQ(platform.StartService(service, {}), kErrorSuccess);
    EXPECT_EQ(StateOf(pc1, "Quick"), kServiceStartPending);  // no call has run the clock yet
    ServiceStatus status;
    ASSERT_EQ(platform.QueryServiceStatus(service, status), kErrorSuccess);
    EXPECT_EQ(status.currentState, kServiceRunning);
    ASSERT_EQ(platform.ControlService(service, kServiceControlStop, status), kErrorSuccess);
    EXPECT_EQ(status.currentState, kServiceStopped);
    EXPECT_EQ(network.Now(), 1800u);
}

TEST_F(SimServicesTest, ControlsAreCheckedAndPauseAndContinuePassThroughPendingStates) {
    AddTest("Pausable", "--pause");
    ServiceStatus status;
    status.currentState = 77;
    EXPECT_EQ(Control("Pausable", kServiceControlStop, status), kErrorServiceNotActive);
    EXPECT_EQ(status.currentState, kServiceStopped);  // filled as Windows does
    ASSERT_EQ(Start("Pausable"), kErrorSuccess);
    network.Advance(1);
    EXPECT_EQ(Control("Pausable", 0, status), kErrorInvalidParameter);
    EXPECT_EQ(Control("Pausable", kServiceControlPause, status), kErrorSuccess);
    EXPECT_EQ(Control("Pausable", kServiceControlPause, status), kErrorSuccess);  // paused
    EXPECT_EQ(Control("Pausable", kServiceControlContinue, status), kErrorSuccess);

    ServiceBehaviour slowPause = *pc1.EffectiveBehaviour("Pausable");
    slowPause.pausePendingMs = 100;
    slowPause.continuePendingMs = 50;
    ASSERT_TRUE(pc1.SetBehaviour("Pausable", slowPause));
    EXPECT_EQ(Control("Pausable", kServiceControlPause, status), kErrorSuccess);
    EXPECT_EQ(status.currentState, kServicePausePending);
    EXPECT_EQ(Control("Pausable", kServiceControlContinue, status), kErrorServiceCannotAcceptCtrl);
    network.Advance(100);
    EXPECT_EQ(StateOf(pc1, "Pausable"), kServicePaused);
    EXPECT_EQ(Control("Pausable", kServiceControlContinue, status), kErrorSuccess);
    EXPECT_EQ(status.currentState, kServiceContinuePending);
    network.Advance(50);
    EXPECT_EQ(StateOf(pc1, "Pausable"), kServiceRunning);
}

TEST_F(SimServicesTest, DependenciesStartFirstAndEveryKindOfFailureIsReported) {
    AddTest("Base", "--start-ms 300");
    AddTest("Middle", "--start-ms 200", {"base"});
    AddTest("Top", "--start-ms 100", {"Middle"});
    // StartService waits while the service manager starts the dependencies.
    ASSERT_EQ(Start("Top"), kErrorSuccess);
    EXPECT_EQ(network.Now(), 500u);
    EXPECT_EQ(StateOf(pc1, "Middle"), kServiceRunning);
    EXPECT_EQ(StateOf(pc1, "Top"), kServiceStartPending);
    EXPECT_EQ(pc1.StartCount("Base"), 1u);

    AddTest("BadDep", "--start-ms 50 --fail-start --exit-code 2");
    AddTest("NeedsBad", {}, {"BadDep"});
    AddTest("HungDep", "--hang-start");
    AddTest("NeedsHung", {}, {"HungDep"});
    AddTest("NeedsGhost", {}, {"Ghost"});
    AddTest("CycleA", {}, {"CycleB"});
    AddTest("CycleB", {}, {"CycleA"});
    EXPECT_EQ(Start("NeedsBad"), kErrorServiceDependencyFail);
    EXPECT_EQ(pc1.StartCount("NeedsBad"), 0u);
    const auto before = network.Now();
    EXPECT_EQ(Start("NeedsHung"), kErrorServiceDependencyFail);
    EXPECT_EQ(network.Now() - before, kServiceStartTimeoutMs);
    EXPECT_EQ(Start("NeedsGhost"), kErrorServiceDependencyDeleted);
    EXPECT_EQ(Start("CycleA"), kErrorCircularDependency);

    // A group dependency needs one running member; the registry keeps the kinds apart.
    ServiceDefinition grouped = TestService("Member", "--start-ms 100");
    grouped.loadOrderGroup = "MyGroup";
    ASSERT_EQ(pc1.AddService(grouped), 0u);
    AddTest("UsesGroup", {}, {"+MyGroup"});
    AddTest("UsesEmpty", {}, {"+NoMembers"});
    ASSERT_EQ(Start("UsesGroup"), kErrorSuccess);
    EXPECT_EQ(StateOf(pc1, "Member"), kServiceRunning);
    EXPECT_EQ(Start("UsesEmpty"), kErrorServiceDependencyFail);
    auto onGroup = pc1.Registry().Value(ServiceKeyPath("UsesGroup"), "DependOnGroup");
    ASSERT_TRUE(onGroup);
    EXPECT_EQ(onGroup->type, kRegMultiSz);
    EXPECT_EQ(std::string(onGroup->data.begin(), onGroup->data.end()),
              std::string("MyGroup\0\0", 9));
}

TEST_F(SimServicesTest, RightsDeniedOnAComputerOrAServiceAndComputersThatDoNotAnswer) {
    AddTest("Svc");
    pc1.DenyServiceAccess("Svc", kServiceStop | kDelete);
    auto manager = OpenManager(platform);
    auto [denied, deniedError] = platform.OpenService(manager, "Svc", 0x2C);
    EXPECT_FALSE(denied);
    EXPECT_EQ(deniedError, kErrorAccessDenied);
    EXPECT_TRUE(OpenSvc(platform, manager, "Svc", kServiceQueryConfig | kServiceQueryStatus));
    EXPECT_EQ(platform.OpenService(manager, "a\\b", 1).error, kErrorInvalidName);
    pc2.DenyManagerAccess(kScManagerCreateService);
    EXPECT_TRUE(OpenManager(platform, "PC2", kGenericRead));
    EXPECT_EQ(platform.OpenSCManager("PC2", kScManagerAllAccess).error, kErrorAccessDenied);

    pc2.SetUnreachable(true);
    EXPECT_EQ(platform.OpenSCManager("\\\\PC2", kScManagerConnect).error, kRpcServerUnavailable);
    pc2.SetUnreachable(false);
    EXPECT_TRUE(OpenManager(platform, "\\\\pc2", kScManagerConnect));
}

TEST_F(SimServicesTest, OtherProgramsGetTheDefaultBehaviourAndOneWithoutDispatcherTimesOut) {
    ServiceDefinition plain = TestService("Plain");
    plain.binaryPath = "C:\\Windows\\system32\\svchost.exe -k netsvcs";
    ASSERT_EQ(pc1.AddService(plain), 0u);
    EXPECT_EQ(pc1.EffectiveBehaviour("Plain")->startPendingMs, ServiceBehaviour{}.startPendingMs);
    ServiceBehaviour silent;
    silent.noDispatcher = true;
    ASSERT_TRUE(pc1.SetBehaviour("Plain", silent));
    EXPECT_EQ(Start("Plain"), kErrorServiceRequestTimeout);
    EXPECT_EQ(network.Now(), kServiceStartTimeoutMs);
    EXPECT_EQ(StateOf(pc1, "Plain"), kServiceStopped);
}

}  // namespace
}  // namespace vtl::sim
