// The Win32 backend's system calls against the real system (Wine in the
// windows preset) where they go beyond the contract suite: drives, shares,
// time and the calls into the companion library.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "core/ServiceCalls.h"
#include "core/ServiceRow.h"
#include "core/win32/Win32Platform.h"
#include "core/win32/Win32TestSupport.h"
#include "core/win32/WinString.h"
#include "core/win32/Windows.h"

namespace vtl::win32 {
namespace {

using vtl::win32::testing::IsWine;

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(std::filesystem::path(Widen(path)), std::ios::binary);
    return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "<cannot open>";
}

// The service manager reads a dependency list up to its second zero: one zero
// short and it reads on past the end.
TEST(Win32System, DependencyListsEndWithTwoZeros) {
    EXPECT_EQ(JoinMultiString({"RpcSs", "", "Pl\xc3\xbcgPlay"}),
              std::wstring(L"RpcSs\0Pl\u00fcgPlay\0\0", 16));
    EXPECT_EQ(JoinMultiString({}), std::wstring(1, L'\0'));
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
    EXPECT_GE(platform.TickCount() - before,
              40u);  // the tick's granularity is ~16 ms
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
