// The service manager as every backend must offer it: opening, access masks,
// enumeration, configuration, descriptions, deletion.

#include <algorithm>
#include <set>
#include <tuple>

#include "core/ServiceCalls.h"
#include "core/contract/ContractTest.h"

namespace vtl::contract {
namespace {

// Bytes of a UTF-16 copy of a UTF-8 text with its terminator.
std::uint32_t Utf16Bytes(std::string_view utf8) {
    std::uint32_t units = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        units += length == 4 ? 2 : 1;
        i += length;
    }
    return (units + 1) * 2;
}

const EnumServiceStatus* FindEntry(const std::vector<EnumServiceStatus>& entries,
                                   const std::string& name) {
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [&](const auto& entry) { return entry.serviceName == name; });
    return found == entries.end() ? nullptr : &*found;
}

TEST_P(ServiceManagerContract, TheManagerOpensByTheOwnNameInEveryFormAndUnknownServicesGive1060) {
    for (const std::string& machine : {UncLocal(), backend().LocalMachine(), std::string()}) {
        SCOPED_TRACE("machine \"" + machine + "\"");
        auto [handle, error] = platform().OpenSCManager(machine, kScManagerConnect);
        EXPECT_EQ(error, kErrorSuccess);
        EXPECT_TRUE(handle);
        auto [service, serviceError] =
            platform().OpenService(handle, "VtlNoSuchService", kServiceQueryStatus);
        EXPECT_FALSE(service);
        EXPECT_EQ(serviceError, kErrorServiceDoesNotExist);
    }
}

TEST_P(ServiceManagerContract, EveryCallNeedsTheRightItsHandleWasOpenedWith) {
    const std::string name = Name("VtlCtAccess");
    ASSERT_TRUE(Create(name, "--pause"));

    auto [connectOnly, connectError] = platform().OpenSCManager("", kScManagerConnect);
    ASSERT_TRUE(connectOnly) << connectError;
    EXPECT_EQ(platform().EnumServicesStatus(connectOnly, kServiceWin32, kServiceStateAll, 0).error,
              kErrorAccessDenied);
    ServiceManagerApi::CreateArgs args;
    args.serviceName = backend().UniqueName("VtlCtNeverMade");
    args.displayName = args.serviceName;
    args.binaryPathName = Command("");
    EXPECT_EQ(platform().CreateService(connectOnly, args).error, kErrorAccessDenied);
    // GENERIC_READ includes the right to enumerate.
    auto [reader, readerError] = platform().OpenSCManager("", kGenericRead | kScManagerConnect);
    ASSERT_TRUE(reader) << readerError;
    EXPECT_EQ(platform().EnumServicesStatus(reader, kServiceWin32, kServiceStateAll, 0).error,
              kErrorMoreData);

    // A handle that may only query the configuration.
    auto [configOnly, configError] = platform().OpenService(connectOnly, name, kServiceQueryConfig);
    ASSERT_TRUE(configOnly) << configError;
    ServiceStatus status;
    EXPECT_EQ(platform().QueryServiceStatus(configOnly, status), kErrorAccessDenied);
    EXPECT_TRUE(GetServiceConfig(platform(), configOnly).ok());

    // A handle that may only query the status.
    auto [statusOnly, statusError] = platform().OpenService(connectOnly, name, kServiceQueryStatus);
    ASSERT_TRUE(statusOnly) << statusError;
    EXPECT_EQ(platform().QueryServiceStatus(statusOnly, status), kErrorSuccess);
    EXPECT_EQ(status.currentState, kServiceStopped);
    EXPECT_EQ(platform().QueryServiceConfig(statusOnly, 0).error, kErrorAccessDenied);
    EXPECT_EQ(platform().QueryServiceDescription(statusOnly, 0).error, kErrorAccessDenied);
    EXPECT_EQ(platform().StartService(statusOnly, {}), kErrorAccessDenied);
    EXPECT_EQ(platform().ControlService(statusOnly, kServiceControlStop, status),
              kErrorAccessDenied);
    EXPECT_EQ(platform().ControlService(statusOnly, kServiceControlPause, status),
              kErrorAccessDenied);
    EXPECT_EQ(platform().ChangeServiceConfig(statusOnly, {}), kErrorAccessDenied);
    EXPECT_EQ(platform().ChangeServiceDescription(statusOnly, "x"), kErrorAccessDenied);
    EXPECT_EQ(platform().DeleteService(statusOnly), kErrorAccessDenied);
    // Nothing of that happened.
    EXPECT_EQ(StateOf(statusOnly), kServiceStopped);
    auto [check, checkError] = platform().OpenService(manager(), name, kServiceQueryStatus);
    EXPECT_TRUE(check) << checkError;
}

TEST_P(ServiceManagerContract, EnumerationAsksForRoomThenListsEveryService) {
    const std::vector<std::string> names = {Name("VTLCTENUMc"), Name("vtlctenuma"),
                                            Name("VtlCtEnumB")};
    std::vector<ServiceHandle> services;
    for (const auto& name : names) {
        services.push_back(Create(name, ""));
        ASSERT_TRUE(services.back());
    }
    ASSERT_TRUE(Start(services[2]));

    // x64 layout of ENUM_SERVICE_STATUSW on both backends.
    EXPECT_EQ(platform().EnumRecordSize(), 48u);
    const auto first = platform().EnumServicesStatus(manager(), kServiceWin32, kServiceStateAll, 0);
    EXPECT_EQ(first.error, kErrorMoreData);
    EXPECT_TRUE(first.entries.empty());

    const auto read = EnumerateServices(platform(), manager(), kServiceWin32, kServiceStateAll);
    ASSERT_TRUE(read.ok()) << read.firstError << " " << read.error;
    std::uint32_t bytes = 0;
    std::set<std::string> seen;
    for (const auto& entry : read.entries) {
        bytes += 48 + Utf16Bytes(entry.serviceName) + Utf16Bytes(entry.displayName);
        EXPECT_TRUE(seen.insert(entry.serviceName).second) << entry.serviceName;
        EXPECT_NE(entry.status.serviceType & kServiceWin32, 0u) << entry.serviceName;
    }
    // The sizing call asked for at least the room the entries take.
    EXPECT_GE(first.bytesNeeded, bytes);

    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto* entry = FindEntry(read.entries, names[i]);
        ASSERT_NE(entry, nullptr) << names[i];
        EXPECT_EQ(
            std::tie(entry->displayName, entry->status.serviceType, entry->status.currentState),
            std::make_tuple("Vantrel Contract " + names[i], kServiceWin32OwnProcess,
                            i == 2 ? kServiceRunning : kServiceStopped));
    }

    // Active and inactive services apart.
    const auto active = EnumerateServices(platform(), manager(), kServiceWin32, kServiceActive);
    ASSERT_TRUE(active.ok());
    EXPECT_NE(FindEntry(active.entries, names[2]), nullptr);
    EXPECT_EQ(FindEntry(active.entries, names[0]), nullptr);
    const auto inactive = EnumerateServices(platform(), manager(), kServiceWin32, kServiceInactive);
    ASSERT_TRUE(inactive.ok());
    EXPECT_EQ(FindEntry(inactive.entries, names[2]), nullptr);
    EXPECT_NE(FindEntry(inactive.entries, names[0]), nullptr);
}

TEST_P(ServiceManagerContract, EveryFieldOfTheConfigurationRoundTripsThroughCreateService) {
    struct Case {
        std::string stem;
        std::uint32_t serviceType;
        std::uint32_t startType;
        std::uint32_t errorControl;
        std::optional<std::string> group;
        bool wantTag;
        std::optional<std::string> account;
        std::string display;
        std::string options;
    };
    const std::vector<Case> cases = {
        {"VtlCtCfgManual", kServiceWin32OwnProcess, kServiceDemandStart, kServiceErrorNormal,
         std::nullopt, false, std::nullopt,
         "Vantrel Contract \xCE\xA9mega \xE2\x80\x93 \xC3\x9Cnic\xC3\xB6"
         "de \xE6\x9D\xB1\xE4\xBA\xAC",
         "--start-ms 10 --marker \"C:\\Some Folder\\m.txt\""},
        {"VtlCtCfgAuto", kServiceWin32OwnProcess | kServiceInteractiveProcess, kServiceAutoStart,
         kServiceErrorIgnore, std::string("VtlContractGroup"), true, std::string("LocalSystem"),
         "Vantrel Contract \"Quoted\" Auto", ""},
        {"VtlCtCfgOff", kServiceWin32OwnProcess, kServiceDisabled, kServiceErrorNormal,
         std::string(""), false, std::nullopt, "Vantrel Contract Disabled", "--pause --stop-ms 5"},
    };
    for (const auto& c : cases) {
        const std::string name = Name(c.stem);
        SCOPED_TRACE(name);
        ServiceManagerApi::CreateArgs args;
        args.serviceName = name;
        args.displayName = c.display;
        args.serviceType = c.serviceType;
        args.startType = c.startType;
        args.errorControl = c.errorControl;
        args.binaryPathName = Command(c.options);
        args.loadOrderGroup = c.group;
        args.wantTagId = c.wantTag;
        args.serviceStartName = c.account;
        auto created = platform().CreateService(manager(), args);
        ASSERT_EQ(created.error, kErrorSuccess);
        ASSERT_TRUE(created.handle);

        const auto read = GetServiceConfig(platform(), created.handle);
        EXPECT_EQ(read.sizingError, kErrorInsufficientBuffer);
        ASSERT_TRUE(read.ok()) << read.error;
        EXPECT_EQ(*read.config, (ServiceConfig{c.serviceType,
                                               c.startType,
                                               c.errorControl,
                                               args.binaryPathName,
                                               c.group.value_or(""),
                                               created.tagId,
                                               {},
                                               "LocalSystem",
                                               c.display}));
        if (!c.wantTag) {
            EXPECT_EQ(created.tagId, 0u);
        }

        // The room the sizing call asks for is exactly enough.
        const auto sizing = platform().QueryServiceConfig(created.handle, 0);
        ASSERT_EQ(sizing.error, kErrorInsufficientBuffer);
        EXPECT_EQ(platform().QueryServiceConfig(created.handle, sizing.bytesNeeded - 1).error,
                  kErrorInsufficientBuffer);
        EXPECT_EQ(platform().QueryServiceConfig(created.handle, sizing.bytesNeeded).error,
                  kErrorSuccess);

        // A second service of the name is refused, in any case.
        EXPECT_EQ(platform().CreateService(manager(), args).error, kErrorServiceExists);
        ServiceManagerApi::CreateArgs upper = args;
        for (auto& c : upper.serviceName)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        upper.displayName = c.display + " 2";
        EXPECT_EQ(platform().CreateService(manager(), upper).error, kErrorServiceExists);
        // Names are found without regard to case.
        auto [found, foundError] =
            platform().OpenService(manager(), upper.serviceName, kServiceQueryConfig);
        EXPECT_TRUE(found) << foundError;
    }
}

TEST_P(ServiceManagerContract, ChangeServiceConfigChangesExactlyWhatItIsGiven) {
    const std::string name = Name("VtlCtChange");
    const std::string other = Name("VtlCtOther");
    ServiceHandle service = Create(name, "--start-ms 10");
    ASSERT_TRUE(service);
    ASSERT_TRUE(Create(other, ""));
    const auto before = GetServiceConfig(platform(), service);
    ASSERT_TRUE(before.ok());
    ServiceConfig expected = *before.config;

    // Each change, then the whole configuration as expected by now (a refusal
    // changes nothing).
    auto change = [&](auto edit) {
        ServiceManagerApi::ConfigChange request;
        edit(request);
        const ErrorCode error = platform().ChangeServiceConfig(service, request);
        EXPECT_EQ(GetServiceConfig(platform(), service).config, expected);
        return error;
    };
    EXPECT_EQ(change([](auto&) {}), kErrorSuccess);  // every no-change value
    expected.displayName = "Vantrel Contract Ren\xC3\xA4med";
    EXPECT_EQ(change([](auto& r) { r.displayName = "Vantrel Contract Ren\xC3\xA4med"; }),
              kErrorSuccess);
    for (const std::uint32_t startType : {kServiceAutoStart, kServiceDisabled}) {
        expected.startType = startType;
        EXPECT_EQ(change([&](auto& r) { r.startType = startType; }), kErrorSuccess);
    }
    expected.binaryPathName = Command("--start-ms 20 --stop-ms 20");
    EXPECT_EQ(change([&](auto& r) { r.binaryPathName = Command("--start-ms 20 --stop-ms 20"); }),
              kErrorSuccess);

    // The logon: interaction with the desktop for Local System, another
    // account (the interactive bit is refused with it), Local System again.
    expected.serviceType = kServiceWin32OwnProcess | kServiceInteractiveProcess;
    EXPECT_EQ(change([](auto& r) {
                  r.serviceType = kServiceWin32OwnProcess | kServiceInteractiveProcess;
                  r.serviceStartName = "LocalSystem";
                  r.password = "";
              }),
              kErrorSuccess);
    EXPECT_EQ(change([](auto& r) { r.serviceStartName = "NT AUTHORITY\\LocalService"; }),
              kErrorInvalidParameter);
    expected.serviceType = kServiceWin32OwnProcess;
    expected.serviceStartName = "NT AUTHORITY\\LocalService";
    EXPECT_EQ(change([](auto& r) {
                  r.serviceType = kServiceWin32OwnProcess;
                  r.serviceStartName = "NT AUTHORITY\\LocalService";
                  r.password = "";
              }),
              kErrorSuccess);
    expected.serviceStartName = "LocalSystem";
    EXPECT_EQ(change([](auto& r) {
                  r.serviceStartName = "LocalSystem";
                  r.password = "";
              }),
              kErrorSuccess);

    // Refusals: another service's display name, a start type outside the
    // table, a boot or system start for a program.
    EXPECT_EQ(change([&](auto& r) { r.displayName = "Vantrel Contract " + other; }),
              kErrorDuplicateServiceName);
    for (const std::uint32_t startType : {9u, kServiceBootStart, kServiceSystemStart})
        EXPECT_EQ(change([&](auto& r) { r.startType = startType; }), kErrorInvalidParameter);
}

TEST_P(ServiceManagerContract, DescriptionsAreSetReadAndDeleted) {
    ServiceHandle service = Create(Name("VtlCtDescribe"), "");
    ASSERT_TRUE(service);

    const auto none = platform().QueryServiceDescription(service, 1024);
    EXPECT_EQ(none.error, kErrorSuccess);
    EXPECT_EQ(none.description, "");

    const std::string text =
        "Beschreibung \xE2\x80\x93 \xD0\xBE\xD0\xBF\xD0\xB8\xD1\x81 \xE2\x9C\x93 \"quoted\"";
    ASSERT_EQ(platform().ChangeServiceDescription(service, text), kErrorSuccess);
    const auto sizing = platform().QueryServiceDescription(service, 0);
    ASSERT_EQ(sizing.error, kErrorInsufficientBuffer);
    EXPECT_GE(sizing.bytesNeeded, Utf16Bytes(text));
    EXPECT_EQ(platform().QueryServiceDescription(service, sizing.bytesNeeded - 1).error,
              kErrorInsufficientBuffer);
    const auto read = platform().QueryServiceDescription(service, sizing.bytesNeeded);
    EXPECT_EQ(read.error, kErrorSuccess);
    EXPECT_EQ(read.description, text);

    ASSERT_EQ(platform().ChangeServiceDescription(service, ""), kErrorSuccess);
    EXPECT_EQ(platform().QueryServiceDescription(service, 1024).description, "");
    // The configuration is not touched by descriptions.
    EXPECT_TRUE(GetServiceConfig(platform(), service).ok());
}

TEST_P(ServiceManagerContract, DeletionIsMarkedUntilTheServiceIsStoppedAndItsHandlesClosed) {
    const std::string name = Name("VtlCtDelete");
    {
        ServiceHandle service = Create(name, "");
        ASSERT_TRUE(service);
        ASSERT_TRUE(Start(service));
        ServiceStatus status;
        auto [second, secondError] = platform().OpenService(manager(), name, kServiceQueryStatus);
        ASSERT_TRUE(second) << secondError;

        EXPECT_EQ(platform().DeleteService(service), kErrorSuccess);
        EXPECT_EQ(platform().DeleteService(service), kErrorServiceMarkedForDelete);
        // Open handles still work; the service is still listed.
        EXPECT_EQ(platform().QueryServiceStatus(second, status), kErrorSuccess);
        EXPECT_EQ(status.currentState, kServiceRunning);
        const auto listed =
            EnumerateServices(platform(), manager(), kServiceWin32, kServiceStateAll);
        ASSERT_TRUE(listed.ok());
        EXPECT_NE(FindEntry(listed.entries, name), nullptr);
        // Nor can a service of that name be made again yet.
        ServiceManagerApi::CreateArgs args;
        args.serviceName = name;
        args.displayName = name + " again";
        args.binaryPathName = Command("");
        EXPECT_EQ(platform().CreateService(manager(), args).error, kErrorServiceMarkedForDelete);

        // Stopped, it stays while a handle is open.
        ASSERT_TRUE(Stop(service));
        EXPECT_EQ(platform().QueryServiceStatus(second, status), kErrorSuccess);
    }
    // Stopped and every handle closed: gone (once the service's process has
    // ended, which takes a moment for a real one).
    ErrorCode goneError = kErrorSuccess;
    const std::uint64_t end = platform().TickCount() + kWaitMs;
    for (;;) {
        goneError = platform().OpenService(manager(), name, kServiceQueryStatus).error;
        if (goneError == kErrorServiceDoesNotExist || platform().TickCount() >= end) break;
        platform().Sleep(20);
    }
    EXPECT_EQ(goneError, kErrorServiceDoesNotExist);
    const auto listed = EnumerateServices(platform(), manager(), kServiceWin32, kServiceStateAll);
    ASSERT_TRUE(listed.ok());
    EXPECT_EQ(FindEntry(listed.entries, name), nullptr);
}

}  // namespace
}  // namespace vtl::contract
