#pragma once
// The standard simulated network: a Windows 11 workstation (the local computer),
// a Windows Server 2022 file server of the same domain, and an old server that
// no longer answers. Their services are those of current installations: real
// names, display names, start types, accounts, types, dependencies and the usual
// running or stopped states.

#include <cstddef>
#include <memory>
#include <string_view>

#include "core/sim/SimNetwork.h"

namespace vtl::sim {

inline constexpr std::string_view kWorkstationName = "WS-ADMIN01";
inline constexpr std::string_view kServerName = "SRV-FILE01";
inline constexpr std::string_view kUnreachableName = "OLD-NT4";
inline constexpr std::string_view kDomainName = "CORP";
inline constexpr std::string_view kProductVersion = "3.1.3";

// A new network with the three computers; the workstation is the local one.
[[nodiscard]] std::unique_ptr<SimNetwork> MakeStandardNetwork();

// Adds the workstation's or the server's services, registry, files, shares and
// accounts to a computer (for networks built by hand).
void PopulateWorkstation(SimComputer& computer);
void PopulateServer(SimComputer& computer);

}  // namespace vtl::sim
