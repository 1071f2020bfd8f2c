#pragma once
// The fixture of the contract suite: a fresh backend for every test, the local
// service manager opened with all access, guards that remove every service a
// test creates (also when it fails), and on backends that count handles the
// proof that none is left open.

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
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
    // Reads the marker file the test service writes when it runs: waits until it
    // is complete (at least `lines` lines).
    [[nodiscard]] std::string ReadMarker(const std::string& path, std::size_t lines);
    // A marker path in the scratch folder and the option that names it.
    [[nodiscard]] std::string MarkerPath(const std::string& serviceName);
    [[nodiscard]] static std::string MarkerOption(const std::string& path);

  private:
    std::unique_ptr<Backend> backend_;
    ScManagerHandle manager_;
};

// Suites of the contract, one per area; every backend instantiates all of them.
class ServiceManagerContract : public ContractTest {};
class ServiceStatesContract : public ContractTest {};
class RegistryContract : public ContractTest {};
class SystemContract : public ContractTest {};
class StartLibraryContract : public ContractTest {};
// Behaviours of Windows that Wine 8 does not reproduce; each test names the
// behaviour it needs and skips, with the reason, where it is missing.
class BeyondWineContract : public ContractTest {};

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
