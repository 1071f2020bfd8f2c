// The contract over the real Win32 calls: Wine's service manager and registry in
// the windows preset, with the real test service and the real VtlIns.dll.

#include "core/contract/ContractTest.h"
#include "core/contract/Win32Backend.h"

namespace vtl::contract {
namespace {

const BackendParam kWin32{"Win32", [] { return MakeWin32Backend(); }};

}  // namespace

VTL_INSTANTIATE_CONTRACT(Win32, kWin32);

}  // namespace vtl::contract
