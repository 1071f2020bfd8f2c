#pragma once
// The two exports of the companion library VtlIns.dll, shared by the library and
// by the program that loads it, so both sides agree on the calling convention.

#include "core/win32/Windows.h"

namespace vtl::win32 {

inline constexpr const wchar_t* kCompanionLibraryName = L"VtlIns.dll";
inline constexpr const char* kStartServiceExport = "VTLStartService";
inline constexpr const char* kLogRightExport = "fnLogRight";

// Starts the service on a thread of the library's own and returns that thread's
// handle at once. All three strings are ANSI; parameter may be a null pointer.
using VTLStartServiceFn = HANDLE(__stdcall*)(const char* service, const char* computer,
                                             const char* parameter);

// Grants the account the right to log on as a service on the computer; 0 on success.
using fnLogRightFn = DWORD(__stdcall*)(const wchar_t* computer, PSID sid);

}  // namespace vtl::win32
