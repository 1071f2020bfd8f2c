// The simulated registry where it goes beyond the contract suite: key names,
// rights on keys, deleted keys, remote registries and the keys of services.

#include <gtest/gtest.h>

#include "core/Registry.h"
#include "core/RegistryNames.h"
#include "core/sim/SimNetwork.h"
#include "core/sim/SimTestSupport.h"

namespace vtl::sim {
namespace {

using testing::OpenManager;
using testing::OpenSvc;
using testing::TestService;

class SimRegistryTest : public ::testing::Test, protected testing::TwoComputers {
  protected:
    RegKey hklm = LocalMachineKey();
};

TEST_F(SimRegistryTest, KeyNamesOutsideAsciiAreFoundWithoutRegardToCase) {
    ASSERT_TRUE(SetRegString(platform, hklm, "SOFTWARE\\K\xC3\xA4se", "V", "x"));  // Käse
    std::string value;
    EXPECT_TRUE(GetRegValue(platform, hklm, "software\\K\xC3\xA4SE", "V", value));
    EXPECT_EQ(value, "x");
}

TEST_F(SimRegistryTest, KeysAreCheckedAgainstTheirRightsAndCanBeDeleted) {
    pc1.SetRegistryString("SOFTWARE\\Vendor\\App", "Name", "app");
    pc1.SetRegistryString("SOFTWARE\\Vendor\\App\\Sub", "Deep", "x");
    auto [reader, error] = platform.RegOpenKeyEx(hklm, "SOFTWARE\\Vendor\\App", kKeyQueryValue);
    ASSERT_TRUE(reader);
    EXPECT_EQ(platform.RegSetValueEx(reader, "Name", kRegSz, {'y', 0}), kErrorAccessDenied);
    EXPECT_EQ(platform.RegDeleteValue(reader, "Name"), kErrorAccessDenied);
    auto [writer, writerError] = platform.RegOpenKeyEx(hklm, "SOFTWARE\\Vendor\\App", kKeySetValue);
    EXPECT_EQ(platform.RegQueryValueEx(writer, "Name", 100).error, kErrorAccessDenied);
    EXPECT_EQ(platform.RegDeleteValue(writer, "Missing"), kErrorFileNotFound);
    EXPECT_EQ(platform.RegOpenKeyEx(hklm, "SOFTWARE\\Nothing", kKeyRead).error, kErrorFileNotFound);

    EXPECT_EQ(platform.RegDeleteTree(hklm, "SOFTWARE\\Vendor"), kErrorSuccess);
    EXPECT_FALSE(pc1.Registry().KeyExists("SOFTWARE\\Vendor"));
    EXPECT_TRUE(pc1.Registry().KeyExists("SOFTWARE"));
    EXPECT_EQ(platform.RegQueryValueEx(reader, "Name", 100).error, kErrorKeyDeleted);
    EXPECT_EQ(platform.RegDeleteTree(hklm, "SOFTWARE\\Vendor"), kErrorFileNotFound);

    // An empty sub-key empties the key itself.
    pc1.SetRegistryString("SOFTWARE\\Keep\\Child", "V", "v");
    pc1.SetRegistryString("SOFTWARE\\Keep", "W", "w");
    auto [keep, keepError] = platform.RegOpenKeyEx(hklm, "SOFTWARE\\Keep", kKeyAllAccess);
    EXPECT_EQ(platform.RegDeleteTree(keep, ""), kErrorSuccess);
    EXPECT_TRUE(pc1.Registry().KeyExists("SOFTWARE\\Keep"));
    EXPECT_FALSE(pc1.Registry().KeyExists("SOFTWARE\\Keep\\Child"));
    EXPECT_FALSE(pc1.Registry().Value("SOFTWARE\\Keep", "W"));
}

TEST_F(SimRegistryTest, RemoteRegistriesAreReachedByName) {
    pc2.SetRegistryString("SOFTWARE\\Remote", "Where", "PC2");
    auto [root, error] = platform.RegConnectRegistry("\\\\PC2", kHKeyLocalMachine);
    ASSERT_TRUE(root);
    std::string value;
    EXPECT_TRUE(GetRegValue(platform, root, "SOFTWARE\\Remote", "Where", value));
    EXPECT_EQ(value, "PC2");
    ASSERT_TRUE(SetRegString(platform, root, "SOFTWARE\\Written", "By", "PC1"));
    EXPECT_TRUE(pc2.Registry().Value("SOFTWARE\\Written", "By"));
    EXPECT_FALSE(pc1.Registry().Value("SOFTWARE\\Written", "By"));
    root.reset();

    pc2.SetUnreachable(true);
    EXPECT_EQ(platform.RegConnectRegistry("PC2", kHKeyLocalMachine).error, kErrorBadNetPath);
    pc2.SetUnreachable(false);
    pc2.DenyRegistryAccess(true);
    EXPECT_EQ(platform.RegConnectRegistry("PC2", kHKeyLocalMachine).error, kErrorAccessDenied);
    EXPECT_TRUE(platform.RegConnectRegistry("", kHKeyLocalMachine).handle);
    EXPECT_EQ(network.OpenHandleCount(), 0u);
}

TEST_F(SimRegistryTest, AServicesKeyKeepsItsDependenciesAndGoesWithTheKeysBelowIt) {
    ASSERT_EQ(pc1.AddService(TestService("Mirrored", {}, kServiceAutoStart, {"Dep", "+Grp"})), 0u);
    const std::string key = ServiceKeyPath("Mirrored");
    auto onService = pc1.Registry().Value(key, "DependOnService");
    ASSERT_TRUE(onService);
    EXPECT_EQ(std::string(onService->data.begin(), onService->data.end()),
              std::string("Dep\0\0", 5));
    // The program's wrapper keys live below it: kept while the service is
    // marked, gone with it.
    ASSERT_TRUE(SetRegString(platform, hklm, VtlParamsKeyPath("Mirrored"), "Params", "-v"));
    {
        auto manager = OpenManager(platform);
        auto service = OpenSvc(platform, manager, "Mirrored");
        ASSERT_EQ(platform.DeleteService(service), kErrorSuccess);
        EXPECT_TRUE(pc1.Registry().KeyExists(VtlParamsKeyPath("Mirrored")));
    }
    EXPECT_FALSE(pc1.Registry().KeyExists(key));
    EXPECT_FALSE(pc1.Registry().KeyExists(VtlParamsKeyPath("Mirrored")));
}

}  // namespace
}  // namespace vtl::sim
