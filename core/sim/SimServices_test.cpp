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

TEST_F(SimServicesTest, HungServicesStayPendingAndRefuseControls) {
    AddTest("HangStart", "--hang-start");
    AddTest("HangStop", "--hang-stop");
    ASSERT_EQ(Start("HangStart"), kErrorSuccess);
    ASSERT_EQ(Start("HangStop"), kErrorSuccess);
    network.Advance(600000);
    auto hung = pc1.Status("HangStart");
    EXPECT_EQ(hung->currentState, kServiceStartPending);
    EXPECT_EQ(hung->checkPoint, 1u);  // no progress
    ServiceStatus status;
    EXPECT_EQ(Control("HangStart", kServiceControlStop, status), kErrorServiceCannotAcceptCtrl);
    EXPECT_EQ(status.currentState, kServiceStartPending);

    ASSERT_EQ(Stop("HangStop"), kErrorSuccess);
    network.Advance(600000);
    EXPECT_EQ(StateOf(pc1, "HangStop"), kServiceStopPending);
    EXPECT_EQ(Control("HangStop", kServiceControlStop, status), kErrorServiceCannotAcceptCtrl);
    EXPECT_EQ(Start("HangStop"), kErrorServiceAlreadyRunning);
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

TEST_F(SimServicesTest, APendingDependentBlocksTheStopAndDependentsAreListedDeepestFirst) {
    AddTest("Root");
    AddTest("Child", "--start-ms 500", {"Root"});
    AddTest("Grandchild", {}, {"child"});
    ASSERT_EQ(Start("Child"), kErrorSuccess);
    EXPECT_EQ(Stop("Root"), kErrorDependentServicesRunning);
    network.Advance(500);
    ASSERT_EQ(Start("Grandchild"), kErrorSuccess);
    auto manager = OpenManager(platform);
    auto root = OpenSvc(platform, manager, "Root", kServiceEnumerateDependents);
    std::vector<std::string> names;
    for (const auto& entry : platform.EnumDependentServices(root, kServiceActive, 4096).entries)
        names.push_back(entry.serviceName);
    EXPECT_EQ(names, (std::vector<std::string>{"Grandchild", "Child"}));
}

TEST_F(SimServicesTest, DeletionLeavesAFlagUntilTheLastHandleAndRemovalElsewhereWaitsForTheStop) {
    AddTest("Doomed");
    auto manager = OpenManager(platform);
    auto service = OpenSvc(platform, manager, "Doomed");
    ASSERT_EQ(platform.DeleteService(service), kErrorSuccess);
    auto flag = pc1.Registry().Value(ServiceKeyPath("Doomed"), "DeleteFlag");
    ASSERT_TRUE(flag);
    EXPECT_EQ(flag->data, (std::vector<std::uint8_t>{1, 0, 0, 0}));
    service.reset();
    EXPECT_FALSE(pc1.HasService("Doomed"));

    AddTest("Runner", "--run-ms 1000");
    ASSERT_EQ(Start("Runner"), kErrorSuccess);
    ASSERT_EQ(pc1.RemoveService("Runner"), kErrorSuccess);
    network.Advance(500);
    EXPECT_TRUE(pc1.HasService("Runner"));
    network.Advance(500);
    EXPECT_FALSE(pc1.HasService("Runner"));
    EXPECT_EQ(pc1.RemoveService("Runner"), kErrorServiceDoesNotExist);
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

TEST_F(SimServicesTest, CreationRefusesWhatWindowsRefusesAndKeepsTheRegistryInStep) {
    AddTest("Existing");
    pc1.AddAccount("PC1", "jdoe", "S-1-5-21-1-2-3-1001");
    auto manager = OpenManager(platform);
    Args args;
    args.serviceName = "NewSvc";
    args.displayName = "New Service";
    args.binaryPathName = "\"C:\\apps\\VtlShell.exe\"";
    args.loadOrderGroup = "0";
    args.wantTagId = true;
    auto created = platform.CreateService(manager, args);
    ASSERT_EQ(created.error, kErrorSuccess);
    EXPECT_EQ(created.tagId, 1u);
    EXPECT_EQ(pc1.Registry().Value(ServiceKeyPath("NewSvc"), "Tag")->data,
              (std::vector<std::uint8_t>{1, 0, 0, 0}));

    using Edit = void (*)(Args&);
    const struct {
        const char* what;
        Edit edit;
        ErrorCode expected;
    } refusals[] = {
        {"name in other case", [](Args& a) { a.serviceName = "newsvc"; }, kErrorServiceExists},
        {"display name in other case", [](Args& a) { a.displayName = "NEW SERVICE"; },
         kErrorDuplicateServiceName},
        {"start type", [](Args& a) { a.startType = 7; }, kErrorInvalidParameter},
        {"boot start", [](Args& a) { a.startType = kServiceBootStart; }, kErrorInvalidParameter},
        {"service type", [](Args& a) { a.serviceType = 0x40; }, kErrorInvalidParameter},
        {"no path", [](Args& a) { a.binaryPathName.clear(); }, kErrorInvalidParameter},
        {"no group", [](Args& a) { a.loadOrderGroup.reset(); }, kErrorInvalidParameter},
        {"slash in name", [](Args& a) { a.serviceName = "bad/name"; }, kErrorInvalidName},
        {"unknown account", [](Args& a) { a.serviceStartName = ".\\nobody"; },
         kErrorInvalidServiceAccount},
        {"interactive account",
         [](Args& a) {
             a.serviceType = 0x110;
             a.serviceStartName = ".\\jdoe";
         },
         kErrorInvalidParameter},
        {"local account", [](Args& a) { a.serviceStartName = ".\\jdoe"; }, kErrorSuccess},
    };
    for (const auto& row : refusals) {
        Args attempt = args;
        attempt.serviceName = "Another";
        attempt.displayName = "Another";
        row.edit(attempt);
        EXPECT_EQ(platform.CreateService(manager, attempt).error, row.expected) << row.what;
    }

    // A dependency that closes a cycle is refused and changes nothing.
    ServiceManagerApi::ConfigChange change;
    change.dependencies = std::vector<std::string>{"Existing", "+SomeGroup"};
    ASSERT_EQ(platform.ChangeServiceConfig(created.handle, change), kErrorSuccess);
    ServiceManagerApi::ConfigChange cycle;
    cycle.dependencies = std::vector<std::string>{"NewSvc"};
    EXPECT_EQ(platform.ChangeServiceConfig(OpenSvc(platform, manager, "Existing"), cycle),
              kErrorCircularDependency);
    EXPECT_TRUE(pc1.Config("Existing")->dependencies.empty());
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
