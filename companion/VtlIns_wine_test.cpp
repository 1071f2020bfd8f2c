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
using vtl::win32::UniqueScHandle;

constexpr DWORD kThreadTimeoutMs = 30000;

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

class CompanionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        library_.reset(LoadLibraryW(L"VtlIns.dll"));
        ASSERT_TRUE(library_) << GetLastError();
        start_ = Export<vtl::win32::VTLStartServiceFn>(library_, vtl::win32::kStartServiceExport);
        logRight_ = Export<vtl::win32::fnLogRightFn>(library_, vtl::win32::kLogRightExport);
        ASSERT_NE(start_, nullptr);
        ASSERT_NE(logRight_, nullptr);
    }

    // The exit code of a start thread once it has ended (the caller never closes
    // the handle; the test does, to count handles).
    static DWORD Finish(HANDLE raw) {
        UniqueKernelHandle thread(raw);
        EXPECT_TRUE(thread);
        DWORD code = STILL_ACTIVE;
        EXPECT_TRUE(WaitUntil(
            [&] { return GetExitCodeThread(thread.get(), &code) && code != STILL_ACTIVE; },
            kThreadTimeoutMs));
        return code;
    }

    DWORD Start(const std::wstring& service, const char* computer, const char* parameter) {
        return Finish(start_(Ansi(service).c_str(), computer, parameter));
    }

    // A wrapped service whose batch file writes its arguments and keeps running.
    void MakeRunnableService(TempFolder& folder, const std::wstring& name) {
        ASSERT_TRUE(CopyInto(BinFolder() + L"\\VtlShell.exe", folder));
        ASSERT_TRUE(CopyInto(BinFolder() + L"\\VtlChildProbe.exe", folder));
        WriteFileBytes(folder / L"run.bat",
                       "@echo off\r\necho args %* > \"%~dp0args.txt\"\r\n"
                       "VtlChildProbe.exe \"%~dp0heartbeat.txt\"\r\n");
        ASSERT_EQ(CreateWrappedService(name, folder, L"run.bat"), 0u);
    }

    static bool WaitStopped(const std::wstring& name) {
        return WaitUntil([&] { return QueryStatus(name).dwCurrentState == SERVICE_STOPPED; },
                         kThreadTimeoutMs);
    }

    UniqueLibrary library_;
    vtl::win32::VTLStartServiceFn start_ = nullptr;
    vtl::win32::fnLogRightFn logRight_ = nullptr;
};

TEST_F(CompanionTest, StartsWithEitherFormOfTheComputerNameAndPassesTheParameter) {
    TempFolder folder(L"vtl ins");
    const std::wstring name = UniqueServiceName(L"Vtl Ins Start");
    ServiceGuard guard(name);
    MakeRunnableService(folder, name);
    const std::string plain = Ansi(ComputerName());
    const std::string unc = "\\\\" + plain;

    UniqueKernelHandle thread(start_(Ansi(name).c_str(), unc.c_str(), nullptr));
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(thread.get(), &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));  // returned at once
    EXPECT_EQ(Finish(thread.release()), 0u);
    EXPECT_EQ(QueryStatus(name).dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
    // A second start of a running service reports the service manager's error.
    EXPECT_EQ(Start(name, plain.c_str(), nullptr),
              static_cast<DWORD>(ERROR_SERVICE_ALREADY_RUNNING));
    ASSERT_EQ(StopService(name), 0u);
    ASSERT_TRUE(WaitStopped(name));

    // The plain name, as the wizard passes it, and a parameter as argv[1].
    DeleteFileW((folder / L"args.txt").c_str());
    EXPECT_EQ(Start(name, plain.c_str(), "-p 7"), 0u);
    EXPECT_TRUE(WaitForText(folder / L"args.txt", "args -p 7"));
    ASSERT_EQ(StopService(name), 0u);
    ASSERT_TRUE(WaitStopped(name));

    // No computer at all, and an empty parameter, which is no parameter.
    WriteRegString(L"SYSTEM\\CurrentControlSet\\Services\\" + name + L"\\VTLParams", L"Params",
                   L"stored");
    DeleteFileW((folder / L"args.txt").c_str());
    EXPECT_EQ(Start(name, nullptr, ""), 0u);
    EXPECT_TRUE(WaitForText(folder / L"args.txt", "args stored"));
}

TEST_F(CompanionTest, SimultaneousStartsOnTheOwnComputerByNameAllSucceed) {
    // The main window starts every selected row at once, each on its own thread,
    // all naming this computer as "\\NAME". Wine invalidates a thread's service
    // handle while others start services; the library opens the service again.
    constexpr int kServices = 4;
    TempFolder folder(L"vtl ins many");
    std::vector<std::wstring> names;
    std::vector<std::unique_ptr<ServiceGuard>> guards;
    for (int i = 0; i < kServices; ++i) {
        names.push_back(UniqueServiceName(L"Vtl Ins Many " + std::to_wstring(i)));
        guards.push_back(std::make_unique<ServiceGuard>(names.back()));
    }
    ASSERT_TRUE(CopyInto(BinFolder() + L"\\VtlShell.exe", folder));
    ASSERT_TRUE(CopyInto(BinFolder() + L"\\VtlChildProbe.exe", folder));
    WriteFileBytes(folder / L"run.bat", "@echo off\r\nVtlChildProbe.exe \"%~dp0beat%1.txt\"\r\n");
    for (const auto& name : names)
        ASSERT_EQ(CreateWrappedService(name, folder, L"run.bat"), 0u);

    const std::string unc = "\\\\" + Ansi(ComputerName());
    std::vector<HANDLE> threads;
    for (const auto& name : names)
        threads.push_back(start_(Ansi(name).c_str(), unc.c_str(), nullptr));
    for (std::size_t i = 0; i < threads.size(); ++i)
        EXPECT_EQ(Finish(threads[i]), 0u) << "service " << i;
    for (const auto& name : names) {
        EXPECT_EQ(QueryStatus(name).dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
        EXPECT_EQ(StopService(name), 0u);
    }
    for (const auto& name : names)
        EXPECT_TRUE(WaitStopped(name));
}

TEST_F(CompanionTest, FailuresEndTheThreadWithTheWindowsErrorCode) {
    const std::wstring missing = UniqueServiceName(L"Vtl Ins Missing");
    const std::string plain = Ansi(ComputerName());
    const std::string unc = "\\\\" + plain;
    EXPECT_EQ(Start(missing, unc.c_str(), nullptr),
              static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
    EXPECT_EQ(Start(missing, plain.c_str(), nullptr),
              static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
    EXPECT_EQ(Start(missing, nullptr, "x"), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
    EXPECT_EQ(Finish(start_(nullptr, nullptr, nullptr)),
              static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    TempFolder folder(L"vtl ins");
    ASSERT_TRUE(CopyInto(BinFolder() + L"\\VtlShell.exe", folder));
    const std::wstring disabled = UniqueServiceName(L"Vtl Ins Disabled");
    ServiceGuard disabledGuard(disabled);
    ASSERT_EQ(CreateWrappedService(disabled, folder, L"run.bat", SERVICE_DISABLED), 0u);
    EXPECT_EQ(Start(disabled, unc.c_str(), nullptr), static_cast<DWORD>(ERROR_SERVICE_DISABLED));

    // A service whose executable is gone: Wine reports the file error of the
    // process creation, Windows 2 as well.
    const std::wstring noBinary = UniqueServiceName(L"Vtl Ins NoBinary");
    ServiceGuard noBinaryGuard(noBinary);
    {
        UniqueScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
        ASSERT_TRUE(manager);
        const std::wstring path = L"\"" + (folder / L"nothere.exe") + L"\"";
        UniqueScHandle service(
            CreateServiceW(manager.get(), noBinary.c_str(), noBinary.c_str(), SERVICE_ALL_ACCESS,
                           SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                           path.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
        ASSERT_TRUE(service) << GetLastError();
    }
    const DWORD code = Start(noBinary, plain.c_str(), nullptr);
    EXPECT_EQ(code, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(CompanionTest, TheStartThreadOutlivesTheLibrarysUnloadAndLeaksNoHandle) {
    const std::wstring missing = UniqueServiceName(L"Vtl Ins Missing");
    // Warm up whatever the first calls set up once.
    EXPECT_EQ(Start(missing, nullptr, nullptr), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
    const DWORD before = CountOpenHandles();
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(Start(missing, i % 2 ? "." : nullptr, "p"),
                  static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
    EXPECT_EQ(CountOpenHandles(), before);
    // The count does see a handle more.
    UniqueKernelHandle extra(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    EXPECT_EQ(CountOpenHandles(), before + 1);

    // The caller may unload the library while its thread still runs.
    UniqueLibrary second(LoadLibraryW(L"VtlIns.dll"));
    auto start = Export<vtl::win32::VTLStartServiceFn>(second, "VTLStartService");
    ASSERT_NE(start, nullptr);
    const HANDLE thread = start(Ansi(missing).c_str(), nullptr, nullptr);
    second.reset();
    library_.reset();
    EXPECT_EQ(Finish(thread), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
}

TEST_F(CompanionTest, LogonRightForTheCurrentUser) {
    // Wine's LsaAddAccountRights returns success without storing anything.
    std::wstring user(256, L'\0');
    DWORD userSize = static_cast<DWORD>(user.size());
    ASSERT_TRUE(GetUserNameW(user.data(), &userSize));
    user.resize(userSize - 1);
    std::vector<BYTE> sid(SECURITY_MAX_SID_SIZE);
    DWORD sidSize = static_cast<DWORD>(sid.size());
    std::wstring domain(256, L'\0');
    DWORD domainSize = static_cast<DWORD>(domain.size());
    SID_NAME_USE use{};
    ASSERT_TRUE(LookupAccountNameW(nullptr, user.c_str(), sid.data(), &sidSize, domain.data(),
                                   &domainSize, &use))
        << GetLastError();
    const std::wstring computer = ComputerName();
    EXPECT_EQ(logRight_(computer.c_str(), sid.data()), 0u);
    EXPECT_EQ(logRight_((L"\\\\" + computer).c_str(), sid.data()), 0u);
    EXPECT_EQ(logRight_(nullptr, sid.data()), 0u);
    EXPECT_EQ(logRight_(L"", sid.data()), 0u);

    // A missing or malformed SID is an error, not a crash.
    EXPECT_EQ(logRight_(computer.c_str(), nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    std::vector<BYTE> bad(sid);
    bad[0] = 9;  // no such revision
    EXPECT_EQ(logRight_(computer.c_str(), bad.data()), static_cast<DWORD>(ERROR_INVALID_SID));
}

}  // namespace
}  // namespace vtl::testing
