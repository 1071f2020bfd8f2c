#include "core/contract/ContractTest.h"

#include "core/ServiceRow.h"

namespace vtl::contract {

void ContractTest::SetUp() {
    backend_ = GetParam().make();
    ASSERT_TRUE(backend_);
    auto [handle, error] = platform().OpenSCManager("", kScManagerAllAccess);
    ASSERT_EQ(error, kErrorSuccess);
    ASSERT_TRUE(handle);
    manager_ = std::move(handle);
}

void ContractTest::TearDown() {
    // The test's own handles and guards are gone by now; ours go last, the
    // services made last first.
    while (!guards_.empty())
        guards_.pop_back();
    manager_.reset();
    if (backend_) {
        if (const auto open = backend_->OpenHandleCount()) {
            EXPECT_EQ(*open, 0u) << "handles left open";
        }
    }
    backend_.reset();
}

std::string ContractTest::UncLocal() {
    return UncComputerName(backend().LocalMachine());
}

std::unique_ptr<vtl::testing::ServiceGuard> ContractTest::Guard(const std::string& name) {
    Backend* owner = backend_.get();
    return std::make_unique<vtl::testing::ServiceGuard>(
        platform(), "", name, [owner](const std::string& service) { owner->ForceStop(service); });
}

std::string ContractTest::Name(std::string_view stem) {
    std::string name = backend().UniqueName(stem);
    guards_.push_back(Guard(name));
    return name;
}

std::string ContractTest::Command(const std::string& options) {
    return vtl::testing::TestServiceCommand(backend().TestServiceFolder(), options);
}

ServiceHandle ContractTest::Create(const std::string& name, const std::string& options,
                                   std::uint32_t startType) {
    ServiceManagerApi::CreateArgs args;
    args.serviceName = name;
    args.displayName = "Vantrel Contract " + name;
    args.startType = startType;
    args.binaryPathName = Command(options);
    auto created = platform().CreateService(manager_, args);
    EXPECT_EQ(created.error, kErrorSuccess) << "CreateService " << name;
    EXPECT_TRUE(created.handle) << "CreateService " << name;
    return std::move(created.handle);
}

std::uint32_t ContractTest::StateOf(const ServiceHandle& service) {
    ServiceStatus status;
    if (platform().QueryServiceStatus(service, status) != kErrorSuccess) return 0;
    return status.currentState;
}

bool ContractTest::WaitFor(const ServiceHandle& service,
                           std::initializer_list<std::uint32_t> states, ServiceStatus& status,
                           std::uint32_t timeoutMs) {
    return vtl::testing::WaitForState(platform(), service, states, timeoutMs, status, 20);
}

::testing::AssertionResult ContractTest::Start(const ServiceHandle& service,
                                               const std::vector<std::string>& arguments) {
    if (const ErrorCode error = platform().StartService(service, arguments); error != kErrorSuccess)
        return ::testing::AssertionFailure() << "StartService: " << error;
    return Reach(service, kServiceRunning);
}

::testing::AssertionResult ContractTest::Stop(const ServiceHandle& service) {
    ServiceStatus status;
    if (const ErrorCode error = platform().ControlService(service, kServiceControlStop, status);
        error != kErrorSuccess)
        return ::testing::AssertionFailure() << "stop: " << error;
    return Reach(service, kServiceStopped);
}

::testing::AssertionResult ContractTest::Reach(const ServiceHandle& service, std::uint32_t state) {
    ServiceStatus status;
    if (WaitFor(service, {state}, status)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "state " << status.currentState << ", not " << state;
}

std::uint32_t ContractTest::ExitCodeOf(const ThreadHandle& thread, std::uint32_t timeoutMs) {
    const std::uint64_t end = platform().TickCount() + timeoutMs;
    for (;;) {
        const auto exit = platform().GetExitCodeThread(thread);
        EXPECT_EQ(exit.error, kErrorSuccess);
        if (exit.code != kStillActive || platform().TickCount() >= end) return exit.code;
        platform().Sleep(20);
    }
}

std::uint32_t ContractTest::StartThread(const std::string& service, const std::string& computer,
                                        const std::optional<std::string>& parameter) {
    auto [thread, error] = platform().VTLStartService(service, computer, parameter);
    EXPECT_EQ(error, kErrorSuccess);
    EXPECT_TRUE(thread);
    return thread ? ExitCodeOf(thread) : error;
}

::testing::AssertionResult ContractTest::MarkerIs(const std::string& path,
                                                  const std::string& text) {
    const std::uint64_t end = platform().TickCount() + kWaitMs;
    for (;;) {
        const auto content = backend().ReadFile(path);
        if (content == text) return ::testing::AssertionSuccess();
        if (platform().TickCount() >= end)
            return ::testing::AssertionFailure()
                   << "marker " << ::testing::PrintToString(content.value_or("<none>"));
        platform().Sleep(20);
    }
}

std::string ContractTest::MarkerPath(const std::string& serviceName) {
    return backend().ScratchFolder() + "\\" + serviceName + " marker.txt";
}

std::string ContractTest::MarkerOption(const std::string& path) {
    return "--marker \"" + path + "\"";
}

}  // namespace vtl::contract
