// The Win32 backend's system calls against the real system (Wine in the
// windows preset): error texts, libraries, names, drives, files, shares,
// accounts and the companion library's loading.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/ServiceCalls.h"
#include "core/ServiceRow.h"
#include "core/testing/PlatformChecks.h"
#include "core/win32/Win32Platform.h"
#include "core/win32/Win32TestSupport.h"
#include "core/win32/WinHandle.h"
#include "core/win32/WinString.h"
#include "core/win32/Windows.h"

namespace vtl::win32 {
namespace {

using vtl::testing::CheckErrorTexts;
using vtl::win32::testing::IsWine;
using vtl::win32::testing::UniqueName;

// A folder below the test program's own, removed with its files at the end.
class TempFolder {
  public:
    explicit TempFolder(Win32Platform& platform)
        : path_(platform.ApplicationFolder() + "\\" + UniqueName("vtl_files")) {}
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        const std::wstring folder = Widen(path_);
        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name != L"." && name != L"..") DeleteFileW((folder + L"\\" + name).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(folder.c_str());
    }
    [[nodiscard]] const std::string& path() const { return path_; }

  private:
    std::string path_;
};

std::string ReadWholeFile(const std::string& path) {
    UniqueKernelHandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return "<cannot open>";
    std::string content;
    char chunk[512];
    DWORD read = 0;
    while (ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0)
        content.append(chunk, read);
    return content;
}

TEST(Win32System, ErrorTextsOfRealCodes) {
    Win32Platform platform;
    ASSERT_NO_FATAL_FAILURE(CheckErrorTexts(platform));
    // The system's text itself, before GetErrorText adds anything.
    const std::string raw = platform.FormatMessage(kErrorAccessDenied);
    ASSERT_FALSE(raw.empty());
    EXPECT_EQ(GetErrorText(platform, kErrorAccessDenied), raw);
    EXPECT_EQ(platform.FormatMessage(0x2000ABCDu), "");
}

TEST(Win32System, LibrariesAndExports) {
    Win32Platform platform;
    EXPECT_TRUE(HasQueryServiceConfig2(platform, "Advapi32.dll"));
    EXPECT_FALSE(HasQueryServiceConfig2(platform, "NoSuchLibraryVtl.dll"));

    auto [missing, missingError] = platform.LoadLibrary("NoSuchLibraryVtl.dll");
    EXPECT_FALSE(missing);
    EXPECT_EQ(missingError, 126u);  // ERROR_MOD_NOT_FOUND

    auto [kernel, kernelError] = platform.LoadLibrary("kernel32.dll");
    ASSERT_TRUE(kernel);
    EXPECT_EQ(kernelError, kErrorSuccess);
    EXPECT_TRUE(platform.HasProcAddress(kernel, "GetTickCount64"));
    EXPECT_FALSE(platform.HasProcAddress(kernel, "NoSuchExportVtl"));
    EXPECT_FALSE(platform.HasProcAddress(LibraryHandle(), "GetTickCount64"));

    // Releasing a library keeps the thread's last error.
    SetLastError(1234);
    kernel.reset();
    EXPECT_EQ(GetLastError(), 1234u);
}

TEST(Win32System, ComputerNameOpensTheLocalServiceManager) {
    Win32Platform platform;
    const auto computer = platform.GetComputerName();
    ASSERT_EQ(computer.error, kErrorSuccess);
    ASSERT_FALSE(computer.name.empty());
    EXPECT_EQ(computer.name.find('\\'), std::string::npos);
    // The name as Windows gives it, compared with the wide call directly.
    wchar_t direct[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    ASSERT_TRUE(GetComputerNameW(direct, &size));
    EXPECT_EQ(computer.name, Narrow(direct));

    for (const std::string& machine :
         {UncComputerName(computer.name), computer.name, std::string()}) {
        SCOPED_TRACE(machine);
        auto [manager, error] = platform.OpenSCManager(machine, kScManagerEnumerateService);
        EXPECT_TRUE(manager);
        EXPECT_EQ(error, kErrorSuccess);
    }
}

TEST(Win32System, DrivesIncludeTheFixedSystemDrive) {
    Win32Platform platform;
    const auto drives = platform.GetLogicalDriveStrings();
    ASSERT_FALSE(drives.empty());
    for (const auto& drive : drives) {
        EXPECT_EQ(drive.size(), 3u) << drive;
        EXPECT_EQ(drive.substr(1), ":\\") << drive;
    }
    EXPECT_NE(std::find(drives.begin(), drives.end(), "C:\\"), drives.end());
    EXPECT_EQ(platform.GetDriveType("C:\\"), kDriveFixed);
    // A letter no drive has (Wine maps C: and Z: only).
    if (IsWine()) {
        EXPECT_EQ(std::find(drives.begin(), drives.end(), "Q:\\"), drives.end());
        EXPECT_EQ(platform.GetDriveType("Q:\\"), kDriveNoRootDir);
    }
}

TEST(Win32System, FilesAndFolders) {
    Win32Platform platform;
    const std::string app = platform.ApplicationFolder();
    ASSERT_FALSE(app.empty());
    EXPECT_NE(app.back(), '\\');
    EXPECT_TRUE(platform.FileExists(app + "\\win32_platform_test.exe"));
    EXPECT_FALSE(platform.FileExists(app + "\\no-such-file.vtl"));

    const TempFolder folder(platform);
    ASSERT_EQ(platform.CreateDirectory(folder.path()), kErrorSuccess);
    EXPECT_EQ(platform.CreateDirectory(folder.path()), kErrorAlreadyExists);
    EXPECT_FALSE(platform.FileExists(folder.path()));  // a folder is no file

    // A name outside the ANSI code page, CR LF kept as written.
    const std::string name = folder.path() +
                             "\\Gr\xC3\xBC\xC3\x9F"
                             "e \xCE\xA9_Inst.bat";
    const std::string content = "\r\n# line \xC3\xA9\r\n \r\nVtlShell -remove \"X\"\r\n";
    ASSERT_EQ(platform.WriteFile(name, content), kErrorSuccess);
    EXPECT_TRUE(platform.FileExists(name));
    EXPECT_EQ(ReadWholeFile(name), content);
    // Written again: replaced, not appended.
    ASSERT_EQ(platform.WriteFile(name, "short"), kErrorSuccess);
    EXPECT_EQ(ReadWholeFile(name), "short");

    const std::string copy = folder.path() + "\\copy.bat";
    EXPECT_EQ(platform.CopyFile(name, copy, true), kErrorSuccess);
    EXPECT_EQ(ReadWholeFile(copy), "short");
    EXPECT_EQ(platform.CopyFile(name, copy, true), kErrorFileExists);
    EXPECT_EQ(platform.CopyFile(name, copy, false), kErrorSuccess);
    EXPECT_EQ(platform.CopyFile(folder.path() + "\\missing.exe", copy, false), kErrorFileNotFound);
    EXPECT_EQ(platform.WriteFile(folder.path() + "\\no-such-folder\\x.bat", "x"),
              kErrorPathNotFound);
}

TEST(Win32System, AccountsAsTheSystemKnowsThem) {
    Win32Platform platform;
    // Wine resolves SYSTEM (with a fake SID) but not Administrator; Windows resolves both.
    const auto system = platform.LookupAccountName("", "SYSTEM");
    ASSERT_EQ(system.error, kErrorSuccess);
    ASSERT_FALSE(system.sid.empty());
    EXPECT_TRUE(IsValidSid(const_cast<std::uint8_t*>(system.sid.data())));
    EXPECT_EQ(GetLengthSid(const_cast<std::uint8_t*>(system.sid.data())), system.sid.size());
    EXPECT_NE(system.use, 0u);

    const auto unknown = platform.LookupAccountName("", "NoSuchAccountVtl42");
    EXPECT_EQ(unknown.error, kErrorNoneMapped);
    EXPECT_TRUE(unknown.sid.empty());
}

TEST(Win32System, SharesOfTheLocalComputer) {
    Win32Platform platform;
    const auto computer = platform.GetComputerName();
    const auto shares = platform.NetShareEnum(UncComputerName(computer.name));
    if (IsWine()) {
        // Wine does not implement the share enumeration (50 at every level).
        EXPECT_EQ(shares.error, kErrorNotSupported);
        EXPECT_TRUE(shares.shares.empty());
    } else if (shares.error == kErrorSuccess) {
        for (const auto& share : shares.shares)
            EXPECT_FALSE(share.netName.empty());
    }
}

TEST(Win32System, TimePassesThroughSleep) {
    Win32Platform platform;
    const std::uint64_t before = platform.TickCount();
    platform.Sleep(60);
    EXPECT_GE(platform.TickCount() - before, 40u);  // the tick's granularity is ~16 ms
}

TEST(Win32System, CompanionLibraryLoadedFromTheApplicationFolder) {
    Win32Platform platform;
    const bool present = platform.FileExists(platform.ApplicationFolder() + "\\VtlIns.dll");
    auto [thread, error] = platform.VTLStartService("NoSuchServiceVtl", "", std::nullopt);
    if (!present) {
        // Without the library nothing starts: the load error, no handle.
        EXPECT_FALSE(thread);
        EXPECT_EQ(error, 126u);
        EXPECT_EQ(platform.fnLogRight("", {1, 2, 3}), 126u);
    } else {
        // The start of a service that does not exist ends, and not with success.
        ASSERT_TRUE(thread) << "error " << error;
        StartLibraryApi::ExitCode exit;
        const std::uint64_t end = platform.TickCount() + 10000;
        do {
            exit = platform.GetExitCodeThread(thread);
            ASSERT_EQ(exit.error, kErrorSuccess);
            if (exit.code != kStillActive) break;
            platform.Sleep(20);
        } while (platform.TickCount() < end);
        EXPECT_NE(exit.code, kStillActive);
        EXPECT_NE(exit.code, 0u);
    }
    // The exit code of no thread cannot be read.
    EXPECT_EQ(platform.GetExitCodeThread(ThreadHandle()).error, kErrorInvalidHandle);
}

// The system's ANSI form of a UTF-8 text.
std::string Ansi(const std::string& utf8) {
    const std::wstring wide = Widen(utf8);
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), size,
                        nullptr, nullptr);
    return ansi;
}

TEST(Win32System, CompanionExportsAreCalledAsTheyAreDeclared) {
    // A stand-in VtlIns.dll records what it is given.
    const std::string folder = Win32Platform().ApplicationFolder() + "\\fakecompanion";
    Win32Platform platform(folder + "\\VtlIns.dll");
    const std::string record = folder + "\\FakeCompanion.txt";

    // ANSI strings; no parameter is a null pointer, an empty one is not.
    struct Case {
        std::optional<std::string> parameter;
        std::string seen;
    };
    for (const Case& c : {Case{std::nullopt, "<null>"}, Case{"", ""}, Case{"-p \xC3\xA9", ""}}) {
        DeleteFileW(Widen(record).c_str());
        auto [thread, error] = platform.VTLStartService("Svc \xC3\xA9", "\\\\PC", c.parameter);
        ASSERT_TRUE(thread) << "error " << error;
        EXPECT_EQ(error, kErrorSuccess);
        const std::string parameter = c.parameter ? Ansi(*c.parameter) : c.seen;
        EXPECT_EQ(ReadWholeFile(record), Ansi("Svc \xC3\xA9") + "|\\\\PC|" + parameter);
        // The thread runs on and then ends with its code.
        StartLibraryApi::ExitCode exit = platform.GetExitCodeThread(thread);
        ASSERT_EQ(exit.error, kErrorSuccess);
        EXPECT_EQ(exit.code, kStillActive);
        const std::uint64_t end = platform.TickCount() + 10000;
        while (exit.code == kStillActive && platform.TickCount() < end) {
            platform.Sleep(20);
            exit = platform.GetExitCodeThread(thread);
        }
        EXPECT_EQ(exit.code, 42u);
    }
    DeleteFileW(Widen(record).c_str());
    if (GetACP() == 1252) {
        EXPECT_EQ(Ansi("Svc \xC3\xA9"), "Svc \xE9");
    }

    // fnLogRight: the computer as UTF-16, the SID's bytes.
    const auto system = platform.LookupAccountName("", "SYSTEM");
    ASSERT_EQ(system.error, kErrorSuccess);
    ASSERT_GT(system.sid.size(), 1u);
    EXPECT_EQ(platform.fnLogRight("PC\xC3\x9C", system.sid), 3u * 256u + system.sid[1]);
    EXPECT_EQ(platform.fnLogRight("PC", {}), kErrorInvalidParameter);

    // A library without the exports: 127; no library at all: 126.
    Win32Platform noExports("C:\\windows\\system32\\kernel32.dll");
    EXPECT_EQ(noExports.VTLStartService("S", "PC", std::nullopt).error, kErrorProcNotFound);
    EXPECT_EQ(noExports.fnLogRight("PC", system.sid), kErrorProcNotFound);
    Win32Platform noLibrary(folder + "\\NoSuchCompanion.dll");
    EXPECT_EQ(noLibrary.VTLStartService("S", "PC", std::nullopt).error, 126u);
}

}  // namespace
}  // namespace vtl::win32
