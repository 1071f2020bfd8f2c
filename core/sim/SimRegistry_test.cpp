// The simulated registry, through the program's routines GetRegValue and
// SetRegString and the raw calls.

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

TEST_F(SimRegistryTest, ValuesRoundTripThroughTheProgramsRoutines) {
    // The key and the keys above it are created.
    ASSERT_TRUE(SetRegString(platform, hklm, "SOFTWARE\\A\\B\\C", "Text", "abc"));
    EXPECT_TRUE(pc1.Registry().KeyExists("software\\a\\b"));
    std::string value = "old";
    EXPECT_TRUE(GetRegValue(platform, hklm, "SOFTWARE\\A\\B\\C", "Text", value));
    EXPECT_EQ(value, "abc");
    // "" is stored as one zero byte and read back as "".
    ASSERT_TRUE(SetRegString(platform, hklm, "SOFTWARE\\New\\Key", "Empty", ""));
    EXPECT_EQ(pc1.Registry().Value("SOFTWARE\\New\\Key", "Empty")->data,
              std::vector<std::uint8_t>{0});
    value = "x";
    EXPECT_TRUE(GetRegValue(platform, hklm, "SOFTWARE\\New\\Key", "Empty", value));
    EXPECT_EQ(value, "");
    // Missing keys and values: false and empty.
    value = "x";
    EXPECT_FALSE(GetRegValue(platform, hklm, "SOFTWARE\\Missing", "Text", value));
    EXPECT_EQ(value, "");
    value = "x";
    EXPECT_FALSE(GetRegValue(platform, hklm, "SOFTWARE\\A\\B\\C", "Missing", value));
    EXPECT_EQ(value, "");
    EXPECT_EQ(network.OpenHandleCount(), 0u);
}

TEST_F(SimRegistryTest, TheReaderFormatsByType) {
    const std::string key = "SOFTWARE\\Types";
    pc1.Registry().SetValue(key, "Cut", kRegSz, {'a', 'b', 'c', 0, 'd', 'e', 'f', 0});
    pc1.SetRegistryDword(key, "Zero", 0);
    pc1.SetRegistryDword(key, "Small", 0x1234);
    pc1.SetRegistryDword(key, "Big", 0xDEADBEEF);
    pc1.Registry().SetValue(key, "Binary", kRegBinary, {1, 2, 3});
    pc1.Registry().SetValue(key, "Huge", kRegSz, std::vector<std::uint8_t>(1025, 'x'));
    pc1.Registry().SetValue(key, "Fits", kRegSz, std::vector<std::uint8_t>(1024, 'y'));
    std::string value;
    EXPECT_TRUE(GetRegValue(platform, hklm, key, "Cut", value));
    EXPECT_EQ(value, "abc");
    value.clear();
    EXPECT_TRUE(GetRegValue(platform, hklm, key, "Zero", value));
    EXPECT_EQ(value, "00000000");
    value.clear();
    EXPECT_TRUE(GetRegValue(platform, hklm, key, "Small", value));
    EXPECT_EQ(value, "00001234");
    value.clear();
    EXPECT_TRUE(GetRegValue(platform, hklm, key, "Big", value));
    EXPECT_EQ(value, "DEADBEEF");
    value = "kept";
    EXPECT_TRUE(GetRegValue(platform, hklm, key, "Binary", value));
    EXPECT_EQ(value, "kept");
    // More than 1024 bytes does not fit the reader's buffer.
    value = "x";
    EXPECT_FALSE(GetRegValue(platform, hklm, key, "Huge", value));
    EXPECT_EQ(value, "");
    EXPECT_TRUE(GetRegValue(platform, hklm, key, "Fits", value));
    EXPECT_EQ(value.size(), 1024u);
}

TEST_F(SimRegistryTest, NamesAndValuesOutsideAsciiTravelAsUtf8) {
    const std::string key = "SOFTWARE\\K\xC3\xA4se";  // Käse
    const std::string text =
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE2\x82\xAC";  // Grüße €
    ASSERT_TRUE(SetRegString(platform, hklm, key,
                             "Gr\xC3\xB6\xC3\x9F"
                             "e",
                             text));
    std::string value;
    EXPECT_TRUE(GetRegValue(platform, hklm, "software\\K\xC3\xA4SE",
                            "Gr\xC3\xB6\xC3\x9F"
                            "e",
                            value));
    EXPECT_EQ(value, text);
    // Sized in UTF-8 bytes with the terminator.
    auto [opened, error] = platform.RegOpenKeyEx(hklm, key, kKeyQueryValue);
    ASSERT_TRUE(opened);
    auto tooSmall = platform.RegQueryValueEx(opened,
                                             "Gr\xC3\xB6\xC3\x9F"
                                             "e",
                                             text.size());
    EXPECT_EQ(tooSmall.error, kErrorMoreData);
    EXPECT_EQ(tooSmall.bytesNeeded, text.size() + 1);
    EXPECT_EQ(tooSmall.type, kRegSz);
    EXPECT_EQ(platform
                  .RegQueryValueEx(opened,
                                   "Gr\xC3\xB6\xC3\x9F"
                                   "e",
                                   text.size() + 1)
                  .error,
              kErrorSuccess);
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

    EXPECT_EQ(platform.RegConnectRegistry("\\\\NOBODY", kHKeyLocalMachine).error, kErrorBadNetPath);
    pc2.SetUnreachable(true);
    EXPECT_EQ(platform.RegConnectRegistry("PC2", kHKeyLocalMachine).error, kErrorBadNetPath);
    pc2.SetUnreachable(false);
    pc2.DenyRegistryAccess(true);
    EXPECT_EQ(platform.RegConnectRegistry("PC2", kHKeyLocalMachine).error, kErrorAccessDenied);
    EXPECT_TRUE(platform.RegConnectRegistry("", kHKeyLocalMachine).handle);
    EXPECT_EQ(network.OpenHandleCount(), 0u);
}

TEST_F(SimRegistryTest, AServicesKeyFollowsTheServiceManager) {
    ServiceDefinition definition = TestService("Mirrored", {}, kServiceAutoStart, {"Dep", "+Grp"});
    definition.startName = "NT AUTHORITY\\NetworkService";
    ASSERT_EQ(pc1.AddService(definition), 0u);
    const std::string key = ServiceKeyPath("Mirrored");
    std::string value;
    EXPECT_TRUE(GetRegValue(platform, hklm, key, "Start", value));
    EXPECT_EQ(value, "00000002");
    value.clear();
    EXPECT_TRUE(GetRegValue(platform, hklm, key, "Type", value));
    EXPECT_EQ(value, "00000010");
    EXPECT_TRUE(GetRegValue(platform, hklm, key, "DisplayName", value));
    EXPECT_EQ(value, "Test Mirrored");
    EXPECT_TRUE(GetRegValue(platform, hklm, key, "ObjectName", value));
    EXPECT_EQ(value, "NT AUTHORITY\\NetworkService");
    auto onService = pc1.Registry().Value(key, "DependOnService");
    EXPECT_EQ(std::string(onService->data.begin(), onService->data.end()),
              std::string("Dep\0\0", 5));

    // The program's wrapper keys live below it and go with it.
    ASSERT_TRUE(SetRegString(platform, hklm, VtlParamsKeyPath("Mirrored"), "Params", "-v"));
    ASSERT_TRUE(SetRegString(platform, hklm, ParametersKeyPath("Mirrored"), "Application",
                             "C:\\apps\\tool.exe"));
    {
        auto manager = OpenManager(platform);
        auto service = OpenSvc(platform, manager, "Mirrored");
        ServiceManagerApi::ConfigChange change;
        change.startType = kServiceDemandStart;
        ASSERT_EQ(platform.ChangeServiceConfig(service, change), kErrorSuccess);
        value.clear();
        EXPECT_TRUE(GetRegValue(platform, hklm, key, "Start", value));
        EXPECT_EQ(value, "00000003");
        ASSERT_EQ(platform.DeleteService(service), kErrorSuccess);
        EXPECT_TRUE(pc1.Registry().KeyExists(VtlParamsKeyPath("Mirrored")));
    }
    EXPECT_FALSE(pc1.Registry().KeyExists(key));
    EXPECT_FALSE(GetRegValue(platform, hklm, VtlParamsKeyPath("Mirrored"), "Params", value));
}

}  // namespace
}  // namespace vtl::sim
