#include "core/ServiceCalls.h"

#include "core/ServiceRow.h"

namespace vtl {

std::string GetErrorText(SystemApi& system, ErrorCode code) {
    std::string text = CutToChars(system.FormatMessage(code), kErrorTextMaxChars);
    if (code == kRpcServerUnavailable) {
        text += '\r';
        text += kNetworkHint;
    }
    return text;
}

std::string WithAdministratorHint(std::string text, ErrorCode code) {
    if (code != kErrorAccessDenied) return text;
    if (!text.empty() && text.back() != '\r' && text.back() != '\n') text += '\r';
    text += kAdministratorHint;
    return text;
}

std::string CommandErrorText(SystemApi& system, ErrorCode code) {
    return WithAdministratorHint(GetErrorText(system, code), code);
}

std::string OpenFailureText(SystemApi& system, ErrorCode code) {
    return GetErrorText(system, code) + "  " + std::to_string(code);
}

std::string MoreDataNotReturnedText(ErrorCode code) {
    return "ERROR_MORE_DATA not returned; error " + std::to_string(code);
}

bool HasQueryServiceConfig2(SystemApi& system, const std::string& libraryName) {
    auto [library, error] = system.LoadLibrary(libraryName);
    if (!library) return false;
    return system.HasProcAddress(library, "QueryServiceConfig2A");
}

ConfigRead GetServiceConfig(ServiceManagerApi& scm, const ServiceHandle& service) {
    ConfigRead read;
    auto sizing = scm.QueryServiceConfig(service, 0);
    read.sizingError = sizing.error;
    if (sizing.error != kErrorInsufficientBuffer) {
        // A first call that does not ask for room ends the read there.
        read.error = sizing.error;
        return read;
    }
    auto full = scm.QueryServiceConfig(service, sizing.bytesNeeded + 1);
    read.error = full.error;
    if (full.error == kErrorSuccess) read.config = std::move(full.config);
    return read;
}

std::uint32_t EnumRecordsFor(std::uint32_t bytesNeeded, std::uint32_t recordSize) {
    return bytesNeeded / (recordSize == 0 ? 1 : recordSize) + 1;
}

namespace {

template <class SecondCall>
EnumRead ReadEnumeration(ServiceManagerApi& scm, ServiceManagerApi::EnumResult first,
                         SecondCall&& second) {
    EnumRead read;
    read.firstError = first.error;
    if (first.error != kErrorMoreData) {
        read.error = first.error;
        read.entries = std::move(first.entries);
        return read;
    }
    const std::uint32_t recordSize = scm.EnumRecordSize();
    const std::uint32_t records = EnumRecordsFor(first.bytesNeeded, recordSize);
    auto result = second(records * recordSize);
    read.error = result.error;
    if (result.error == kErrorSuccess) read.entries = std::move(result.entries);
    return read;
}

}  // namespace

EnumRead EnumerateServices(ServiceManagerApi& scm, const ScManagerHandle& manager,
                           std::uint32_t serviceType, std::uint32_t serviceState) {
    return ReadEnumeration(scm, scm.EnumServicesStatus(manager, serviceType, serviceState, 0),
                           [&](std::uint32_t bytes) {
                               return scm.EnumServicesStatus(manager, serviceType, serviceState,
                                                             bytes);
                           });
}

EnumRead EnumerateDependents(ServiceManagerApi& scm, const ServiceHandle& service,
                             std::uint32_t serviceState) {
    return ReadEnumeration(scm, scm.EnumDependentServices(service, serviceState, 0),
                           [&](std::uint32_t bytes) {
                               return scm.EnumDependentServices(service, serviceState, bytes);
                           });
}

}  // namespace vtl
