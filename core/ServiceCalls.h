#pragma once
// The service-manager procedures every window shares: error texts, the two-call
// sizing protocols of the configuration query and of both enumerations, and the
// check whether service descriptions can be read.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Platform.h"

namespace vtl {

inline constexpr std::size_t kErrorTextMaxChars = 256;
inline constexpr std::string_view kNetworkHint =
    "This may be due to network problems. Please verify network connectivity.";

// The system's message for a code (with its closing line break, at most 256
// characters), empty when the system has none. 1722 gets CR and the network hint.
[[nodiscard]] std::string GetErrorText(SystemApi& system, ErrorCode code);

// The line a command's failure with 5 (access denied) gets: starting, stopping,
// restarting, removing, changing and creating services, and reading one for an
// export, all need an administrator of the computer they act on.
inline constexpr std::string_view kAdministratorHint =
    "This command needs an administrator: run Vantrel as an administrator of the computer it "
    "acts on.";
// text, and for code 5 kAdministratorHint on the line after it (text keeps its
// own closing line break; one is added when it has none). Any other code: text.
[[nodiscard]] std::string WithAdministratorHint(std::string text, ErrorCode code);
// The text of a command's failure: GetErrorText, with the hint for 5.
[[nodiscard]] std::string CommandErrorText(SystemApi& system, ErrorCode code);

// Text of a failed open of the manager on the list paths: text, two spaces, code.
[[nodiscard]] std::string OpenFailureText(SystemApi& system, ErrorCode code);

// "ERROR_MORE_DATA not returned; error " + code.
[[nodiscard]] std::string MoreDataNotReturnedText(ErrorCode code);

// Loads the library, looks for "QueryServiceConfig2A", releases it. Any failure: false.
[[nodiscard]] bool HasQueryServiceConfig2(SystemApi& system, const std::string& libraryName);

// A configuration read by the sizing protocol.
struct ConfigRead {
    // Outcome of the sizing call: kErrorInsufficientBuffer when it asked for more
    // room (the normal case). Anything else ended the read there.
    ErrorCode sizingError = kErrorSuccess;
    // Error of the last call made (the sizing call when it ended the read).
    ErrorCode error = kErrorSuccess;
    std::optional<ServiceConfig> config;  // set only when the second call succeeded
    [[nodiscard]] bool ok() const { return config.has_value(); }
};
[[nodiscard]] ConfigRead GetServiceConfig(ServiceManagerApi& scm, const ServiceHandle& service);

// An enumeration read by the sizing protocol (no paging).
struct EnumRead {
    // Outcome of the first call, which must be kErrorMoreData.
    ErrorCode firstError = kErrorSuccess;
    // Error of the second call; 0 when entries are valid.
    ErrorCode error = kErrorSuccess;
    std::vector<EnumServiceStatus> entries;
    [[nodiscard]] bool firstAskedForMore() const { return firstError == kErrorMoreData; }
    [[nodiscard]] bool ok() const { return firstAskedForMore() && error == kErrorSuccess; }
};
[[nodiscard]] EnumRead EnumerateServices(ServiceManagerApi& scm, const ScManagerHandle& manager,
                                         std::uint32_t serviceType, std::uint32_t serviceState);
// The dependents of a service: the same protocol. A service without dependents
// answers the first call with success and no entries.
[[nodiscard]] EnumRead EnumerateDependents(ServiceManagerApi& scm, const ServiceHandle& service,
                                           std::uint32_t serviceState);

// Records to allocate for bytesNeeded: bytes needed / record size + 1.
[[nodiscard]] std::uint32_t EnumRecordsFor(std::uint32_t bytesNeeded, std::uint32_t recordSize);

}  // namespace vtl
