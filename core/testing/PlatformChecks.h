#pragma once
// Checks of behaviour every platform backend shares, written over the platform
// interface alone, so the same check runs against the real Win32 calls (under
// Wine) and against the simulated computers. Time passes only through the
// platform's Sleep and TickCount.
//
// Each check is a void function with GoogleTest assertions; call it inside
// ASSERT_NO_FATAL_FAILURE(...).

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "core/Platform.h"
#include "core/Registry.h"
#include "core/ServiceCalls.h"
#include "core/ServiceRow.h"

namespace vtl::testing {

inline std::vector<std::uint8_t> Bytes(std::string_view text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

// Waits until the service reports one of the states or timeoutMs passed; the
// last status read is left in status. True when the state was reached.
inline bool WaitForState(Platform& platform, const ServiceHandle& service,
                         std::initializer_list<std::uint32_t> states, std::uint32_t timeoutMs,
                         ServiceStatus& status, std::uint32_t pollMs = 50) {
    const std::uint64_t end = platform.TickCount() + timeoutMs;
    for (;;) {
        if (platform.QueryServiceStatus(service, status) == kErrorSuccess) {
            for (const auto state : states)
                if (status.currentState == state) return true;
        }
        if (platform.TickCount() >= end) return false;
        platform.Sleep(pollMs);
    }
}

// Removes a service when the test ends, however it ends: asks it to stop, waits
// a little, lets the backend force the rest (a hung test service), deletes it.
class ServiceGuard {
  public:
    // forceStop, when given, ends a service that does not stop when asked.
    using ForceStop = std::function<void(const std::string& serviceName)>;

    ServiceGuard(Platform& platform, std::string machine, std::string serviceName,
                 ForceStop forceStop = {})
        : platform_(platform),
          machine_(std::move(machine)),
          name_(std::move(serviceName)),
          forceStop_(std::move(forceStop)) {}
    ServiceGuard(const ServiceGuard&) = delete;
    ServiceGuard& operator=(const ServiceGuard&) = delete;
    ~ServiceGuard() { Remove(); }

    [[nodiscard]] const std::string& name() const { return name_; }

    // Stops and deletes the service now; true when it is gone or marked for delete.
    bool Remove() noexcept {
        try {
            auto [manager, managerError] = platform_.OpenSCManager(machine_, kScManagerAllAccess);
            if (!manager) return false;
            auto [service, openError] =
                platform_.OpenService(manager, name_, kServiceStop | kServiceQueryStatus | kDelete);
            if (!service) return openError == kErrorServiceDoesNotExist;
            ServiceStatus status;
            if (platform_.QueryServiceStatus(service, status) == kErrorSuccess &&
                status.currentState != kServiceStopped) {
                const ErrorCode stopError =
                    platform_.ControlService(service, kServiceControlStop, status);
                const bool stopped =
                    stopError == kErrorSuccess &&
                    WaitForState(platform_, service, {kServiceStopped}, 5000, status);
                // A forced end is not waited for: some service managers (Wine's)
                // go on reporting the last state of a process that is gone, and
                // the delete below is only marked until the manager lets go.
                if (!stopped && forceStop_) forceStop_(name_);
            }
            const ErrorCode error = platform_.DeleteService(service);
            return error == kErrorSuccess || error == kErrorServiceMarkedForDelete;
        } catch (...) {
            return false;
        }
    }

  private:
    Platform& platform_;
    std::string machine_;
    std::string name_;
    ForceStop forceStop_;
};

// Deletes a registry key and everything below it when the test ends.
class RegistryKeyGuard {
  public:
    RegistryKeyGuard(RegistryApi& registry, std::string path)
        : registry_(registry), path_(std::move(path)) {
        (void)registry_.RegDeleteTree(LocalMachineKey(), path_);  // left over by a crash
    }
    RegistryKeyGuard(const RegistryKeyGuard&) = delete;
    RegistryKeyGuard& operator=(const RegistryKeyGuard&) = delete;
    ~RegistryKeyGuard() { (void)registry_.RegDeleteTree(LocalMachineKey(), path_); }
    [[nodiscard]] const std::string& path() const { return path_; }

  private:
    RegistryApi& registry_;
    std::string path_;
};

// Error texts: real codes give a text ending in CR LF, 1722 gets the network
// hint after a CR, a code without a system message gives "". Wordings differ
// between platforms and are never compared.
inline void CheckErrorTexts(SystemApi& system) {
    for (const ErrorCode code :
         {kErrorFileNotFound, kErrorAccessDenied, kErrorInvalidParameter, kErrorServiceDoesNotExist,
          kErrorServiceNotActive, kErrorServiceMarkedForDelete, kErrorServiceAlreadyRunning,
          kErrorDependentServicesRunning}) {
        SCOPED_TRACE("code " + std::to_string(code));
        const std::string text = GetErrorText(system, code);
        ASSERT_GT(text.size(), 2u);
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
        EXPECT_NE(text[0], '\r');
    }
    const std::string rpc = GetErrorText(system, kRpcServerUnavailable);
    const std::string hint = "\r" + std::string(kNetworkHint);
    ASSERT_GT(rpc.size(), hint.size() + 2);
    EXPECT_EQ(rpc.substr(rpc.size() - hint.size()), hint);
    EXPECT_EQ(rpc.substr(rpc.size() - hint.size() - 2, 2), "\r\n");
    // Bit 29 marks application-defined codes: the system has no message for them.
    EXPECT_EQ(GetErrorText(system, 0x2000ABCDu), "");
    EXPECT_EQ(OpenFailureText(system, 0x2000ABCDu), "  536914893");
}

// Every value type written through the interface reads back byte for byte;
// string types travel as UTF-8 with the zeros they carry. key: an empty test key
// opened with all access.
inline void CheckRegistryValueRoundTrips(RegistryApi& registry, const RegKey& key) {
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
        ASSERT_EQ(registry.RegSetValueEx(key, c.name, c.type, c.data), kErrorSuccess);
        const auto read = registry.RegQueryValueEx(key, c.name, 4096);
        ASSERT_EQ(read.error, kErrorSuccess);
        EXPECT_EQ(read.type, c.type);
        EXPECT_EQ(read.data, c.data);
        EXPECT_EQ(read.bytesNeeded, c.data.size());
        // Sizing: a buffer one byte short asks for more, an exact one suffices.
        if (!c.data.empty()) {
            const auto tooSmall = registry.RegQueryValueEx(
                key, c.name, static_cast<std::uint32_t>(c.data.size() - 1));
            EXPECT_EQ(tooSmall.error, kErrorMoreData);
            EXPECT_EQ(tooSmall.bytesNeeded, c.data.size());
        }
        const auto exact =
            registry.RegQueryValueEx(key, c.name, static_cast<std::uint32_t>(c.data.size()));
        EXPECT_EQ(exact.error, kErrorSuccess);
        EXPECT_EQ(exact.data, c.data);
    }
    // Overwriting changes type and data.
    ASSERT_EQ(registry.RegSetValueEx(key, "Sz", kRegDword, {1, 0, 0, 0}), kErrorSuccess);
    const auto retyped = registry.RegQueryValueEx(key, "Sz", 64);
    EXPECT_EQ(retyped.type, kRegDword);
    EXPECT_EQ(retyped.data, (std::vector<std::uint8_t>{1, 0, 0, 0}));
    // Deleting a value, then the missing value.
    EXPECT_EQ(registry.RegDeleteValue(key, "Sz"), kErrorSuccess);
    EXPECT_EQ(registry.RegQueryValueEx(key, "Sz", 64).error, kErrorFileNotFound);
    EXPECT_EQ(registry.RegDeleteValue(key, "Sz"), kErrorFileNotFound);
}

// Keys: intermediate keys are created, missing keys and values give 2, trees go.
// testPath: a fresh path below HKEY_LOCAL_MACHINE.
inline void CheckRegistryKeys(RegistryApi& registry, const std::string& testPath) {
    const RegKey root = LocalMachineKey();
    EXPECT_EQ(registry.RegOpenKeyEx(root, testPath + "\\Missing", kKeyRead).error,
              kErrorFileNotFound);
    {
        auto [deep, error] = registry.RegCreateKeyEx(root, testPath + "\\a\\b\\c", kKeyAllAccess);
        ASSERT_EQ(error, kErrorSuccess);
        ASSERT_TRUE(deep);
        EXPECT_EQ(registry.RegQueryValueEx(deep, "Missing", 64).error, kErrorFileNotFound);
    }
    {
        auto [middle, error] = registry.RegOpenKeyEx(root, testPath + "\\a\\b", kKeyRead);
        EXPECT_EQ(error, kErrorSuccess);
        EXPECT_TRUE(middle);
        // A key opened below an opened key.
        auto [child, childError] = registry.RegOpenKeyEx(middle, "c", kKeyRead);
        EXPECT_EQ(childError, kErrorSuccess);
        EXPECT_TRUE(child);
    }
    {
        // Opening an existing key again with create leaves it as it is.
        auto [again, error] = registry.RegCreateKeyEx(root, testPath + "\\a\\b\\c", kKeyAllAccess);
        ASSERT_TRUE(again);
        ASSERT_EQ(registry.RegSetValueEx(again, "V", kRegDword, {7, 0, 0, 0}), kErrorSuccess);
    }
    EXPECT_EQ(registry.RegDeleteTree(root, testPath + "\\a"), kErrorSuccess);
    EXPECT_EQ(registry.RegOpenKeyEx(root, testPath + "\\a", kKeyRead).error, kErrorFileNotFound);
    EXPECT_EQ(registry.RegDeleteTree(root, testPath + "\\a"), kErrorFileNotFound);
}

// GetRegValue and SetRegString end to end. testPath: a fresh path below HKLM.
inline void CheckRegValueRoutines(RegistryApi& registry, const std::string& testPath) {
    const RegKey root = LocalMachineKey();
    const std::string path = testPath + "\\Service\\VTLParams";
    std::string value = "stale";
    EXPECT_FALSE(GetRegValue(registry, root, path, "Params", value));  // missing key
    EXPECT_EQ(value, "");

    ASSERT_TRUE(SetRegString(registry, root, path, "Params", "-port 80 \xC3\xA9t\xC3\xA9"));
    EXPECT_TRUE(GetRegValue(registry, root, path, "Params", value));
    EXPECT_EQ(value, "-port 80 \xC3\xA9t\xC3\xA9");
    // The terminating zero is stored.
    auto [key, openError] = registry.RegOpenKeyEx(root, path, kKeyAllAccess);
    ASSERT_TRUE(key);
    const auto stored = registry.RegQueryValueEx(key, "Params", 1024);
    ASSERT_EQ(stored.error, kErrorSuccess);
    ASSERT_FALSE(stored.data.empty());
    EXPECT_EQ(stored.data.back(), 0);

    value = "stale";
    EXPECT_FALSE(GetRegValue(registry, root, path, "Missing", value));
    EXPECT_EQ(value, "");

    ASSERT_TRUE(SetRegString(registry, root, path, "Empty", ""));
    value = "stale";
    EXPECT_TRUE(GetRegValue(registry, root, path, "Empty", value));
    EXPECT_EQ(value, "");

    ASSERT_EQ(registry.RegSetValueEx(key, "Zero", kRegDword, {0, 0, 0, 0}), kErrorSuccess);
    value.clear();
    EXPECT_TRUE(GetRegValue(registry, root, path, "Zero", value));
    EXPECT_EQ(value, "00000000");
    ASSERT_EQ(registry.RegSetValueEx(key, "Hex", kRegDword, {0x34, 0x12, 0, 0}), kErrorSuccess);
    value.clear();
    EXPECT_TRUE(GetRegValue(registry, root, path, "Hex", value));
    EXPECT_EQ(value, "00001234");

    // A REG_SZ stored without its zero (as the wizard writes "Application").
    ASSERT_EQ(registry.RegSetValueEx(key, "Application", kRegSz, Bytes("C:\\apps\\tool.exe")),
              kErrorSuccess);
    EXPECT_TRUE(GetRegValue(registry, root, path, "Application", value));
    EXPECT_EQ(value, "C:\\apps\\tool.exe");

    // Other types read successfully and leave the text alone.
    ASSERT_EQ(registry.RegSetValueEx(key, "Bin", kRegBinary, {1, 2, 3}), kErrorSuccess);
    value = "kept";
    EXPECT_TRUE(GetRegValue(registry, root, path, "Bin", value));
    EXPECT_EQ(value, "kept");

    // At most 1024 bytes are read: 1023 characters and the zero fit, one more does not.
    ASSERT_TRUE(SetRegString(registry, root, path, "Fits", std::string(1023, 'x')));
    EXPECT_TRUE(GetRegValue(registry, root, path, "Fits", value));
    EXPECT_EQ(value, std::string(1023, 'x'));
    ASSERT_TRUE(SetRegString(registry, root, path, "TooLong", std::string(1024, 'x')));
    value = "stale";
    EXPECT_FALSE(GetRegValue(registry, root, path, "TooLong", value));
    EXPECT_EQ(value, "");
}

// The test service's binary path with options: the quoted program and the options.
inline std::string TestServiceCommand(const std::string& folder, const std::string& options) {
    std::string command = "\"" + folder + "\\VtlTestSvc.exe\"";
    if (!options.empty()) command += " " + options;
    return command;
}

// A new demand-start test service; the handle has all access.
inline ServiceManagerApi::Created CreateTestService(Platform& platform,
                                                    const ScManagerHandle& manager,
                                                    const std::string& name,
                                                    const std::string& command,
                                                    std::string displayName = {}) {
    ServiceManagerApi::CreateArgs args;
    args.serviceName = name;
    args.displayName = displayName.empty() ? name : std::move(displayName);
    args.binaryPathName = command;
    return platform.CreateService(manager, args);
}

// Starts a created test service and follows it to one of the end states.
inline void StartAndWait(Platform& platform, const ServiceHandle& service,
                         std::initializer_list<std::uint32_t> endStates, ServiceStatus& status,
                         std::uint32_t timeoutMs = 15000) {
    ASSERT_EQ(platform.StartService(service, {}), kErrorSuccess);
    ASSERT_TRUE(WaitForState(platform, service, endStates, timeoutMs, status))
        << "state " << status.currentState;
}

}  // namespace vtl::testing
