// The contract over the simulated standard network.

#include "core/contract/ContractTest.h"
#include "core/contract/SimBackend.h"

namespace vtl::contract {
namespace {

const BackendParam kSim{"Sim", [] { return MakeSimBackend(); }};

}  // namespace

VTL_INSTANTIATE_CONTRACT(Sim, kSim);

}  // namespace vtl::contract
