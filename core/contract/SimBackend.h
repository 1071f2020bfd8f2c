#pragma once
// The contract's backend over the simulated standard network: the program runs
// on the workstation, the test service's options come from its command path.

#include <memory>

#include "core/contract/ContractBackend.h"

namespace vtl::contract {

[[nodiscard]] std::unique_ptr<Backend> MakeSimBackend();

}  // namespace vtl::contract
