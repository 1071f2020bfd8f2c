#pragma once
// The contract's backend over the real Win32 calls (Wine's service manager and
// registry in the windows preset). The test service is a copy of VtlTestSvc.exe
// in a folder whose name has spaces.

#include <memory>

#include "core/contract/ContractBackend.h"

namespace vtl::contract {

[[nodiscard]] std::unique_ptr<Backend> MakeWin32Backend();

}  // namespace vtl::contract
