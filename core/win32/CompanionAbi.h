#pragma once
// The exports of the companion start library VtlIns.dll, as GetProcAddress
// returns them.

#include "core/win32/Windows.h"

namespace vtl::win32 {

using VTLStartServiceFn = HANDLE(__stdcall*)(const char*, const char*, const char*);
using fnLogRightFn = DWORD(__stdcall*)(const wchar_t*, PSID);

}  // namespace vtl::win32
