// VtlIns.dll against Wine's real service manager, loaded by name as the program
// loads it. Every service a test creates is deleted by its guard.
//
// Wine facts: LsaAddAccountRights does nothing and returns success, so a granted
// right cannot be checked here, only the call's arguments and results.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/win32/CompanionAbi.h"
#include "core/win32/WinHandle.h"
#include "wrapper/testing/WineServiceTest.h"

namespace vtl::testing {
namespace {

using vtl::win32::UniqueKernelHandle;
using vtl::win32::UniqueLibrary;

// Open kernel handles of this process, found by asking for each handle value
// (Wine's GetProcessHandleCount always says 0).
DWORD CountOpenHandles() {
    DWORD count = 0;
    for (std::uintptr_t value = 4; value < 4 * 16384; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

template <class Fn>
Fn Export(const UniqueLibrary& library, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library.get(), name)));
}

using CompanionTest = WrappedServiceTest;

TEST_F(CompanionTest, StartsWithEitherFormOfTheComputerNameAndPassesTheParameter) {
    // A wrapped service whose batch file writes its arguments and keeps running.
    WriteFileBytes(folder_ / L"run.bat",
                   "@echo off\r\necho args %* > \"%~dp0args.txt\"\r\n"
                   "VtlChildProbe.exe \"%~dp0heartbeat.txt\"\r\n");
    ASSERT_EQ(CreateWrappedService(name_, folder_, L"run.bat"), 0u);
    const std::string plain = Ansi(ComputerName());
    const std::string unc = "\\\\" + plain;

    UniqueKernelHandle thread(start_(Ansi(name_).c_str(), unc.c_str(), nullptr));
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(thread.get(), &code));
    EXPECT_EQ(code, DWORD{STILL_ACTIVE});  // returned at once
    EXPECT_EQ(Finish(thread.release()), 0u);
    EXPECT_EQ(State(), DWORD{SERVICE_RUNNING});
    // A second start of a running service reports the service manager's error.
    EXPECT_EQ(Start(plain.c_str()), DWORD{ERROR_SERVICE_ALREADY_RUNNING});
    ASSERT_TRUE(StopAndWait());

    // The plain name, as the wizard passes it, and a parameter as argv[1].
    DeleteFileW((folder_ / L"args.txt").c_str());
    EXPECT_EQ(Start(plain.c_str(), "-p 7"), 0u);
    EXPECT_TRUE(WaitForText(folder_ / L"args.txt", "args -p 7"));
    ASSERT_TRUE(StopAndWait());

    // No computer at all, and an empty parameter, which is no parameter.
    WriteRegString(Services(name_) + L"\\VTLParams", L"Params", L"stored");
    DeleteFileW((folder_ / L"args.txt").c_str());
    EXPECT_EQ(Start(nullptr, ""), 0u);
    EXPECT_TRUE(WaitForText(folder_ / L"args.txt", "args stored"));
}

TEST_F(CompanionTest, SimultaneousStartsOnTheOwnComputerByNameAllSucceed) {
    // The main window starts every selected row at once, each on its own thread,
    // all naming this computer as "\\NAME". Wine invalidates a thread's service
    // handle while others start services; the library opens the service again.
    std::vector<std::wstring> names;
    std::vector<std::unique_ptr<ServiceGuard>> guards;
    WriteFileBytes(folder_ / L"run.bat", "@echo off\r\nVtlChildProbe.exe \"%~dp0beat%1.txt\"\r\n");
    for (int i = 0; i < 4; ++i) {
        names.push_back(UniqueServiceName(L"Vtl Ins Many " + std::to_wstring(i)));
        guards.push_back(std::make_unique<ServiceGuard>(names.back()));
        ASSERT_EQ(CreateWrappedService(names.back(), folder_, L"run.bat"), 0u);
    }
    const std::string unc = "\\\\" + Ansi(ComputerName());
    std::vector<HANDLE> threads;
    for (const auto& name : names)
        threads.push_back(start_(Ansi(name).c_str(), unc.c_str(), nullptr));
    for (std::size_t i = 0; i < threads.size(); ++i)
        EXPECT_EQ(Finish(threads[i]), 0u) << "service " << i;
    for (const auto& name : names) {
        EXPECT_EQ(QueryStatus(name).dwCurrentState, DWORD{SERVICE_RUNNING});
        EXPECT_EQ(StopService(name), 0u);
    }
    for (const auto& name : names)
        EXPECT_TRUE(WaitForState(name, SERVICE_STOPPED));
}

TEST_F(CompanionTest, FailuresEndTheThreadWithTheWindowsErrorCodeAndLeakNoHandle) {
    const std::wstring missing = UniqueServiceName(L"Vtl Ins Missing");
    const std::string plain = Ansi(ComputerName());
    const std::string unc = "\\\\" + plain;
    for (const char* computer : {unc.c_str(), plain.c_str(), static_cast<const char*>(nullptr)})
        EXPECT_EQ(Start(missing, computer, "x"), DWORD{ERROR_SERVICE_DOES_NOT_EXIST});
    EXPECT_EQ(Finish(start_(nullptr, nullptr, nullptr)), DWORD{ERROR_INVALID_PARAMETER});

    // Services of a folder without VtlShell.exe: one disabled, one whose
    // executable is gone (Wine reports the file error of the process creation,
    // Windows 2 as well).
    TempFolder empty(L"vtl ins");
    const std::wstring disabled = UniqueServiceName(L"Vtl Ins Disabled");
    const std::wstring noBinary = UniqueServiceName(L"Vtl Ins NoBinary");
    ServiceGuard disabledGuard(disabled);
    ServiceGuard noBinaryGuard(noBinary);
    ASSERT_EQ(CreateWrappedService(disabled, empty, L"run.bat", SERVICE_DISABLED), 0u);
    ASSERT_EQ(CreateWrappedService(noBinary, empty, L"run.bat"), 0u);
    EXPECT_EQ(Start(disabled, unc.c_str(), nullptr), DWORD{ERROR_SERVICE_DISABLED});
    EXPECT_EQ(Start(noBinary, plain.c_str(), nullptr), DWORD{ERROR_FILE_NOT_FOUND});

    // Failing starts leak no handle, and the thread outlives the library's unload.
    const DWORD before = CountOpenHandles();
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(Start(missing, i % 2 ? "." : nullptr, "p"), DWORD{ERROR_SERVICE_DOES_NOT_EXIST});
    EXPECT_EQ(CountOpenHandles(), before);
    // The count does see a handle more.
    UniqueKernelHandle extra(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    EXPECT_EQ(CountOpenHandles(), before + 1);

    // The caller may unload the library while its thread still runs.
    UniqueLibrary second(LoadLibraryW(vtl::win32::kCompanionLibraryName));
    auto start = Export<vtl::win32::VTLStartServiceFn>(second, "VTLStartService");
    ASSERT_NE(start, nullptr);
    const HANDLE thread = start(Ansi(missing).c_str(), nullptr, nullptr);
    second.reset();
    library_.reset();
    EXPECT_EQ(Finish(thread), DWORD{ERROR_SERVICE_DOES_NOT_EXIST});
}

TEST_F(CompanionTest, LogonRightForTheCurrentUser) {
    const auto logRight = Export<vtl::win32::fnLogRightFn>(library_, vtl::win32::kLogRightExport);
    ASSERT_NE(logRight, nullptr);
    UniqueKernelHandle token;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()));
    std::vector<BYTE> user(1024);
    DWORD size = 0;
    ASSERT_TRUE(GetTokenInformation(token.get(), TokenUser, user.data(), 1024, &size));
    const auto sid = static_cast<BYTE*>(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid);
    // Wine's LsaAddAccountRights returns success without storing anything.
    const std::wstring computer = ComputerName();
    const std::wstring unc = L"\\\\" + computer;
    for (const wchar_t* name :
         {computer.c_str(), unc.c_str(), L"", static_cast<const wchar_t*>(nullptr)})
        EXPECT_EQ(logRight(name, sid), 0u);

    // A missing or malformed SID is an error, not a crash.
    EXPECT_EQ(logRight(computer.c_str(), nullptr), DWORD{ERROR_INVALID_PARAMETER});
    sid[0] = 9;  // no such revision
    EXPECT_EQ(logRight(computer.c_str(), sid), DWORD{ERROR_INVALID_SID});
}

}  // namespace
}  // namespace vtl::testing
