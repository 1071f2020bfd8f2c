// Windows' rules that Wine 8 does not reproduce: those WINE.md lists
// (dependencies and dependents, unknown hosts, starts of services marked for
// delete, Windows' own message texts, accounts, shares), a computer that
// refuses access, and the differences this suite found (the order of the
// listing, opening a service marked for delete, controls sent to a starting
// service, the type of ImagePath, display names that are service names). Each
// test names the behaviour it needs; a backend that lacks it skips the test
// with the reason (ContractBackend.h). The simulation runs them all.

#include <algorithm>

#include "core/RegistryNames.h"
#include "core/ServiceCalls.h"
#include "core/contract/ContractTest.h"

namespace vtl::contract {

BeyondWineContract::Chain BeyondWineContract::MakeChain() {
    // The fixture removes them in the reverse order: the dependents first.
    auto make = [this](std::string_view stem, const std::string& options,
                       std::vector<std::string> dependencies) {
        ServiceManagerApi::CreateArgs args;
        args.serviceName = Name(stem);
        args.displayName = "Vantrel Contract " + args.serviceName;
        args.binaryPathName = Command(options);
        args.dependencies = std::move(dependencies);
        EXPECT_EQ(platform().CreateService(manager(), args).error, kErrorSuccess) << stem;
        return args.serviceName;
    };
    Chain chain;
    chain.base = make("VtlCtBase", "--start-ms 100", {});
    chain.middle = make("VtlCtMiddle", "--start-ms 50", {chain.base});
    chain.top = make("VtlCtTop", "", {chain.middle});
    chain.side = make("VtlCtSide", "", {chain.base});
    return chain;
}

ServiceHandle BeyondWineContract::Open(const std::string& name) {
    auto [handle, error] = platform().OpenService(manager(), name, kServiceAllAccess);
    EXPECT_EQ(error, kErrorSuccess) << name;
    return std::move(handle);
}

namespace {

TEST_P(BeyondWineContract, DependenciesAreStoredAndReadBack) {
    VTL_REQUIRE_BEHAVIOUR(Behaviour::DependenciesStored);
    const Chain chain = MakeChain();
    ServiceHandle top = Open(chain.top);
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
    const Chain chain = MakeChain();
    ServiceHandle base = Open(chain.base);
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
    ServiceHandle top = Open(chain.top);
    const auto none = EnumerateDependents(platform(), top, kServiceStateAll);
    EXPECT_EQ(none.firstError, kErrorSuccess);
    EXPECT_TRUE(none.entries.empty());
}

TEST_P(BeyondWineContract, AStartStartsStoppedDependenciesFirst) {
    VTL_REQUIRE_BEHAVIOUR(Behaviour::DependenciesStartFirst);
    const Chain chain = MakeChain();
    ServiceHandle top = Open(chain.top);
    ServiceHandle middle = Open(chain.middle);
    ServiceHandle base = Open(chain.base);
    ServiceHandle side = Open(chain.side);
    ASSERT_EQ(platform().StartService(top, {}), kErrorSuccess);
    // The call returns once the dependencies run.
    EXPECT_EQ(StateOf(base), kServiceRunning);
    EXPECT_EQ(StateOf(middle), kServiceRunning);
    ASSERT_TRUE(Reach(top, kServiceRunning));
    EXPECT_EQ(StateOf(side), kServiceStopped);
}

TEST_P(BeyondWineContract, ADisabledDependencyFailsTheStartWith1068) {
    VTL_REQUIRE_BEHAVIOUR(Behaviour::DependenciesStartFirst);
    const Chain chain = MakeChain();
    ServiceHandle base = Open(chain.base);
    ServiceManagerApi::ConfigChange change;
    change.startType = kServiceDisabled;
    ASSERT_EQ(platform().ChangeServiceConfig(base, change), kErrorSuccess);
    ServiceHandle top = Open(chain.top);
    EXPECT_EQ(platform().StartService(top, {}), kErrorServiceDependencyFail);
    EXPECT_EQ(StateOf(top), kServiceStopped);
    EXPECT_EQ(StateOf(base), kServiceStopped);
}

TEST_P(BeyondWineContract, AStopWithRunningDependentsGives1051) {
    VTL_REQUIRE_BEHAVIOUR(Behaviour::DependentsBlockStop);
    const Chain chain = MakeChain();
    ServiceHandle base = Open(chain.base);
    ServiceHandle side = Open(chain.side);
    ASSERT_TRUE(Start(side));
    ASSERT_EQ(StateOf(base), kServiceRunning);
    ServiceStatus status;

    EXPECT_EQ(platform().ControlService(base, kServiceControlStop, status),
              kErrorDependentServicesRunning);
    EXPECT_EQ(StateOf(base), kServiceRunning);
    // Once the dependent is stopped the service stops.
    ASSERT_TRUE(Stop(side));
    EXPECT_TRUE(Stop(base));
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
    EXPECT_EQ(ExitCodeOf(thread, 60000), kRpcServerUnavailable);
}

TEST_P(BeyondWineContract, AServiceMarkedForDeleteDoesNotStart) {
    VTL_REQUIRE_BEHAVIOUR(Behaviour::MarkedServiceRefusesStart);
    const std::string name = Name("VtlCtMarkedStart");
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
    const std::vector<std::string> names = {Name("VTLCTSORTc"), Name("vtlctsorta"),
                                            Name("VtlCtSortB")};
    for (const auto& name : names)
        ASSERT_TRUE(Create(name, ""));
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
    const std::string name = Name("VtlCtMarkedOpen");
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
    const std::string name = Name("VtlCtStarting");
    ServiceHandle service = Create(name, "--start-ms 400");
    ASSERT_TRUE(service);
    ASSERT_EQ(platform().StartService(service, {}), kErrorSuccess);
    ServiceStatus status;
    EXPECT_EQ(platform().ControlService(service, kServiceControlStop, status),
              kErrorServiceCannotAcceptCtrl);
    EXPECT_TRUE(Reach(service, kServiceRunning));
}

TEST_P(BeyondWineContract, AServicesImagePathIsAnExpandableString) {
    VTL_REQUIRE_BEHAVIOUR(Behaviour::ImagePathExpandable);
    const std::string name = Name("VtlCtImagePath");
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
    const std::string name = Name("VtlCtNamed");
    const std::string other = Name("VtlCtTaken");
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
