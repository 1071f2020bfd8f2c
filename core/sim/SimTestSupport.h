#pragma once
// Small helpers shared by the simulation's own tests.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/sim/SimNetwork.h"

namespace vtl::sim::testing {

// A network of two computers, PC1 (local) and PC2, without services.
struct TwoComputers {
    SimNetwork network;
    SimComputer& pc1 = network.AddComputer("PC1");
    SimComputer& pc2 = network.AddComputer("PC2");
    Platform& platform = network.PlatformFor("PC1");
};

// A service running the project's test service with these options.
inline ServiceDefinition TestService(std::string name, std::string options = {},
                                     std::uint32_t startType = kServiceDemandStart,
                                     std::vector<std::string> dependencies = {}) {
    ServiceDefinition definition;
    definition.name = name;
    definition.displayName = "Test " + name;
    definition.startType = startType;
    definition.binaryPath = "\"C:\\Tests\\VtlTestSvc.exe\"";
    if (!options.empty()) definition.binaryPath += " " + options;
    definition.dependencies = std::move(dependencies);
    return definition;
}

inline ScManagerHandle OpenManager(Platform& platform, const std::string& machine = "\\\\PC1",
                                   std::uint32_t access = kScManagerAllAccess) {
    auto [handle, error] = platform.OpenSCManager(machine, access);
    EXPECT_EQ(error, kErrorSuccess) << "OpenSCManager " << machine;
    return std::move(handle);
}

inline ServiceHandle OpenSvc(Platform& platform, const ScManagerHandle& manager,
                             const std::string& name, std::uint32_t access = kServiceAllAccess) {
    auto [handle, error] = platform.OpenService(manager, name, access);
    EXPECT_EQ(error, kErrorSuccess) << "OpenService " << name;
    return std::move(handle);
}

inline std::uint32_t StateOf(const SimComputer& computer, const std::string& name) {
    auto status = computer.Status(name);
    return status ? status->currentState : 0;
}

}  // namespace vtl::sim::testing
