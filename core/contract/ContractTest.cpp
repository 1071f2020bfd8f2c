#include "core/contract/ContractTest.h"

#include <algorithm>

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
    // The test's own handles and guards are gone by now; ours go last.
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

std::string ContractTest::ReadMarker(const std::string& path, std::size_t lines) {
    std::string content;
    const std::uint64_t end = platform().TickCount() + kWaitMs;
    for (;;) {
        content = backend().ReadFile(path).value_or("");
        const auto count =
            static_cast<std::size_t>(std::count(content.begin(), content.end(), '\n'));
        if (count >= lines || platform().TickCount() >= end) return content;
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
