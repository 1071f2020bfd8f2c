// A stand-in for the companion library VtlIns.dll, for the Win32 backend's tests
// of how it loads the library and calls its two exports. VTLStartService writes
// the three ANSI strings it got into "FakeCompanion.txt" beside itself and
// returns a thread that ends with 42 after a moment; fnLogRight answers a code
// made of the computer name's length and the SID's sub-authority count.

#include <cwchar>
#include <string>

#include "core/win32/CompanionAbi.h"
#include "core/win32/WinHandle.h"
#include "core/win32/Windows.h"

namespace {

constexpr DWORD kStartExitCode = 42;

std::wstring FolderOfThisLibrary() {
    HMODULE self = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&FolderOfThisLibrary), &self);
    std::wstring path(MAX_PATH, L'\0');
    const DWORD length = GetModuleFileNameW(self, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    return path.substr(0, path.find_last_of(L'\\'));
}

std::string Text(const char* ansi) {
    return ansi == nullptr ? std::string("<null>") : std::string(ansi);
}

DWORD WINAPI StartThread(LPVOID) {
    Sleep(300);
    return kStartExitCode;
}

}  // namespace

extern "C" __declspec(dllexport) HANDLE
    __stdcall VTLStartService(const char* service, const char* computer, const char* parameter) {
    try {
        const std::string record = Text(service) + "|" + Text(computer) + "|" + Text(parameter);
        const std::wstring path = FolderOfThisLibrary() + L"\\FakeCompanion.txt";
        vtl::win32::UniqueKernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                                        nullptr));
        DWORD written = 0;
        if (file)
            WriteFile(file.get(), record.data(), static_cast<DWORD>(record.size()), &written,
                      nullptr);
        return CreateThread(nullptr, 0, StartThread, nullptr, 0, nullptr);
    } catch (...) {
        return nullptr;
    }
}

extern "C" __declspec(dllexport) DWORD __stdcall fnLogRight(const wchar_t* computer, PSID sid) {
    if (computer == nullptr || sid == nullptr || !IsValidSid(sid)) return ERROR_INVALID_PARAMETER;
    return static_cast<DWORD>(std::wcslen(computer)) * 256 + *GetSidSubAuthorityCount(sid);
}

// The exports convert to the program's function types without a cast.
[[maybe_unused]] constexpr vtl::win32::VTLStartServiceFn kStartServiceAbi = &VTLStartService;
[[maybe_unused]] constexpr vtl::win32::fnLogRightFn kLogRightAbi = &fnLogRight;
