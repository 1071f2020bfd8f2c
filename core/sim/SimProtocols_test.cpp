// The two-call sizing protocols over the simulation, through the program's own
// routines of core/ServiceCalls.h.

#include <gtest/gtest.h>

#include "core/ServiceCalls.h"
#include "core/sim/SimNetwork.h"
#include "core/sim/SimTestSupport.h"

namespace vtl::sim {
namespace {

using testing::OpenManager;
using testing::OpenSvc;
using testing::TestService;

class SimProtocolsTest : public ::testing::Test, protected testing::TwoComputers {};

TEST_F(SimProtocolsTest, DescriptionSizeIsThePointerPlusTheText) {
    ServiceDefinition definition = TestService("Described");
    definition.description = "Does work";  // 9 units
    ASSERT_EQ(pc1.AddService(definition), 0u);
    ASSERT_EQ(pc1.AddService(TestService("Bare")), 0u);
    auto manager = OpenManager(platform);
    auto described = OpenSvc(platform, manager, "Described", kServiceQueryConfig);
    auto sizing = platform.QueryServiceDescription(described, 0);
    EXPECT_EQ(sizing.error, kErrorInsufficientBuffer);
    EXPECT_EQ(sizing.bytesNeeded, 8u + 20u);
    auto full = platform.QueryServiceDescription(described, sizing.bytesNeeded);
    EXPECT_EQ(full.error, kErrorSuccess);
    EXPECT_EQ(full.description, "Does work");
    auto bare = OpenSvc(platform, manager, "Bare", kServiceQueryConfig);
    EXPECT_EQ(platform.QueryServiceDescription(bare, 0).bytesNeeded, 8u);
    EXPECT_EQ(platform.QueryServiceDescription(bare, 8).description, "");
}

TEST_F(SimProtocolsTest, EnumerationAsksForMoreDataThenListsByNameWithoutRegardToCase) {
    for (const char* name : {"gamma", "Alpha", "beta"})
        ASSERT_EQ(pc1.AddService(TestService(name)), 0u);
    ServiceDefinition driver = TestService("Driver");
    driver.serviceType = kServiceKernelDriver;
    driver.startType = kServiceSystemStart;
    driver.state = kServiceRunning;
    ASSERT_EQ(pc1.AddService(driver), 0u);
    ASSERT_EQ(pc1.ForceState("beta", kServiceRunning), 0u);

    auto manager = OpenManager(platform, "\\\\PC1", kScManagerEnumerateService);
    auto sizing = platform.EnumServicesStatus(manager, kServiceWin32, kServiceStateAll, 0);
    EXPECT_EQ(sizing.error, kErrorMoreData);
    EXPECT_TRUE(sizing.entries.empty());
    // Each entry: 48 + (name + 1) * 2 + (display + 1) * 2.
    auto bytes = [](std::string_view name) {
        return 48u + 2u * static_cast<std::uint32_t>(name.size() + 1) +
               2u * static_cast<std::uint32_t>(name.size() + 5 + 1);
    };
    EXPECT_EQ(sizing.bytesNeeded, bytes("Alpha") + bytes("beta") + bytes("gamma"));
    EXPECT_EQ(
        platform.EnumServicesStatus(manager, kServiceWin32, kServiceStateAll, sizing.bytesNeeded)
            .entries.size(),
        3u);

    auto read = EnumerateServices(platform, manager, kServiceWin32, kServiceStateAll);
    ASSERT_TRUE(read.ok());
    std::vector<std::string> names;
    for (const auto& entry : read.entries)
        names.push_back(entry.serviceName);
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    EXPECT_EQ(read.entries[1].displayName, "Test beta");
    EXPECT_EQ(read.entries[1].status.currentState, kServiceRunning);

    auto active = EnumerateServices(platform, manager, kServiceWin32, kServiceActive);
    ASSERT_EQ(active.entries.size(), 1u);
    auto drivers =
        platform.EnumServicesStatus(manager, kServiceKernelDriver, kServiceStateAll, 4096);
    ASSERT_EQ(drivers.entries.size(), 1u);
    EXPECT_EQ(drivers.entries[0].serviceName, "Driver");

    // A buffer that holds two entries gets them, with more data for the third.
    auto partial = platform.EnumServicesStatus(manager, kServiceWin32, kServiceStateAll,
                                               bytes("Alpha") + bytes("beta") + 10);
    EXPECT_EQ(partial.error, kErrorMoreData);
    ASSERT_EQ(partial.entries.size(), 2u);
    EXPECT_EQ(partial.bytesNeeded, bytes("gamma"));

    EXPECT_EQ(platform.EnumServicesStatus(manager, 0, kServiceStateAll, 0).error,
              kErrorInvalidParameter);
    EXPECT_EQ(platform.EnumServicesStatus(manager, kServiceWin32, 4, 0).error,
              kErrorInvalidParameter);
}

}  // namespace
}  // namespace vtl::sim
