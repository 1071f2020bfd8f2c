// The registry as every backend must offer it: value types, keys, the
// program's two value routines, connections, and the keys of services.

#include "core/Registry.h"
#include "core/RegistryNames.h"
#include "core/ServiceCalls.h"
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
    struct Case {
        const char* name;
        std::uint32_t type;
        std::vector<std::uint8_t> data;
    };
    using namespace std::string_view_literals;
    const std::vector<Case> cases = {
        {"Sz", kRegSz, Bytes("abc\0"sv)},
        {"SzUnicode", kRegSz,
         Bytes("Gr\xC3\xBC\xC3\x9F"
               "e \xE6\x9D\xB1\xE4\xBA\xAC \xCE\xA9\0"sv)},
        {"SzEmpty", kRegSz, Bytes("\0"sv)},
        {"SzNoTerminator", kRegSz, Bytes("abc"sv)},
        {"ExpandSz", kRegExpandSz, Bytes("%SystemRoot%\\system32\0"sv)},
        {"MultiSz", kRegMultiSz, Bytes("one\0tw\xC3\xB6\0\0"sv)},
        {"Dword", kRegDword, {0x78, 0x56, 0x34, 0x12}},
        {"Qword", kRegQword, {1, 2, 3, 4, 5, 6, 7, 0x80}},
        {"Binary", kRegBinary, {0, 0xFF, 0, 0x10, 0x20}},
        {"\xC3\x9C"
         "berall",
         kRegSz, Bytes("x\0"sv)},  // a value name outside ASCII
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(platform().RegSetValueEx(key, c.name, c.type, c.data), kErrorSuccess);
        const auto read = platform().RegQueryValueEx(key, c.name, 4096);
        ASSERT_EQ(read.error, kErrorSuccess);
        EXPECT_EQ(read.type, c.type);
        EXPECT_EQ(read.data, c.data);
        EXPECT_EQ(read.bytesNeeded, c.data.size());
        // Sizing: a buffer one byte short asks for more, an exact one suffices.
        if (!c.data.empty()) {
            const auto tooSmall = platform().RegQueryValueEx(
                key, c.name, static_cast<std::uint32_t>(c.data.size() - 1));
            EXPECT_EQ(tooSmall.error, kErrorMoreData);
            EXPECT_EQ(tooSmall.bytesNeeded, c.data.size());
        }
        const auto exact =
            platform().RegQueryValueEx(key, c.name, static_cast<std::uint32_t>(c.data.size()));
        EXPECT_EQ(exact.error, kErrorSuccess);
        EXPECT_EQ(exact.data, c.data);
    }
    // Overwriting changes type and data.
    ASSERT_EQ(platform().RegSetValueEx(key, "Sz", kRegDword, {1, 0, 0, 0}), kErrorSuccess);
    const auto retyped = platform().RegQueryValueEx(key, "Sz", 64);
    EXPECT_EQ(retyped.type, kRegDword);
    EXPECT_EQ(retyped.data, (std::vector<std::uint8_t>{1, 0, 0, 0}));
    // Deleting a value, then the missing value.
    EXPECT_EQ(platform().RegDeleteValue(key, "Sz"), kErrorSuccess);
    EXPECT_EQ(platform().RegQueryValueEx(key, "Sz", 64).error, kErrorFileNotFound);
    EXPECT_EQ(platform().RegDeleteValue(key, "Sz"), kErrorFileNotFound);
}

TEST_P(RegistryContract, KeysAreCreatedWithTheirParentsAndMissingOnesGive2) {
    const RegistryKeyGuard guard(platform(), "SOFTWARE\\" + backend().UniqueName("VtlCtKeys"));
    const RegKey root = LocalMachineKey();
    EXPECT_EQ(platform().RegOpenKeyEx(root, guard.path() + "\\Missing", kKeyRead).error,
              kErrorFileNotFound);
    {
        auto [deep, error] =
            platform().RegCreateKeyEx(root, guard.path() + "\\a\\b\\c", kKeyAllAccess);
        ASSERT_EQ(error, kErrorSuccess);
        ASSERT_TRUE(deep);
        EXPECT_EQ(platform().RegQueryValueEx(deep, "Missing", 64).error, kErrorFileNotFound);
    }
    {
        auto [middle, error] = platform().RegOpenKeyEx(root, guard.path() + "\\a\\b", kKeyRead);
        EXPECT_EQ(error, kErrorSuccess);
        EXPECT_TRUE(middle);
        // A key opened below an opened key.
        auto [child, childError] = platform().RegOpenKeyEx(middle, "c", kKeyRead);
        EXPECT_EQ(childError, kErrorSuccess);
        EXPECT_TRUE(child);
    }
    {
        // Opening an existing key again with create leaves it as it is.
        auto [again, error] =
            platform().RegCreateKeyEx(root, guard.path() + "\\a\\b\\c", kKeyAllAccess);
        ASSERT_TRUE(again);
        ASSERT_EQ(platform().RegSetValueEx(again, "V", kRegDword, {7, 0, 0, 0}), kErrorSuccess);
    }
    EXPECT_EQ(platform().RegDeleteTree(root, guard.path() + "\\a"), kErrorSuccess);
    EXPECT_EQ(platform().RegOpenKeyEx(root, guard.path() + "\\a", kKeyRead).error,
              kErrorFileNotFound);
    EXPECT_EQ(platform().RegDeleteTree(root, guard.path() + "\\a"), kErrorFileNotFound);
}

TEST_P(RegistryContract, GetRegValueAndSetRegStringReadAndWriteSingleValues) {
    const RegistryKeyGuard guard(platform(), "SOFTWARE\\" + backend().UniqueName("VtlCtValues"));
    const RegKey root = LocalMachineKey();
    const std::string path = guard.path() + "\\Service\\VTLParams";
    std::string value = "stale";
    EXPECT_FALSE(GetRegValue(platform(), root, path, "Params", value));  // missing key
    EXPECT_EQ(value, "");

    ASSERT_TRUE(SetRegString(platform(), root, path, "Params", "-port 80 \xC3\xA9t\xC3\xA9"));
    ASSERT_TRUE(SetRegString(platform(), root, path, "Empty", ""));
    ASSERT_TRUE(SetRegString(platform(), root, path, "Fits", std::string(1023, 'x')));
    ASSERT_TRUE(SetRegString(platform(), root, path, "TooLong", std::string(1024, 'x')));
    auto [key, openError] = platform().RegOpenKeyEx(root, path, kKeyAllAccess);
    ASSERT_TRUE(key) << openError;
    // The terminating zero is stored.
    const auto stored = platform().RegQueryValueEx(key, "Params", 1024);
    ASSERT_EQ(stored.error, kErrorSuccess);
    EXPECT_EQ(stored.data, Bytes("-port 80 \xC3\xA9t\xC3\xA9" + std::string(1, '\0')));

    struct Row {
        const char* name;
        std::uint32_t type;  // 0: written by SetRegString above
        std::vector<std::uint8_t> data;
        bool read;
        std::string value;  // what the text holds after the read
    };
    const std::vector<Row> rows = {
        {"Params", 0, {}, true, "-port 80 \xC3\xA9t\xC3\xA9"},
        {"Missing", 0, {}, false, ""},
        {"Empty", 0, {}, true, ""},
        {"Zero", kRegDword, {0, 0, 0, 0}, true, "00000000"},
        {"Hex", kRegDword, {0x34, 0x12, 0, 0}, true, "00001234"},
        {"Letters", kRegDword, {0xEF, 0xBE, 0xAD, 0xDE}, true, "DEADBEEF"},
        // A REG_SZ stored without its zero (as the wizard writes "Application").
        {"Application", kRegSz, Bytes("C:\\apps\\tool.exe"), true, "C:\\apps\\tool.exe"},
        // Other types read successfully and leave the text alone.
        {"Bin", kRegBinary, {1, 2, 3}, true, "stale"},
        // At most 1024 bytes are read: 1023 characters and the zero fit, one more does not.
        {"Fits", 0, {}, true, std::string(1023, 'x')},
        {"TooLong", 0, {}, false, ""},
        // A REG_SZ with a zero inside reads up to the zero.
        {"Cut", kRegSz, Bytes(std::string("ab\0cd\0", 6)), true, "ab"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.type != 0) {
            ASSERT_EQ(platform().RegSetValueEx(key, row.name, row.type, row.data), kErrorSuccess);
        }
        value = row.type == kRegDword ? "" : "stale";  // a DWORD's digits are appended
        EXPECT_EQ(GetRegValue(platform(), root, path, row.name, value), row.read);
        EXPECT_EQ(value, row.value);
    }
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
    // A computer that cannot be found: 53.
    EXPECT_EQ(platform().RegConnectRegistry("\\\\VTLNOSUCHHOST", kHKeyLocalMachine).error,
              kErrorBadNetPath);
}

TEST_P(RegistryContract, ServiceKeysFollowTheServiceManager) {
    const std::string name = Name("VtlCtKey");
    const std::string path = ServiceKeyPath(name);
    const std::string zero(1, '\0');
    auto text = [&](const char* value) {
        std::string read;
        EXPECT_TRUE(GetRegValue(platform(), LocalMachineKey(), path, value, read)) << value;
        return read;
    };
    {
        ServiceHandle service = Create(name, "--stop-ms 5");
        ASSERT_TRUE(service);
        auto [key, keyError] = platform().RegOpenKeyEx(LocalMachineKey(), path, kKeyRead);
        ASSERT_TRUE(key) << keyError;
        auto raw = [&](const char* value) {
            const auto read = platform().RegQueryValueEx(key, value, 4096);
            EXPECT_EQ(read.error, kErrorSuccess) << value;
            return std::pair(read.type, read.data);
        };
        const auto image = raw("ImagePath");
        // A string either way (the type differs: see BeyondWineContract).
        EXPECT_TRUE(image.first == kRegExpandSz || image.first == kRegSz) << image.first;
        EXPECT_EQ(image.second, Bytes(Command("--stop-ms 5") + zero));
        EXPECT_EQ(raw("DisplayName"), std::pair(kRegSz, Bytes("Vantrel Contract " + name + zero)));
        EXPECT_EQ(raw("ObjectName").second, Bytes("LocalSystem" + zero));
        EXPECT_EQ(text("Start"), "00000003");
        EXPECT_EQ(text("Type"), "00000010");
        EXPECT_EQ(text("DisplayName"), "Vantrel Contract " + name);

        // A change through the service manager reaches the key.
        ServiceManagerApi::ConfigChange change;
        change.startType = kServiceDisabled;
        ASSERT_EQ(platform().ChangeServiceConfig(service, change), kErrorSuccess);
        EXPECT_EQ(text("Start"), "00000004");
        ASSERT_EQ(platform().DeleteService(service), kErrorSuccess);
    }
    // The key goes with the service.
    EXPECT_EQ(platform().RegOpenKeyEx(LocalMachineKey(), path, kKeyRead).error, kErrorFileNotFound);
}

TEST_P(RegistryContract, AServicesDependenciesAreADoubleZeroTerminatedListInItsKey) {
    const std::string name = Name("VtlCtDepends");
    ServiceManagerApi::CreateArgs args;
    args.serviceName = name;
    args.displayName = name;
    args.binaryPathName = Command("");
    args.dependencies = std::vector<std::string>{"RpcSs", "PlugPlay"};
    auto created = platform().CreateService(manager(), args);
    ASSERT_TRUE(created.handle) << created.error;
    {
        auto [key, error] =
            platform().RegOpenKeyEx(LocalMachineKey(), ServiceKeyPath(name), kKeyRead);
        ASSERT_TRUE(key) << error;
        const auto stored = platform().RegQueryValueEx(key, "DependOnService", 1024);
        ASSERT_EQ(stored.error, kErrorSuccess);
        EXPECT_EQ(stored.type, kRegMultiSz);
        EXPECT_EQ(stored.data, Bytes(std::string_view("RpcSs\0PlugPlay\0\0", 16)));
    }
    // An empty list removes them all.
    ServiceManagerApi::ConfigChange change;
    change.dependencies = std::vector<std::string>{};
    ASSERT_EQ(platform().ChangeServiceConfig(created.handle, change), kErrorSuccess);
    const auto cleared = GetServiceConfig(platform(), created.handle);
    ASSERT_TRUE(cleared.ok());
    EXPECT_TRUE(cleared.config->dependencies.empty());
}

}  // namespace
}  // namespace vtl::contract
