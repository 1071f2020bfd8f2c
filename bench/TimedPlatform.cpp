#include "bench/TimedPlatform.h"

namespace vtl::bench {

ScManagerHandle TimedPlatform::Inner(const ScManagerHandle& handle) const {
    return ScManagerHandle(nullptr, handle.get());  // a view: never closes
}

ServiceHandle TimedPlatform::Inner(const ServiceHandle& handle) const {
    return ServiceHandle(nullptr, handle.get());
}

Opened<ScManagerHandle> TimedPlatform::OpenSCManager(const std::string& machine,
                                                     std::uint32_t access) {
    auto opened = Timed([&] { return inner_.OpenSCManager(machine, access); });
    return {ScManagerHandle(this, opened.handle.release()), opened.error};
}

Opened<ServiceHandle> TimedPlatform::OpenService(const ScManagerHandle& manager,
                                                 const std::string& serviceName,
                                                 std::uint32_t access) {
    auto opened = Timed([&] { return inner_.OpenService(Inner(manager), serviceName, access); });
    return {ServiceHandle(this, opened.handle.release()), opened.error};
}

void TimedPlatform::CloseServiceHandle(std::uintptr_t handle) noexcept {
    const auto start = std::chrono::steady_clock::now();
    inner_.CloseServiceHandle(handle);
    inside_ += std::chrono::steady_clock::now() - start;
    ++calls_;
}

ServiceManagerApi::EnumResult TimedPlatform::EnumServicesStatus(const ScManagerHandle& manager,
                                                                std::uint32_t serviceType,
                                                                std::uint32_t serviceState,
                                                                std::uint32_t bufferBytes) {
    return Timed([&] {
        return inner_.EnumServicesStatus(Inner(manager), serviceType, serviceState, bufferBytes);
    });
}

ServiceManagerApi::EnumResult TimedPlatform::EnumDependentServices(const ServiceHandle& service,
                                                                   std::uint32_t serviceState,
                                                                   std::uint32_t bufferBytes) {
    return Timed(
        [&] { return inner_.EnumDependentServices(Inner(service), serviceState, bufferBytes); });
}

ServiceManagerApi::ConfigResult TimedPlatform::QueryServiceConfig(const ServiceHandle& service,
                                                                  std::uint32_t bufferBytes) {
    return Timed([&] { return inner_.QueryServiceConfig(Inner(service), bufferBytes); });
}

ServiceManagerApi::DescriptionResult TimedPlatform::QueryServiceDescription(
    const ServiceHandle& service, std::uint32_t bufferBytes) {
    return Timed([&] { return inner_.QueryServiceDescription(Inner(service), bufferBytes); });
}

ErrorCode TimedPlatform::QueryServiceStatus(const ServiceHandle& service, ServiceStatus& status) {
    return Timed([&] { return inner_.QueryServiceStatus(Inner(service), status); });
}

ErrorCode TimedPlatform::ChangeServiceConfig(const ServiceHandle& service,
                                             const ConfigChange& change) {
    return inner_.ChangeServiceConfig(Inner(service), change);
}

ErrorCode TimedPlatform::ChangeServiceDescription(const ServiceHandle& service,
                                                  const std::string& description) {
    return inner_.ChangeServiceDescription(Inner(service), description);
}

ErrorCode TimedPlatform::StartService(const ServiceHandle& service,
                                      const std::vector<std::string>& arguments) {
    return inner_.StartService(Inner(service), arguments);
}

ErrorCode TimedPlatform::ControlService(const ServiceHandle& service, std::uint32_t control,
                                        ServiceStatus& status) {
    return inner_.ControlService(Inner(service), control, status);
}

ServiceManagerApi::Created TimedPlatform::CreateService(const ScManagerHandle& manager,
                                                        const CreateArgs& args) {
    Created created = inner_.CreateService(Inner(manager), args);
    created.handle = ServiceHandle(this, created.handle.release());
    return created;
}

ErrorCode TimedPlatform::DeleteService(const ServiceHandle& service) {
    return inner_.DeleteService(Inner(service));
}

}  // namespace vtl::bench
