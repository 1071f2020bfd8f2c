// Windows' rules that Wine 8 does not reproduce: those WINE.md lists
// (dependencies and dependents, unknown hosts, starts of services marked for
// delete, Windows' own message texts, accounts, shares), a computer that
// refuses access, and the differences this suite found (the order of the
// listing, opening a service marked for delete, controls sent to a starting
// service, the type of ImagePath, display names that are service names). Each
// test names the behaviour it needs; a backend that lacks it skips the test
// with the reason (ContractBackend.h). The simulation runs them all.

#include <algorithm>
#include <functional>

#include "core/RegistryNames.h"
#include "core/ServiceCalls.h"
#include "core/contract/ContractTest.h"

namespace vtl::contract {
namespace {

// Three test services in a chain and one beside it: Top needs Middle needs
// Base; Side needs Base. Removed at the end with the dependents first.
class Chain {
  public:
    using MakeGuard =
        std::function<std::unique_ptr<vtl::testing::ServiceGuard>(const std::string&)>;

    Chain(Platform& platform, const ScManagerHandle& manager, Backend& backend,
          const MakeGuard& makeGuard)
        : platform_(platform),
          manager_(manager),
          base(backend.UniqueName("VtlCtBase")),
          middle(backend.UniqueName("VtlCtMiddle")),
          top(backend.UniqueName("VtlCtTop")),
          side(backend.UniqueName("VtlCtSide")) {
        const std::string folder = backend.TestServiceFolder();
        Add(makeGuard, folder, base, "--start-ms 100", {});
        Add(makeGuard, folder, middle, "--start-ms 50", {base});
        Add(makeGuard, folder, top, "", {middle});
        Add(makeGuard, folder, side, "", {base});
    }
    ~Chain() {
        while (!guards_.empty())
            guards_.pop_back();
    }
    Chain(const Chain&) = delete;
    Chain& operator=(const Chain&) = delete;

    ServiceHandle Open(const std::string& name) {
        auto [handle, error] = platform_.OpenService(manager_, name, kServiceAllAccess);
        EXPECT_EQ(error, kErrorSuccess) << name;
        return std::move(handle);
    }

  private:
    Platform& platform_;
    const ScManagerHandle& manager_;
    std::vector<std::unique_ptr<vtl::testing::ServiceGuard>> guards_;

  public:
    const std::string base, middle, top, side;

  private:
    void Add(const MakeGuard& makeGuard, const std::string& folder, const std::string& name,
             const std::string& options, std::vector<std::string> dependencies) {
        guards_.push_back(makeGuard(name));
        ServiceManagerApi::CreateArgs args;
        args.serviceName = name;
        args.displayName = "Vantrel Contract " + name;
        args.binaryPathName = vtl::testing::TestServiceCommand(folder, options);
        args.dependencies = std::move(dependencies);
        auto created = platform_.CreateService(manager_, args);
        EXPECT_EQ(created.error, kErrorSuccess) << name;
    }
};

TEST_P(BeyondWineContract, DependenciesAreStoredAndReadBack) {
    VTL_REQUIRE_BEHAVIOUR(Behaviour::DependenciesStored);
    Chain chain(platform(), manager(), backend(),
                [this](const std::string& n) { return Guard(n); });
    ServiceHandle top = chain.Open(chain.top);
    const auto read = GetServiceConfig(platform(), top);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.config->dependencies, std::vector<std::string>{chain.middle});
    // Changed, with a group among them, and emptied again.
    ServiceManagerApi::ConfigChange change;
    change.dependencies = std::vector<std::string>{chain.base, "+VtlContractGroup"};
    ASSERT_EQ(platform().ChangeServiceConfig(top, change), kErrorSuccess);
    EXPECT_EQ(GetServiceConfig(platform(), top).config->dependencies,
              (std::vector<std::string>{chain.base, "+VtlContractGroup"}));
    change.dependencies = std::vector<std::string>{};
    ASSERT_EQ(platform().ChangeServiceConfig(top, change), kErrorSuccess);
    EXPECT_TRUE(GetServiceConfig(platform(), top).config->dependencies.empty());
}

TEST_P(BeyondWineContract, DependentsAreListedInTheReverseOfTheStartOrder) {
    VTL_REQUIRE_BEHAVIOUR(Behaviour::DependentsListed);
    Chain chain(platform(), manager(), backend(),
                [this](const std::string& n) { return Guard(n); });
    ServiceHandle base = chain.Open(chain.base);
    const auto read = EnumerateDependents(platform(), base, kServiceStateAll);
    EXPECT_EQ(read.firstError, kErrorMoreData);
    ASSERT_TRUE(read.ok());
    std::vector<std::string> names;
    for (const auto& entry : read.entries)
        names.push_back(entry.serviceName);
    ASSERT_EQ(names.size(), 3u);
    auto at = [&](const std::string& name) {
        return std::find(names.begin(), names.end(), name) - names.begin();
    };
    // Each dependent before the service it depends on: Top before Middle.
    EXPECT_LT(at(chain.top), at(chain.middle));
    EXPECT_LT(at(chain.side), 3);
    EXPECT_LT(at(chain.middle), 3);
    // Only stopped ones so far; none active.
    const auto active = EnumerateDependents(platform(), base, kServiceActive);
    EXPECT_EQ(active.firstError, kErrorSuccess);
    EXPECT_TRUE(active.entries.empty());
    // A service nothing depends on.
    ServiceHandle top = chain.Open(chain.top);
    const auto none = EnumerateDependents(platform(), top, kServiceStateAll);
    EXPECT_EQ(none.firstError, kErrorSuccess);
    EXPECT_TRUE(none.entries.empty());
}

TEST_P(BeyondWineContract, AStartStartsStoppedDependenciesFirst) {
    VTL_REQUIRE_BEHAVIOUR(Behaviour::DependenciesStartFirst);
    Chain chain(platform(), manager(), backend(),
                [this](const std::string& n) { return Guard(n); });
    ServiceHandle top = chain.Open(chain.top);
    ServiceHandle middle = chain.Open(chain.middle);
    ServiceHandle base = chain.Open(chain.base);
    ServiceHandle side = chain.Open(chain.side);
    ASSERT_EQ(platform().StartService(top, {}), kErrorSuccess);
    // The call returns once the dependencies run.
    EXPECT_EQ(StateOf(base), kServiceRunning);
    EXPECT_EQ(StateOf(middle), kServiceRunning);
    ServiceStatus status;
    ASSERT_TRUE(WaitFor(top, {kServiceRunning}, status)) << status.currentState;
    EXPECT_EQ(StateOf(side), kServiceStopped);
}

TEST_P(BeyondWineContract, ADisabledDependencyFailsTheStartWith1068) {
    VTL_REQUIRE_BEHAVIOUR(Behaviour::DependenciesStartFirst);
    Chain chain(platform(), manager(), backend(),
                [this](const std::string& n) { return Guard(n); });
    ServiceHandle base = chain.Open(chain.base);
    ServiceManagerApi::ConfigChange change;
    change.startType = kServiceDisabled;
    ASSERT_EQ(platform().ChangeServiceConfig(base, change), kErrorSuccess);
    ServiceHandle top = chain.Open(chain.top);
    EXPECT_EQ(platform().StartService(top, {}), kErrorServiceDependencyFail);
    EXPECT_EQ(StateOf(top), kServiceStopped);
    EXPECT_EQ(StateOf(base), kServiceStopped);
}

TEST_P(BeyondWineContract, AStopWithRunningDependentsGives1051) {
    VTL_REQUIRE_BEHAVIOUR(Behaviour::DependentsBlockStop);
    Chain chain(platform(), manager(), backend(),
                [this](const std::string& n) { return Guard(n); });
    ServiceHandle base = chain.Open(chain.base);
    ServiceHandle side = chain.Open(chain.side);
    ASSERT_EQ(platform().StartService(side, {}), kErrorSuccess);
    ServiceStatus status;
    ASSERT_TRUE(WaitFor(side, {kServiceRunning}, status)) << status.currentState;
    ASSERT_EQ(StateOf(base), kServiceRunning);

    EXPECT_EQ(platform().ControlService(base, kServiceControlStop, status),
              kErrorDependentServicesRunning);
    EXPECT_EQ(StateOf(base), kServiceRunning);
    // Once the dependent is stopped the service stops.
    ASSERT_EQ(platform().ControlService(side, kServiceControlStop, status), kErrorSuccess);
    ASSERT_TRUE(WaitFor(side, {kServiceStopped}, status)) << status.currentState;
    EXPECT_EQ(platform().ControlService(base, kServiceControlStop, status), kErrorSuccess);
    ASSERT_TRUE(WaitFor(base, {kServiceStopped}, status)) << status.currentState;
}

TEST_P(BeyondWineContract, AHostThatDoesNotAnswerGives1722) {
    VTL_REQUIRE_BEHAVIOUR(Behaviour::UnknownHostRefused);
    for (const std::string machine : {"\\\\VTLNOSUCHHOST", "VTLNOSUCHHOST"}) {
        auto [handle, error] = platform().OpenSCManager(machine, kScManagerConnect);
        EXPECT_FALSE(handle) << machine;
        EXPECT_EQ(error, kRpcServerUnavailable) << machine;
    }
    // The start library's thread ends with the same code.
    auto [thread, error] = platform().VTLStartService("Spooler", "\\\\VTLNOSUCHHOST", std::nullopt);
    ASSERT_TRUE(thread) << error;
    std::uint32_t code = kStillActive;
    const std::uint64_t end = platform().TickCount() + 60000;
    while ((code = platform().GetExitCodeThread(thread).code) == kStillActive &&
           platform().TickCount() < end)
        platform().Sleep(50);
    EXPECT_EQ(code, kRpcServerUnavailable);
}

TEST_P(BeyondWineContract, AServiceMarkedForDeleteDoesNotStart) {
    VTL_REQUIRE_BEHAVIOUR(Behaviour::MarkedServiceRefusesStart);
    const std::string name = backend().UniqueName("VtlCtMarkedStart");
    const auto guard = Guard(name);
    ServiceHandle service = Create(name, "");
    ASSERT_TRUE(service);
    ASSERT_EQ(platform().DeleteService(service), kErrorSuccess);
    EXPECT_EQ(platform().StartService(service, {}), kErrorServiceMarkedForDelete);
    EXPECT_EQ(StateOf(service), kServiceStopped);
}

TEST_P(BeyondWineContract, AComputerThatRefusesAccessGives5ForEveryRight) {
    VTL_REQUIRE_BEHAVIOUR(Behaviour::ComputerDeniesAccess);
    const auto computer = backend().ComputerDenyingAccess();
    ASSERT_TRUE(computer.has_value());
    for (const std::uint32_t access : {kScManagerConnect, kScManagerEnumerateService,
                                       kGenericRead | kScManagerConnect, kScManagerAllAccess}) {
        auto [handle, error] = platform().OpenSCManager("\\\\" + *computer, access);
        EXPECT_FALSE(handle) << access;
        EXPECT_EQ(error, kErrorAccessDenied) << access;
    }
    // The local computer still answers.
    auto [local, localError] = platform().OpenSCManager("", kScManagerEnumerateService);
    EXPECT_TRUE(local) << localError;
}

TEST_P(BeyondWineContract, MessageTextsAreWordedAsWindowsWordsThem) {
    VTL_REQUIRE_BEHAVIOUR(Behaviour::WindowsMessageWording);
    EXPECT_EQ(platform().FormatMessage(kErrorAccessDenied), "Access is denied.\r\n");
    EXPECT_EQ(platform().FormatMessage(kErrorServiceDoesNotExist),
              "The specified service does not exist as an installed service.\r\n");
    EXPECT_EQ(platform().FormatMessage(kErrorServiceMarkedForDelete),
              "The specified service has been marked for deletion.\r\n");
    EXPECT_EQ(platform().FormatMessage(kErrorDependentServicesRunning),
              "A stop control has been sent to a service that other running services are "
              "dependent on.\r\n");
}

TEST_P(BeyondWineContract, ServicesAreListedByNameWithoutRegardToCase) {
    VTL_REQUIRE_BEHAVIOUR(Behaviour::EnumerationSortedByName);
    // Created out of order, with names that sort differently with and without
    // regard to case.
    const std::vector<std::string> names = {backend().UniqueName("VTLCTSORTc"),
                                            backend().UniqueName("vtlctsorta"),
                                            backend().UniqueName("VtlCtSortB")};
    std::vector<std::unique_ptr<vtl::testing::ServiceGuard>> guards;
    for (const auto& name : names) {
        guards.push_back(Guard(name));
        ASSERT_TRUE(Create(name, ""));
    }
    const auto read = EnumerateServices(platform(), manager(), kServiceWin32, kServiceStateAll);
    ASSERT_TRUE(read.ok());
    std::vector<std::string> listed;
    for (const auto& entry : read.entries)
        listed.push_back(entry.serviceName);
    const auto upper = [](std::string text) {
        for (auto& c : text)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        return text;
    };
    EXPECT_TRUE(std::is_sorted(
        listed.begin(), listed.end(),
        [&](const std::string& a, const std::string& b) { return upper(a) < upper(b); }))
        << ::testing::PrintToString(listed);
    std::vector<std::string> ours;
    for (const auto& name : listed)
        if (std::find(names.begin(), names.end(), name) != names.end()) ours.push_back(name);
    EXPECT_EQ(ours, (std::vector<std::string>{names[1], names[2], names[0]}));
}

TEST_P(BeyondWineContract, OpeningAServiceMarkedForDeleteGives1072) {
    VTL_REQUIRE_BEHAVIOUR(Behaviour::MarkedServiceRefusesOpen);
    const std::string name = backend().UniqueName("VtlCtMarkedOpen");
    const auto guard = Guard(name);
    ServiceHandle service = Create(name, "");
    ASSERT_TRUE(service);
    ASSERT_EQ(platform().DeleteService(service), kErrorSuccess);
    auto [again, againError] = platform().OpenService(manager(), name, kServiceQueryStatus);
    EXPECT_FALSE(again);
    EXPECT_EQ(againError, kErrorServiceMarkedForDelete);
    // The handle it was deleted through still answers.
    EXPECT_EQ(StateOf(service), kServiceStopped);
}

TEST_P(BeyondWineContract, AControlSentToAStartingServiceGives1061) {
    VTL_REQUIRE_BEHAVIOUR(Behaviour::StartPendingRefusesControls);
    const std::string name = backend().UniqueName("VtlCtStarting");
    const auto guard = Guard(name);
    ServiceHandle service = Create(name, "--start-ms 400");
    ASSERT_TRUE(service);
    ASSERT_EQ(platform().StartService(service, {}), kErrorSuccess);
    ServiceStatus status;
    EXPECT_EQ(platform().ControlService(service, kServiceControlStop, status),
              kErrorServiceCannotAcceptCtrl);
    ASSERT_TRUE(WaitFor(service, {kServiceRunning}, status)) << status.currentState;
}

TEST_P(BeyondWineContract, AServicesImagePathIsAnExpandableString) {
    VTL_REQUIRE_BEHAVIOUR(Behaviour::ImagePathExpandable);
    const std::string name = backend().UniqueName("VtlCtImagePath");
    const auto guard = Guard(name);
    ASSERT_TRUE(Create(name, ""));
    auto [key, error] = platform().RegOpenKeyEx(LocalMachineKey(), ServiceKeyPath(name), kKeyRead);
    ASSERT_TRUE(key) << error;
    const auto image = platform().RegQueryValueEx(key, "ImagePath", 4096);
    ASSERT_EQ(image.error, kErrorSuccess);
    EXPECT_EQ(image.type, kRegExpandSz);
}

TEST_P(BeyondWineContract, ADisplayNameThatIsAnotherServicesNameGives1078) {
    // Display names and service names share one name space.
    VTL_REQUIRE_BEHAVIOUR(Behaviour::DisplayNameNotAServiceName);
    const std::string name = backend().UniqueName("VtlCtNamed");
    const std::string other = backend().UniqueName("VtlCtTaken");
    const auto guard = Guard(name);
    const auto otherGuard = Guard(other);
    ServiceHandle service = Create(name, "");
    ASSERT_TRUE(service);
    ASSERT_TRUE(Create(other, ""));
    ServiceManagerApi::ConfigChange change;
    change.displayName = other;
    EXPECT_EQ(platform().ChangeServiceConfig(service, change), kErrorDuplicateServiceName);
    EXPECT_EQ(GetServiceConfig(platform(), service).config->displayName,
              "Vantrel Contract " + name);
    ServiceManagerApi::CreateArgs args;
    args.serviceName = backend().UniqueName("VtlCtNeverMade");
    args.displayName = other;
    args.binaryPathName = Command("");
    EXPECT_EQ(platform().CreateService(manager(), args).error, kErrorDuplicateServiceName);
}

TEST_P(BeyondWineContract, WellKnownAccountsHaveWindowsSids) {
    VTL_REQUIRE_BEHAVIOUR(Behaviour::WindowsAccounts);
    const auto system = platform().LookupAccountName("", "NT AUTHORITY\\SYSTEM");
    ASSERT_EQ(system.error, kErrorSuccess);
    EXPECT_EQ(system.sid, (std::vector<std::uint8_t>{1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0}));
    const auto administrators = platform().LookupAccountName("", "Administrators");
    ASSERT_EQ(administrators.error, kErrorSuccess);
    EXPECT_EQ(administrators.sid,
              (std::vector<std::uint8_t>{1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 2, 0, 0}));
    EXPECT_EQ(administrators.use, 4u);  // SidTypeAlias
}

TEST_P(BeyondWineContract, TheAdministrativeSharesAreListed) {
    VTL_REQUIRE_BEHAVIOUR(Behaviour::AdministrativeShares);
    const auto list = platform().NetShareEnum(UncLocal());
    ASSERT_EQ(list.error, kErrorSuccess);
    for (const std::string name : {"C$", "ADMIN$", "IPC$"}) {
        const auto found = std::find_if(list.shares.begin(), list.shares.end(),
                                        [&](const auto& share) { return share.netName == name; });
        ASSERT_NE(found, list.shares.end()) << name;
        EXPECT_NE(found->type & kStypeSpecial, 0u) << name;
    }
}

}  // namespace
}  // namespace vtl::contract
