// The simulated service manager: state machines on the virtual clock and the
// rules Windows enforces, with Windows' error codes.

#include <gtest/gtest.h>

#include "core/sim/SimNetwork.h"
#include "core/sim/SimTestSupport.h"

namespace vtl::sim {
namespace {

using testing::OpenManager;
using testing::OpenSvc;
using testing::StateOf;
using testing::TestService;

class SimServicesTest : public ::testing::Test, protected testing::TwoComputers {
  protected:
    ErrorCode Start(const std::string& name, std::vector<std::string> arguments = {}) {
        auto manager = OpenManager(platform);
        auto service = OpenSvc(platform, manager, name, kServiceStart);
        return platform.StartService(service, arguments);
    }
    ErrorCode Control(const std::string& name, std::uint32_t control, ServiceStatus& status) {
        auto manager = OpenManager(platform);
        auto service = OpenSvc(platform, manager, name, kServiceAllAccess);
        return platform.ControlService(service, control, status);
    }
    ErrorCode Stop(const std::string& name) {
        ServiceStatus status;
        return Control(name, kServiceControlStop, status);
    }
};

TEST_F(SimServicesTest, PendingStatesLastAsLongAsTheBehaviourSays) {
    ASSERT_EQ(pc1.AddService(TestService("Slow", "--start-ms 500 --stop-ms 300")), 0u);
    ASSERT_EQ(Start("Slow"), kErrorSuccess);
    auto status = pc1.Status("Slow");
    EXPECT_EQ(status->currentState, kServiceStartPending);
    EXPECT_EQ(status->checkPoint, 1u);
    EXPECT_GT(status->waitHint, 0u);
    EXPECT_EQ(status->controlsAccepted, 0u);
    network.Advance(499);
    EXPECT_EQ(StateOf(pc1, "Slow"), kServiceStartPending);
    network.Advance(1);
    status = pc1.Status("Slow");
    EXPECT_EQ(status->currentState, kServiceRunning);
    EXPECT_EQ(status->controlsAccepted, kServiceAcceptStop);
    EXPECT_EQ(status->checkPoint, 0u);

    ServiceStatus answer;
    EXPECT_EQ(Control("Slow", kServiceControlStop, answer), kErrorSuccess);
    EXPECT_EQ(answer.currentState, kServiceStopPending);
    network.Advance(299);
    EXPECT_EQ(StateOf(pc1, "Slow"), kServiceStopPending);
    network.Advance(1);
    status = pc1.Status("Slow");
    EXPECT_EQ(status->currentState, kServiceStopped);
    EXPECT_EQ(status->win32ExitCode, 0u);
}

TEST_F(SimServicesTest, InstantTransitionsAreSeenByTheNextCall) {
    ASSERT_EQ(pc1.AddService(TestService("Quick")), 0u);
    auto manager = OpenManager(platform);
    auto service =
        OpenSvc(platform, manager, "Quick", kServiceStart | kServiceQueryStatus | kServiceStop);
    ASSERT_EQ(platform.StartService(service, {}), kErrorSuccess);
    EXPECT_EQ(StateOf(pc1, "Quick"), kServiceStartPending);  // no call has run the clock yet
    ServiceStatus status;
    ASSERT_EQ(platform.QueryServiceStatus(service, status), kErrorSuccess);
    EXPECT_EQ(status.currentState, kServiceRunning);
    ASSERT_EQ(platform.ControlService(service, kServiceControlStop, status), kErrorSuccess);
    EXPECT_EQ(status.currentState, kServiceStopped);
    EXPECT_EQ(network.Now(), 0u);
}

TEST_F(SimServicesTest, ServicesThatFailOrStopByThemselvesReportTheirExitCodes) {
    ASSERT_EQ(pc1.AddService(TestService("Fails", "--start-ms 200 --fail-start --exit-code 1064")),
              0u);
    ASSERT_EQ(pc1.AddService(TestService("Specific", "--start-ms 100 --fail-start --specific 5")),
              0u);
    ASSERT_EQ(pc1.AddService(TestService("Short", "--run-ms 1000 --exit-code 42")), 0u);
    ASSERT_EQ(pc1.AddService(TestService("ShortSlow", "--run-ms 1000 --stop-ms 400 --specific 9")),
              0u);
    for (const char* name : {"Fails", "Specific", "Short", "ShortSlow"})
        ASSERT_EQ(Start(name), kErrorSuccess) << name;

    network.Advance(200);
    auto fails = pc1.Status("Fails");
    EXPECT_EQ(fails->currentState, kServiceStopped);
    EXPECT_EQ(fails->win32ExitCode, 1064u);
    auto specific = pc1.Status("Specific");
    EXPECT_EQ(specific->currentState, kServiceStopped);
    EXPECT_EQ(specific->win32ExitCode, kErrorServiceSpecificError);
    EXPECT_EQ(specific->serviceSpecificExitCode, 5u);
    EXPECT_EQ(StateOf(pc1, "Short"), kServiceRunning);

    network.Advance(800);  // t = 1000
    auto stopped = pc1.Status("Short");
    EXPECT_EQ(stopped->currentState, kServiceStopped);
    EXPECT_EQ(stopped->win32ExitCode, 42u);
    // --stop-ms is for a stop that was asked for: a service whose run time is
    // over reports STOPPED at once, as the real test service does.
    auto slow = pc1.Status("ShortSlow");
    EXPECT_EQ(slow->currentState, kServiceStopped);
    EXPECT_EQ(slow->win32ExitCode, kErrorServiceSpecificError);
    EXPECT_EQ(slow->serviceSpecificExitCode, 9u);

    // A stop asked for ends with exit code 0.
    ASSERT_EQ(Start("Short"), kErrorSuccess);
    network.Advance(10);
    ASSERT_EQ(Stop("Short"), kErrorSuccess);
    EXPECT_EQ(pc1.Status("Short")->win32ExitCode, 0u);
}

TEST_F(SimServicesTest, HungServicesStayPendingAndRefuseControls) {
    ASSERT_EQ(pc1.AddService(TestService("HangStart", "--hang-start")), 0u);
    ASSERT_EQ(pc1.AddService(TestService("HangStop", "--hang-stop")), 0u);
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

TEST_F(SimServicesTest, ControlsTheServiceDoesNotAcceptAreRefusedWith1052) {
    ASSERT_EQ(pc1.AddService(TestService("NoStop", "--no-stop")), 0u);
    ASSERT_EQ(pc1.AddService(TestService("Pausable", "--pause")), 0u);
    ASSERT_EQ(Start("NoStop"), kErrorSuccess);
    ASSERT_EQ(Start("Pausable"), kErrorSuccess);
    network.Advance(1);
    ServiceStatus status;
    EXPECT_EQ(Control("NoStop", kServiceControlStop, status), kErrorInvalidServiceControl);
    EXPECT_EQ(status.currentState, kServiceRunning);
    EXPECT_EQ(Control("NoStop", kServiceControlPause, status), kErrorInvalidServiceControl);
    EXPECT_EQ(Control("NoStop", kServiceControlInterrogate, status), kErrorSuccess);
    EXPECT_EQ(Control("NoStop", 0, status), kErrorInvalidParameter);

    EXPECT_EQ(pc1.Status("Pausable")->controlsAccepted,
              kServiceAcceptStop | kServiceAcceptPauseContinue);
    EXPECT_EQ(Control("Pausable", kServiceControlPause, status), kErrorSuccess);
    EXPECT_EQ(status.currentState, kServicePaused);
    EXPECT_EQ(Control("Pausable", kServiceControlPause, status), kErrorSuccess);  // already paused
    EXPECT_EQ(Control("Pausable", kServiceControlContinue, status), kErrorSuccess);
    EXPECT_EQ(status.currentState, kServiceRunning);

    // Pending pause and continue when the behaviour says so.
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

TEST_F(SimServicesTest, StartAndStopRulesGiveWindowsErrorCodes) {
    ASSERT_EQ(pc1.AddService(TestService("Svc")), 0u);
    ASSERT_EQ(pc1.AddService(TestService("Off", {}, kServiceDisabled)), 0u);
    EXPECT_EQ(Start("Off"), kErrorServiceDisabled);
    EXPECT_EQ(Stop("Svc"), kErrorServiceNotActive);
    ServiceStatus status;
    status.currentState = 77;
    EXPECT_EQ(Control("Svc", kServiceControlStop, status), kErrorServiceNotActive);
    EXPECT_EQ(status.currentState, kServiceStopped);  // filled as Windows does
    ASSERT_EQ(Start("Svc"), kErrorSuccess);
    EXPECT_EQ(Start("Svc"), kErrorServiceAlreadyRunning);
    network.Advance(1);
    EXPECT_EQ(Start("Svc"), kErrorServiceAlreadyRunning);

    auto manager = OpenManager(platform);
    auto [missing, missingError] = platform.OpenService(manager, "NoSuchService", 1);
    EXPECT_FALSE(missing);
    EXPECT_EQ(missingError, kErrorServiceDoesNotExist);
    auto [bad, badError] = platform.OpenService(manager, "a\\b", 1);
    EXPECT_FALSE(bad);
    EXPECT_EQ(badError, kErrorInvalidName);
    // Names are compared without regard to case.
    auto upper = OpenSvc(platform, manager, "SVC", kServiceQueryConfig);
    auto config = platform.QueryServiceConfig(upper, 4096);
    EXPECT_EQ(config.config.displayName, "Test Svc");
}

TEST_F(SimServicesTest, DependenciesStartFirstAndTheirFailureGives1068) {
    ASSERT_EQ(pc1.AddService(TestService("Base", "--start-ms 300")), 0u);
    ASSERT_EQ(
        pc1.AddService(TestService("Middle", "--start-ms 200", kServiceDemandStart, {"base"})), 0u);
    ASSERT_EQ(pc1.AddService(TestService("Top", "--start-ms 100", kServiceDemandStart, {"Middle"})),
              0u);
    // StartService waits while the service manager starts the dependencies.
    ASSERT_EQ(Start("Top"), kErrorSuccess);
    EXPECT_EQ(network.Now(), 500u);
    EXPECT_EQ(StateOf(pc1, "Base"), kServiceRunning);
    EXPECT_EQ(StateOf(pc1, "Middle"), kServiceRunning);
    EXPECT_EQ(StateOf(pc1, "Top"), kServiceStartPending);
    network.Advance(100);
    EXPECT_EQ(StateOf(pc1, "Top"), kServiceRunning);
    EXPECT_EQ(pc1.StartCount("Base"), 1u);

    ASSERT_EQ(pc1.AddService(TestService("OffDep", {}, kServiceDisabled)), 0u);
    ASSERT_EQ(pc1.AddService(TestService("NeedsOff", {}, kServiceDemandStart, {"OffDep"})), 0u);
    EXPECT_EQ(Start("NeedsOff"), kErrorServiceDependencyFail);
    EXPECT_EQ(StateOf(pc1, "NeedsOff"), kServiceStopped);

    ASSERT_EQ(pc1.AddService(TestService("BadDep", "--start-ms 50 --fail-start --exit-code 2")),
              0u);
    ASSERT_EQ(pc1.AddService(TestService("NeedsBad", {}, kServiceDemandStart, {"BadDep"})), 0u);
    EXPECT_EQ(Start("NeedsBad"), kErrorServiceDependencyFail);
    EXPECT_EQ(pc1.Status("BadDep")->win32ExitCode, 2u);
    EXPECT_EQ(StateOf(pc1, "NeedsBad"), kServiceStopped);
    EXPECT_EQ(pc1.StartCount("NeedsBad"), 0u);

    ASSERT_EQ(pc1.AddService(TestService("HungDep", "--hang-start")), 0u);
    ASSERT_EQ(pc1.AddService(TestService("NeedsHung", {}, kServiceDemandStart, {"HungDep"})), 0u);
    const auto before = network.Now();
    EXPECT_EQ(Start("NeedsHung"), kErrorServiceDependencyFail);
    EXPECT_EQ(network.Now() - before, kServiceStartTimeoutMs);

    ASSERT_EQ(pc1.AddService(TestService("NeedsGhost", {}, kServiceDemandStart, {"Ghost"})), 0u);
    EXPECT_EQ(Start("NeedsGhost"), kErrorServiceDependencyDeleted);

    ASSERT_EQ(pc1.AddService(TestService("CycleA", {}, kServiceDemandStart, {"CycleB"})), 0u);
    ASSERT_EQ(pc1.AddService(TestService("CycleB", {}, kServiceDemandStart, {"CycleA"})), 0u);
    EXPECT_EQ(Start("CycleA"), kErrorCircularDependency);
}

TEST_F(SimServicesTest, GroupDependenciesNeedOneRunningMember) {
    ServiceDefinition member = TestService("Member", "--start-ms 100");
    member.loadOrderGroup = "MyGroup";
    ASSERT_EQ(pc1.AddService(member), 0u);
    ASSERT_EQ(pc1.AddService(TestService("UsesGroup", {}, kServiceDemandStart, {"+MyGroup"})), 0u);
    ASSERT_EQ(Start("UsesGroup"), kErrorSuccess);
    EXPECT_EQ(StateOf(pc1, "Member"), kServiceRunning);
    ASSERT_EQ(pc1.AddService(TestService("UsesEmpty", {}, kServiceDemandStart, {"+NoMembers"})),
              0u);
    EXPECT_EQ(Start("UsesEmpty"), kErrorServiceDependencyFail);
    // The registry keeps the two kinds apart.
    auto onGroup =
        pc1.Registry().Value("SYSTEM\\CurrentControlSet\\Services\\UsesGroup", "DependOnGroup");
    ASSERT_TRUE(onGroup);
    EXPECT_EQ(onGroup->type, kRegMultiSz);
    EXPECT_EQ(std::string(onGroup->data.begin(), onGroup->data.end()),
              std::string("MyGroup\0\0", 9));
}

TEST_F(SimServicesTest, StoppingAServiceWithActiveDependentsGives1051) {
    ASSERT_EQ(pc1.AddService(TestService("Root")), 0u);
    ASSERT_EQ(pc1.AddService(TestService("Child", {}, kServiceDemandStart, {"Root"})), 0u);
    ASSERT_EQ(pc1.AddService(TestService("Grandchild", {}, kServiceDemandStart, {"child"})), 0u);
    ASSERT_EQ(pc1.AddService(TestService("Sibling", {}, kServiceDemandStart, {"Root"})), 0u);
    ASSERT_EQ(Start("Grandchild"), kErrorSuccess);
    network.Advance(1);
    EXPECT_EQ(StateOf(pc1, "Root"), kServiceRunning);
    EXPECT_EQ(StateOf(pc1, "Sibling"), kServiceStopped);

    ServiceStatus status;
    EXPECT_EQ(Control("Root", kServiceControlStop, status), kErrorDependentServicesRunning);
    EXPECT_EQ(status.currentState, kServiceRunning);
    EXPECT_EQ(StateOf(pc1, "Root"), kServiceRunning);

    // Deepest first; the stopped sibling is listed only for all states.
    auto manager = OpenManager(platform);
    auto root = OpenSvc(platform, manager, "Root", kServiceEnumerateDependents);
    auto all = platform.EnumDependentServices(root, kServiceStateAll, 4096);
    ASSERT_EQ(all.error, kErrorSuccess);
    std::vector<std::string> names;
    for (const auto& entry : all.entries)
        names.push_back(entry.serviceName);
    EXPECT_EQ(names, (std::vector<std::string>{"Grandchild", "Child", "Sibling"}));
    auto active = platform.EnumDependentServices(root, kServiceActive, 4096);
    ASSERT_EQ(active.entries.size(), 2u);

    // Stopping them from the deepest on lets the root stop.
    for (const auto& entry : active.entries)
        EXPECT_EQ(Stop(entry.serviceName), kErrorSuccess) << entry.serviceName;
    EXPECT_EQ(Stop("Root"), kErrorSuccess);
}

TEST_F(SimServicesTest, DeletionMarksTheServiceUntilItIsStoppedAndItsLastHandleClosed) {
    ASSERT_EQ(pc1.AddService(TestService("Doomed")), 0u);
    auto manager = OpenManager(platform);
    auto first = OpenSvc(platform, manager, "Doomed");
    auto second = OpenSvc(platform, manager, "Doomed");
    ASSERT_EQ(platform.DeleteService(first), kErrorSuccess);
    EXPECT_TRUE(pc1.IsMarkedForDelete("Doomed"));
    EXPECT_EQ(platform.DeleteService(first), kErrorServiceMarkedForDelete);
    EXPECT_EQ(platform.DeleteService(second), kErrorServiceMarkedForDelete);
    auto [again, againError] = platform.OpenService(manager, "Doomed", kServiceQueryStatus);
    EXPECT_FALSE(again);
    EXPECT_EQ(againError, kErrorServiceMarkedForDelete);
    EXPECT_EQ(platform.StartService(second, {}), kErrorServiceMarkedForDelete);
    ServiceStatus status;
    EXPECT_EQ(platform.QueryServiceStatus(second, status), kErrorSuccess);  // handles stay valid
    auto listed = platform.EnumServicesStatus(manager, kServiceWin32, kServiceStateAll, 65536);
    ASSERT_EQ(listed.entries.size(), 1u);
    auto flag = pc1.Registry().Value("SYSTEM\\CurrentControlSet\\Services\\Doomed", "DeleteFlag");
    ASSERT_TRUE(flag);
    EXPECT_EQ(flag->data, (std::vector<std::uint8_t>{1, 0, 0, 0}));

    first.reset();
    EXPECT_TRUE(pc1.HasService("Doomed"));
    second.reset();
    EXPECT_FALSE(pc1.HasService("Doomed"));
    EXPECT_FALSE(pc1.Registry().KeyExists("SYSTEM\\CurrentControlSet\\Services\\Doomed"));
    auto [gone, goneError] = platform.OpenService(manager, "Doomed", kServiceQueryStatus);
    EXPECT_EQ(goneError, kErrorServiceDoesNotExist);

    // A running service marked by another program goes when it stops.
    ASSERT_EQ(pc1.AddService(TestService("Runner", "--run-ms 1000")), 0u);
    ASSERT_EQ(Start("Runner"), kErrorSuccess);
    ASSERT_EQ(pc1.RemoveService("Runner"), kErrorSuccess);
    network.Advance(500);
    EXPECT_TRUE(pc1.HasService("Runner"));
    network.Advance(500);
    EXPECT_FALSE(pc1.HasService("Runner"));
    EXPECT_EQ(pc1.RemoveService("Runner"), kErrorServiceDoesNotExist);
}

TEST_F(SimServicesTest, EveryCallChecksTheRightsItsHandleWasOpenedWith) {
    ASSERT_EQ(pc1.AddService(TestService("Svc")), 0u);
    auto connectOnly = OpenManager(platform, "\\\\PC1", kScManagerConnect);
    EXPECT_EQ(platform.EnumServicesStatus(connectOnly, kServiceWin32, kServiceStateAll, 0).error,
              kErrorAccessDenied);
    ServiceManagerApi::CreateArgs args;
    args.serviceName = "New";
    args.binaryPathName = "C:\\new.exe";
    EXPECT_EQ(platform.CreateService(connectOnly, args).error, kErrorAccessDenied);
    // GENERIC_READ maps to enumerate.
    auto reader = OpenManager(platform, "\\\\PC1", kGenericRead | kScManagerConnect);
    EXPECT_EQ(platform.EnumServicesStatus(reader, kServiceWin32, kServiceStateAll, 0).error,
              kErrorMoreData);

    auto statusOnly = OpenSvc(platform, connectOnly, "Svc", kServiceQueryStatus);
    ServiceStatus status;
    EXPECT_EQ(platform.QueryServiceStatus(statusOnly, status), kErrorSuccess);
    EXPECT_EQ(platform.QueryServiceConfig(statusOnly, 0).error, kErrorAccessDenied);
    EXPECT_EQ(platform.QueryServiceDescription(statusOnly, 0).error, kErrorAccessDenied);
    EXPECT_EQ(platform.StartService(statusOnly, {}), kErrorAccessDenied);
    EXPECT_EQ(platform.ControlService(statusOnly, kServiceControlStop, status), kErrorAccessDenied);
    EXPECT_EQ(platform.EnumDependentServices(statusOnly, kServiceStateAll, 0).error,
              kErrorAccessDenied);
    EXPECT_EQ(platform.ChangeServiceConfig(statusOnly, {}), kErrorAccessDenied);
    EXPECT_EQ(platform.ChangeServiceDescription(statusOnly, "x"), kErrorAccessDenied);
    EXPECT_EQ(platform.DeleteService(statusOnly), kErrorAccessDenied);
    EXPECT_EQ(StateOf(pc1, "Svc"), kServiceStopped);

    // Denied rights on the computer or on one service.
    pc1.DenyServiceAccess("Svc", kServiceStop | kDelete);
    auto [denied, deniedError] = platform.OpenService(connectOnly, "Svc", 0x2C);
    EXPECT_FALSE(denied);
    EXPECT_EQ(deniedError, kErrorAccessDenied);
    auto query = OpenSvc(platform, connectOnly, "Svc", kServiceQueryConfig | kServiceQueryStatus);
    EXPECT_TRUE(query);
    pc2.DenyManagerAccess();
    auto [noManager, noManagerError] = platform.OpenSCManager("\\\\PC2", kScManagerConnect);
    EXPECT_FALSE(noManager);
    EXPECT_EQ(noManagerError, kErrorAccessDenied);
    pc2.DenyManagerAccess(kScManagerCreateService);
    EXPECT_TRUE(OpenManager(platform, "PC2", kGenericRead));
    EXPECT_FALSE(platform.OpenSCManager("PC2", kScManagerAllAccess).handle);
}

TEST_F(SimServicesTest, ComputersThatCannotBeReachedFailWith1722) {
    pc2.SetUnreachable(true);
    for (const char* machine : {"\\\\PC2", "PC2", "\\\\NOSUCHHOST"}) {
        auto [manager, error] = platform.OpenSCManager(machine, kScManagerConnect);
        EXPECT_FALSE(manager) << machine;
        EXPECT_EQ(error, kRpcServerUnavailable) << machine;
    }
    pc2.SetUnreachable(false);
    EXPECT_TRUE(OpenManager(platform, "\\\\pc2", kScManagerConnect));
    EXPECT_TRUE(OpenManager(platform, "", kScManagerConnect));  // the local computer
}

TEST_F(SimServicesTest, CreateAndChangeKeepConfigAndRegistryInStep) {
    ASSERT_EQ(pc1.AddService(TestService("Existing")), 0u);
    pc1.AddAccount("PC1", "jdoe", "S-1-5-21-1-2-3-1001");
    auto manager = OpenManager(platform);
    ServiceManagerApi::CreateArgs args;
    args.serviceName = "NewSvc";
    args.displayName = "New Service";
    args.startType = kServiceAutoStart;
    args.errorControl = kServiceErrorIgnore;
    args.binaryPathName = "\"C:\\apps\\VtlShell.exe\"";
    args.loadOrderGroup = "0";
    args.wantTagId = true;
    auto created = platform.CreateService(manager, args);
    ASSERT_EQ(created.error, kErrorSuccess);
    ASSERT_TRUE(created.handle);
    EXPECT_EQ(created.tagId, 1u);
    auto config = pc1.Config("NewSvc");
    EXPECT_EQ(config->serviceStartName, "LocalSystem");
    EXPECT_EQ(config->tagId, 1u);
    EXPECT_EQ(StateOf(pc1, "NewSvc"), kServiceStopped);
    const std::string key = "SYSTEM\\CurrentControlSet\\Services\\NewSvc";
    EXPECT_EQ(pc1.Registry().Value(key, "Start")->data, (std::vector<std::uint8_t>{2, 0, 0, 0}));
    EXPECT_EQ(pc1.Registry().Value(key, "ImagePath")->type, kRegExpandSz);
    EXPECT_EQ(pc1.Registry().Value(key, "Tag")->data, (std::vector<std::uint8_t>{1, 0, 0, 0}));

    // Windows' refusals.
    auto attempt = [&](auto change) {
        ServiceManagerApi::CreateArgs bad = args;
        bad.serviceName = "Another";
        bad.displayName = "Another";
        change(bad);
        return platform.CreateService(manager, bad).error;
    };
    EXPECT_EQ(attempt([](auto& a) { a.serviceName = "newsvc"; }), kErrorServiceExists);
    EXPECT_EQ(attempt([](auto& a) { a.displayName = "NEW SERVICE"; }), kErrorDuplicateServiceName);
    EXPECT_EQ(attempt([](auto& a) { a.displayName = "Existing"; }), kErrorDuplicateServiceName);
    EXPECT_EQ(attempt([](auto& a) { a.startType = 7; }), kErrorInvalidParameter);
    EXPECT_EQ(attempt([](auto& a) { a.startType = kServiceBootStart; }), kErrorInvalidParameter);
    EXPECT_EQ(attempt([](auto& a) { a.serviceType = 0x40; }), kErrorInvalidParameter);
    EXPECT_EQ(attempt([](auto& a) { a.binaryPathName.clear(); }), kErrorInvalidParameter);
    EXPECT_EQ(attempt([](auto& a) { a.loadOrderGroup.reset(); }), kErrorInvalidParameter);
    EXPECT_EQ(attempt([](auto& a) { a.serviceName = "bad/name"; }), kErrorInvalidName);
    EXPECT_EQ(attempt([](auto& a) { a.serviceStartName = ".\\nobody"; }),
              kErrorInvalidServiceAccount);
    EXPECT_EQ(attempt([](auto& a) {
                  a.serviceType = 0x110;
                  a.serviceStartName = ".\\jdoe";
              }),
              kErrorInvalidParameter);
    EXPECT_EQ(attempt([](auto& a) { a.serviceStartName = ".\\jdoe"; }), kErrorSuccess);

    // Changes, with no-change values leaving fields alone.
    ServiceManagerApi::ConfigChange change;
    change.startType = kServiceDisabled;
    change.displayName = "Renamed";
    change.dependencies = std::vector<std::string>{"Existing", "+SomeGroup"};
    change.serviceStartName = "NT AUTHORITY\\LocalService";
    ASSERT_EQ(platform.ChangeServiceConfig(created.handle, change), kErrorSuccess);
    ASSERT_EQ(platform.ChangeServiceDescription(created.handle, "Does things"), kErrorSuccess);
    config = pc1.Config("NewSvc");
    EXPECT_EQ(config->startType, kServiceDisabled);
    EXPECT_EQ(config->errorControl, kServiceErrorIgnore);
    EXPECT_EQ(config->binaryPathName, args.binaryPathName);
    EXPECT_EQ(config->displayName, "Renamed");
    EXPECT_EQ(config->dependencies, (std::vector<std::string>{"Existing", "+SomeGroup"}));
    EXPECT_EQ(pc1.Registry().Value(key, "Start")->data, (std::vector<std::uint8_t>{4, 0, 0, 0}));
    EXPECT_EQ(pc1.Registry().Value(key, "DisplayName")->data,
              (std::vector<std::uint8_t>{'R', 'e', 'n', 'a', 'm', 'e', 'd', 0}));
    EXPECT_EQ(pc1.Registry().Value(key, "ObjectName")->data.size(), 26u);
    EXPECT_EQ(pc1.Registry().Value(key, "Description")->type, kRegSz);

    ServiceManagerApi::ConfigChange clash;
    clash.displayName = "Test Existing";
    EXPECT_EQ(platform.ChangeServiceConfig(created.handle, clash), kErrorDuplicateServiceName);
    ServiceManagerApi::ConfigChange badStart;
    badStart.startType = 9;
    EXPECT_EQ(platform.ChangeServiceConfig(created.handle, badStart), kErrorInvalidParameter);
    auto existing = OpenSvc(platform, manager, "Existing");
    ServiceManagerApi::ConfigChange cycle;
    cycle.dependencies = std::vector<std::string>{"NewSvc"};
    EXPECT_EQ(platform.ChangeServiceConfig(existing, cycle), kErrorCircularDependency);
    EXPECT_TRUE(pc1.Config("Existing")->dependencies.empty());
    ServiceManagerApi::ConfigChange everythingSame;
    EXPECT_EQ(platform.ChangeServiceConfig(created.handle, everythingSame), kErrorSuccess);
    EXPECT_EQ(pc1.Config("NewSvc"), config);
}

TEST_F(SimServicesTest, TheTestServicesOptionsDriveTheBehaviour) {
    ASSERT_EQ(pc1.AddService(TestService("Opt", "--start-ms 700 --stop-ms 50 --pause --no-stop")),
              0u);
    auto behaviour = pc1.EffectiveBehaviour("Opt");
    EXPECT_EQ(behaviour->startPendingMs, 700u);
    EXPECT_EQ(behaviour->stopPendingMs, 50u);
    EXPECT_TRUE(behaviour->acceptPause);
    EXPECT_FALSE(behaviour->acceptStop);
    // Other programs get the computer's default; unknown options make the test
    // service refuse to start.
    ServiceDefinition plain = TestService("Plain");
    plain.binaryPath = "C:\\Windows\\system32\\svchost.exe -k netsvcs";
    ASSERT_EQ(pc1.AddService(plain), 0u);
    EXPECT_EQ(pc1.EffectiveBehaviour("Plain")->startPendingMs, ServiceBehaviour{}.startPendingMs);
    ASSERT_EQ(pc1.AddService(TestService("Bad", "--frobnicate")), 0u);
    // As the real one: the start begins, then fails with 87.
    ASSERT_EQ(Start("Bad"), kErrorSuccess);
    EXPECT_EQ(StateOf(pc1, "Bad"), kServiceStartPending);
    network.Advance(testsvc::kBadOptionsPendingMs);
    EXPECT_EQ(StateOf(pc1, "Bad"), kServiceStopped);
    EXPECT_EQ(pc1.Status("Bad")->win32ExitCode, kErrorInvalidParameter);
    // A service created through the interface reads the same options.
    {
        auto manager = OpenManager(platform);
        ServiceManagerApi::CreateArgs args;
        args.serviceName = "Created";
        args.binaryPathName =
            "\"C:\\Tests\\VtlTestSvc.exe\" --start-ms 300 --fail-start --exit-code 5";
        auto created = platform.CreateService(manager, args);
        ASSERT_EQ(created.error, kErrorSuccess);
        ASSERT_EQ(platform.StartService(created.handle, {}), kErrorSuccess);
        network.Advance(299);
        EXPECT_EQ(StateOf(pc1, "Created"), kServiceStartPending);
        network.Advance(1);
        EXPECT_EQ(pc1.Status("Created")->win32ExitCode, 5u);
    }
    // A program that never connects keeps StartService waiting, then 1053.
    ServiceBehaviour silent;
    silent.noDispatcher = true;
    ASSERT_TRUE(pc1.SetBehaviour("Plain", silent));
    const auto before = network.Now();
    EXPECT_EQ(Start("Plain"), kErrorServiceRequestTimeout);
    EXPECT_EQ(network.Now() - before, kServiceStartTimeoutMs);
    EXPECT_EQ(StateOf(pc1, "Plain"), kServiceStopped);
}

}  // namespace
}  // namespace vtl::sim
