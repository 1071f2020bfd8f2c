// The registry as every backend must offer it: value types, keys, the
// program's two value routines, the connection to the own computer, and the
// keys of services.

#include "core/Registry.h"
#include "core/RegistryNames.h"
#include "core/ServiceRow.h"
#include "core/contract/ContractTest.h"

namespace vtl::contract {
namespace {

using vtl::testing::Bytes;
using vtl::testing::RegistryKeyGuard;

TEST_P(RegistryContract, EveryValueTypeRoundTrips) {
    const RegistryKeyGuard guard(platform(), "SOFTWARE\\" + backend().UniqueName("VtlCtTypes"));
    auto [key, error] = platform().RegCreateKeyEx(LocalMachineKey(), guard.path(), kKeyAllAccess);
    ASSERT_EQ(error, kErrorSuccess);
    ASSERT_NO_FATAL_FAILURE(vtl::testing::CheckRegistryValueRoundTrips(platform(), key));
}

TEST_P(RegistryContract, KeysAreCreatedWithTheirParentsAndMissingOnesGive2) {
    const RegistryKeyGuard guard(platform(), "SOFTWARE\\" + backend().UniqueName("VtlCtKeys"));
    ASSERT_NO_FATAL_FAILURE(vtl::testing::CheckRegistryKeys(platform(), guard.path()));
}

TEST_P(RegistryContract, GetRegValueAndSetRegStringReadAndWriteSingleValues) {
    const RegistryKeyGuard guard(platform(), "SOFTWARE\\" + backend().UniqueName("VtlCtValues"));
    ASSERT_NO_FATAL_FAILURE(vtl::testing::CheckRegValueRoutines(platform(), guard.path()));
    // A REG_SZ with a zero inside reads up to the zero.
    auto [key, error] = platform().RegOpenKeyEx(
        LocalMachineKey(), guard.path() + "\\Service\\VTLParams", kKeyAllAccess);
    ASSERT_TRUE(key) << error;
    ASSERT_EQ(platform().RegSetValueEx(key, "Cut", kRegSz, Bytes(std::string("ab\0cd\0", 6))),
              kErrorSuccess);
    std::string value = "stale";
    EXPECT_TRUE(GetRegValue(platform(), LocalMachineKey(), guard.path() + "\\Service\\VTLParams",
                            "Cut", value));
    EXPECT_EQ(value, "ab");
}

TEST_P(RegistryContract, TheOwnComputerIsConnectedByItsName) {
    const RegistryKeyGuard guard(platform(), "SOFTWARE\\" + backend().UniqueName("VtlCtConnect"));
    ASSERT_TRUE(SetRegString(platform(), LocalMachineKey(), guard.path(), "V", "local"));
    for (const std::string& machine : {UncLocal(), std::string()}) {
        SCOPED_TRACE("machine \"" + machine + "\"");
        {
            auto [root, error] = platform().RegConnectRegistry(machine, kHKeyLocalMachine);
            ASSERT_EQ(error, kErrorSuccess);
            ASSERT_TRUE(root);
            std::string value;
            EXPECT_TRUE(GetRegValue(platform(), root, guard.path(), "V", value));
            EXPECT_EQ(value, "local");
            ASSERT_TRUE(SetRegString(platform(), root, guard.path(), "W", machine));
        }  // the connected root is closed here; the local one stays usable
        std::string value;
        EXPECT_TRUE(GetRegValue(platform(), LocalMachineKey(), guard.path(), "W", value));
        EXPECT_EQ(value, machine);
    }
}

TEST_P(RegistryContract, ServiceKeysFollowTheServiceManager) {
    const std::string name = backend().UniqueName("VtlCtKey");
    const auto guard = Guard(name);
    const std::string path = ServiceKeyPath(name);
    {
        ServiceHandle service = Create(name, "--stop-ms 5");
        ASSERT_TRUE(service);
        auto [key, keyError] = platform().RegOpenKeyEx(LocalMachineKey(), path, kKeyRead);
        ASSERT_TRUE(key) << keyError;
        const auto image = platform().RegQueryValueEx(key, "ImagePath", 4096);
        ASSERT_EQ(image.error, kErrorSuccess);
        // A string either way (the type differs: see BeyondWineContract).
        EXPECT_TRUE(image.type == kRegExpandSz || image.type == kRegSz) << image.type;
        EXPECT_EQ(image.data, Bytes(Command("--stop-ms 5") + std::string(1, '\0')));
        const auto display = platform().RegQueryValueEx(key, "DisplayName", 4096);
        ASSERT_EQ(display.error, kErrorSuccess);
        EXPECT_EQ(display.type, kRegSz);
        EXPECT_EQ(display.data, Bytes("Vantrel Contract " + name + std::string(1, '\0')));
        const auto account = platform().RegQueryValueEx(key, "ObjectName", 4096);
        ASSERT_EQ(account.error, kErrorSuccess);
        EXPECT_EQ(account.data, Bytes(std::string("LocalSystem") + std::string(1, '\0')));
        std::string value;
        EXPECT_TRUE(GetRegValue(platform(), LocalMachineKey(), path, "Start", value));
        EXPECT_EQ(value, "00000003");
        value.clear();
        EXPECT_TRUE(GetRegValue(platform(), LocalMachineKey(), path, "Type", value));
        EXPECT_EQ(value, "00000010");
        value.clear();
        EXPECT_TRUE(GetRegValue(platform(), LocalMachineKey(), path, "DisplayName", value));
        EXPECT_EQ(value, "Vantrel Contract " + name);

        // A change through the service manager reaches the key.
        ServiceManagerApi::ConfigChange change;
        change.startType = kServiceDisabled;
        ASSERT_EQ(platform().ChangeServiceConfig(service, change), kErrorSuccess);
        value.clear();
        EXPECT_TRUE(GetRegValue(platform(), LocalMachineKey(), path, "Start", value));
        EXPECT_EQ(value, "00000004");

        ASSERT_EQ(platform().DeleteService(service), kErrorSuccess);
    }
    // The key goes with the service.
    EXPECT_EQ(platform().RegOpenKeyEx(LocalMachineKey(), path, kKeyRead).error, kErrorFileNotFound);
}

}  // namespace
}  // namespace vtl::contract
