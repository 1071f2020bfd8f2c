#pragma once
// The fixture of the contract suite: a fresh backend for every test, the local
// service manager opened with all access, guards that remove every service a
// test creates (also when it fails), and on backends that count handles the
// proof that none is left open.

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/contract/ContractBackend.h"
#include "core/testing/PlatformChecks.h"

namespace vtl::contract {

// Longest wait for a state the test service reaches on its own; only a failing
// test waits this long.
inline constexpr std::uint32_t kWaitMs = 8000;

class ContractTest : public ::testing::TestWithParam<BackendParam> {
  protected:
    void SetUp() override;
    void TearDown() override;

    [[nodiscard]] Backend& backend() { return *backend_; }
    [[nodiscard]] Platform& platform() { return backend_->platform(); }
    [[nodiscard]] const ScManagerHandle& manager() const { return manager_; }
    // "\\NAME" of the local computer.
    [[nodiscard]] std::string UncLocal();

    // A guard for a service of this test, made before the service so that
    // nothing stays behind whatever the test does.
    [[nodiscard]] std::unique_ptr<vtl::testing::ServiceGuard> Guard(const std::string& name);
    // A unique name from the stem for a service of this test, with a guard the
    // fixture holds until the test ends.
    [[nodiscard]] std::string Name(std::string_view stem);
    // The test service's command path with options.
    [[nodiscard]] std::string Command(const std::string& options);
    // Creates a test service (all access); fails the test when it cannot.
    [[nodiscard]] ServiceHandle Create(const std::string& name, const std::string& options,
                                       std::uint32_t startType = kServiceDemandStart);
    // The current state, or 0 when it cannot be read.
    [[nodiscard]] std::uint32_t StateOf(const ServiceHandle& service);
    // Follows the service until it reports one of the states.
    [[nodiscard]] bool WaitFor(const ServiceHandle& service,
                               std::initializer_list<std::uint32_t> states, ServiceStatus& status,
                               std::uint32_t timeoutMs = kWaitMs);
    // Starts the service and follows it to RUNNING.
    [[nodiscard]] ::testing::AssertionResult Start(const ServiceHandle& service,
                                                   const std::vector<std::string>& arguments = {});
    // Asks the service to stop and follows it to STOPPED.
    [[nodiscard]] ::testing::AssertionResult Stop(const ServiceHandle& service);
    // Follows the service to the state.
    [[nodiscard]] ::testing::AssertionResult Reach(const ServiceHandle& service,
                                                   std::uint32_t state);
    // Polls a start thread until it has ended: its exit code, or 259 after the wait.
    [[nodiscard]] std::uint32_t ExitCodeOf(const ThreadHandle& thread,
                                           std::uint32_t timeoutMs = kWaitMs);
    // Starts the service through the companion library and waits for the thread's code.
    [[nodiscard]] std::uint32_t StartThread(const std::string& service, const std::string& computer,
                                            const std::optional<std::string>& parameter = {});
    // Waits until the marker file the test service writes when it runs holds
    // the text (a new run writes it anew).
    [[nodiscard]] ::testing::AssertionResult MarkerIs(const std::string& path,
                                                      const std::string& text);
    // A marker path in the scratch folder and the option that names it.
    [[nodiscard]] std::string MarkerPath(const std::string& serviceName);
    [[nodiscard]] static std::string MarkerOption(const std::string& path);

  private:
    std::unique_ptr<Backend> backend_;
    ScManagerHandle manager_;
    std::vector<std::unique_ptr<vtl::testing::ServiceGuard>> guards_;
};

// Suites of the contract, one per area; every backend instantiates all of them.
class ServiceManagerContract : public ContractTest {};
class ServiceStatesContract : public ContractTest {};
class RegistryContract : public ContractTest {};
class SystemContract : public ContractTest {};
class StartLibraryContract : public ContractTest {};
// Behaviours of Windows that Wine 8 does not reproduce; each test names the
// behaviour it needs and skips, with the reason, where it is missing.
class BeyondWineContract : public ContractTest {
  protected:
    // Three test services in a chain and one beside it: top needs middle needs
    // base; side needs base.
    struct Chain {
        std::string base, middle, top, side;
    };
    [[nodiscard]] Chain MakeChain();
    [[nodiscard]] ServiceHandle Open(const std::string& name);
};

// Skips the running test when the backend lacks the behaviour, saying why.
#define VTL_REQUIRE_BEHAVIOUR(behaviour)                                                   \
    do {                                                                                   \
        if (!backend().Reproduces(behaviour)) GTEST_SKIP() << backend().WhyNot(behaviour); \
    } while (false)

struct BackendParamName {
    std::string operator()(const ::testing::TestParamInfo<BackendParam>& info) const {
        return info.param.name;
    }
};

// Instantiates every suite of the contract over one backend.
#define VTL_INSTANTIATE_CONTRACT(prefix, param)                                        \
    INSTANTIATE_TEST_SUITE_P(prefix, ServiceManagerContract, ::testing::Values(param), \
                             BackendParamName());                                      \
    INSTANTIATE_TEST_SUITE_P(prefix, ServiceStatesContract, ::testing::Values(param),  \
                             BackendParamName());                                      \
    INSTANTIATE_TEST_SUITE_P(prefix, RegistryContract, ::testing::Values(param),       \
                             BackendParamName());                                      \
    INSTANTIATE_TEST_SUITE_P(prefix, SystemContract, ::testing::Values(param),         \
                             BackendParamName());                                      \
    INSTANTIATE_TEST_SUITE_P(prefix, StartLibraryContract, ::testing::Values(param),   \
                             BackendParamName());                                      \
    INSTANTIATE_TEST_SUITE_P(prefix, BeyondWineContract, ::testing::Values(param),     \
                             BackendParamName())

}  // namespace vtl::contract
