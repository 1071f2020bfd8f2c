// Files, drives, shares, accounts, message texts, libraries and time on the
// simulated computers.

#include <gtest/gtest.h>

#include "core/ServiceCalls.h"
#include "core/ServiceTypes.h"
#include "core/sim/SimMessages.h"
#include "core/sim/SimNetwork.h"
#include "core/sim/SimTestSupport.h"

namespace vtl::sim {
namespace {

using testing::TestService;

class SimSystemTest : public ::testing::Test, protected testing::TwoComputers {
  protected:
    void SetUp() override {
        pc1.AddDrive('C', kDriveFixed);
        pc1.AddDrive('E', kDriveFixed);
        pc1.AddDrive('D', kDriveCdRom);
        pc1.SetApplicationFolder("C:\\Program Files\\Vantrel\\");
        pc1.PutFile("C:\\Program Files\\Vantrel\\VtlShell.exe", "wrapper");
        pc2.AddDrive('C', kDriveFixed);
        pc2.AddDrive('D', kDriveFixed);
        pc2.AddAdministrativeShares();
        pc2.AddShare("Data", kStypeDiskTree, "D:\\Data", "Team data");
        pc2.PutDirectory("C:\\apps");
    }
};

TEST_F(SimSystemTest, CopyFileFollowsWindowsRulesLocallyAndThroughAdminShares) {
    const std::string wrapper = platform.ApplicationFolder() + "\\VtlShell.exe";
    EXPECT_EQ(platform.ApplicationFolder(), "C:\\Program Files\\Vantrel");
    EXPECT_EQ(platform.CopyFile(wrapper, "\\\\PC2\\C$\\apps\\VtlShell.exe", true), kErrorSuccess);
    EXPECT_EQ(pc2.FileContent("c:\\APPS\\vtlshell.exe"), "wrapper");
    EXPECT_EQ(platform.CopyFile(wrapper, "\\\\pc2\\c$\\apps\\VtlShell.exe", true),
              kErrorFileExists);
    EXPECT_EQ(platform.CopyFile(wrapper, "\\\\PC2\\C$\\nowhere\\VtlShell.exe", true),
              kErrorPathNotFound);
    EXPECT_EQ(platform.CopyFile("C:\\NoFolder\\Missing.exe", "C:\\x.exe", true),
              kErrorPathNotFound);
    EXPECT_EQ(platform.CopyFile(wrapper, "\\\\PC2\\Q$\\x.exe", true), kErrorBadNetName);
    EXPECT_EQ(platform.CopyFile(wrapper, "\\\\PC2\\D$\\x.exe", true), kErrorSuccess);
    EXPECT_TRUE(pc2.FileContent("D:\\x.exe"));
    EXPECT_EQ(platform.CopyFile(wrapper, "\\\\PC2\\ADMIN$\\x.exe", true), kErrorPathNotFound);
    pc2.PutDirectory("C:\\Windows");
    EXPECT_EQ(platform.CopyFile(wrapper, "\\\\PC2\\ADMIN$\\x.exe", true), kErrorSuccess);
    EXPECT_TRUE(pc2.FileContent("C:\\Windows\\x.exe"));
    pc2.SetUnreachable(true);
    EXPECT_EQ(platform.CopyFile(wrapper, "\\\\PC2\\C$\\apps\\y.exe", true), kErrorBadNetPath);
    EXPECT_EQ(platform.CopyFile(wrapper, "\\\\GHOST\\C$\\y.exe", true), kErrorBadNetPath);
    EXPECT_FALSE(platform.FileExists("\\\\PC2\\C$\\apps\\VtlShell.exe"));
}

TEST_F(SimSystemTest, FilesAndFoldersAreCreatedWhereTheirFolderExists) {
    EXPECT_EQ(platform.CreateDirectory("C:\\Program Files\\Vantrel\\ExportDir"), kErrorSuccess);
    EXPECT_EQ(platform.CreateDirectory("C:\\A\\B"), kErrorPathNotFound);
    EXPECT_EQ(
        platform.WriteFile("C:\\Program Files\\Vantrel\\ExportDir\\Svc_Inst.bat", "@echo off\r\n"),
        kErrorSuccess);
    EXPECT_TRUE(platform.FileExists("c:/program files/vantrel/exportdir/svc_inst.bat"));
    EXPECT_EQ(platform.WriteFile("Z:\\f.txt", "x"), kErrorPathNotFound);
    EXPECT_EQ(platform.WriteFile("relative.txt", "x"), kErrorSuccess);  // the program's folder
    EXPECT_TRUE(pc1.FileContent("C:\\Program Files\\Vantrel\\relative.txt"));
    EXPECT_EQ(pc1.FilesIn("C:\\Program Files\\Vantrel").size(), 2u);
    EXPECT_EQ(platform.CreateDirectory("\\\\PC2\\Data\\Reports"), kErrorPathNotFound);
    pc2.PutDirectory("D:\\Data");
    EXPECT_EQ(platform.CreateDirectory("\\\\PC2\\Data\\Reports"), kErrorSuccess);
    EXPECT_TRUE(pc2.DirectoryExists("D:\\Data\\Reports"));
}

TEST_F(SimSystemTest, DrivesAndSharesAreReportedAsWindowsReportsThem) {
    EXPECT_EQ(platform.GetLogicalDriveStrings(),
              (std::vector<std::string>{"C:\\", "D:\\", "E:\\"}));
    EXPECT_EQ(platform.GetDriveType("C:\\"), kDriveFixed);
    EXPECT_EQ(platform.GetDriveType("d:\\"), kDriveCdRom);
    EXPECT_EQ(platform.GetDriveType("Q:\\"), kDriveNoRootDir);
    EXPECT_EQ(platform.GetDriveType("\\\\PC2\\C$\\"), kDriveRemote);
    EXPECT_EQ(platform.GetDriveType("\\\\PC2\\NoShare\\"), kDriveNoRootDir);

    auto shares = platform.NetShareEnum("\\\\PC2");
    ASSERT_EQ(shares.error, kErrorSuccess);
    std::vector<std::string> names;
    for (const auto& share : shares.shares)
        names.push_back(share.netName);
    EXPECT_EQ(names, (std::vector<std::string>{"ADMIN$", "C$", "D$", "IPC$", "Data"}));
    EXPECT_EQ(shares.shares[1].type, kStypeDiskTree | kStypeSpecial);
    EXPECT_EQ(shares.shares[3].type, kStypeIpc | kStypeSpecial);
    EXPECT_EQ(shares.shares[4].type, kStypeDiskTree);
    EXPECT_EQ(shares.shares[4].remark, "Team data");
    EXPECT_EQ(platform.NetShareEnum("\\\\GHOST").error, kErrorBadNetPath);
    pc2.SetUnreachable(true);
    EXPECT_EQ(platform.NetShareEnum("PC2").error, kErrorBadNetPath);
}

TEST_F(SimSystemTest, AccountsResolveToBinarySids) {
    pc1.AddAccount("PC1", "admin", "S-1-5-21-100-200-300-1001");
    pc1.AddAccount("CORP", "jdoe", "S-1-5-21-7-8-9-1105");
    const struct {
        const char* system;
        const char* account;
        ErrorCode error;
        const char* domain;
        const char* sid;
    } rows[] = {
        {"", ".\\admin", kErrorSuccess, "PC1", "S-1-5-21-100-200-300-1001"},
        {"PC1", "PC1\\admin", kErrorSuccess, "PC1", "S-1-5-21-100-200-300-1001"},
        {"\\\\PC1", "admin", kErrorSuccess, "PC1", "S-1-5-21-100-200-300-1001"},
        {"PC1", "CORP\\jdoe", kErrorSuccess, "CORP", "S-1-5-21-7-8-9-1105"},
        {"PC1", "jdoe", kErrorSuccess, "CORP", "S-1-5-21-7-8-9-1105"},
        {"", "NT AUTHORITY\\LocalService", kErrorSuccess, "NT AUTHORITY", "S-1-5-19"},
        {"", "NetworkService", kErrorSuccess, "NT AUTHORITY", "S-1-5-20"},
        {"", "LocalSystem", kErrorNoneMapped, "", ""},
        {"", "OTHER\\jdoe", kErrorNoneMapped, "", ""},
        {"PC2", "admin", kErrorNoneMapped, "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.system) + " " + row.account);
        const auto found = platform.LookupAccountName(row.system, row.account);
        EXPECT_EQ(found.error, row.error);
        EXPECT_EQ(found.domain, row.domain);
        EXPECT_EQ(found.error ? "" : SidToString(found.sid), row.sid);
    }
    EXPECT_EQ(platform.LookupAccountName("", "admin").use, 1u);
    pc2.SetUnreachable(true);
    EXPECT_EQ(platform.LookupAccountName("PC2", "admin").error, kRpcServerUnavailable);
}

TEST_F(SimSystemTest, TheLogonRightIsGrantedAndRecordedUnlessRefused) {
    const std::vector<std::uint8_t> sid = SidFromString("S-1-5-21-1-2-3-1001");
    EXPECT_EQ(platform.fnLogRight("\\\\PC1", sid), 0u);
    EXPECT_EQ(pc1.LogonRightGrants(), std::vector<std::string>{"S-1-5-21-1-2-3-1001"});
    EXPECT_EQ(platform.fnLogRight("PC1", {1, 2, 3}), kErrorInvalidParameter);
    pc1.RefuseLogonRight(kErrorAccessDenied);
    EXPECT_EQ(platform.fnLogRight("PC1", sid), kErrorAccessDenied);
    EXPECT_EQ(platform.fnLogRight("GHOST", sid), kRpcServerUnavailable);
    network.SetStartLibraryMissing(true);
    EXPECT_EQ(platform.fnLogRight("PC2", sid), kErrorModNotFound);
    EXPECT_TRUE(pc2.LogonRightGrants().empty());
}

TEST(SimMessagesTest, TextsAreWindowsWordingWithTheirLineBreak) {
    SimNetwork network;
    network.AddComputer("PC1");
    Platform& platform = network.LocalPlatform();
    EXPECT_EQ(platform.FormatMessage(1068), "The dependency service or group failed to start.\r\n");
    EXPECT_EQ(GetErrorText(platform, 1722),
              "The RPC server is unavailable.\r\n\rThis may be due to network problems. Please "
              "verify network connectivity.");
    EXPECT_EQ(platform.FormatMessage(0xDEAD), "");
    EXPECT_EQ(platform.FormatMessage(1999), "");
    // Every code the program decides on has its text.
    // clang-format off
    const ErrorCode codes[] = {
        kErrorSuccess, kErrorFileNotFound, kErrorPathNotFound, kErrorAccessDenied,
        kErrorInvalidHandle, kErrorNotSupported, kErrorBadNetPath, kErrorFileExists,
        kErrorInvalidParameter, kErrorCallNotImplemented, kErrorInsufficientBuffer,
        kErrorInvalidLevel, kErrorProcNotFound, kErrorAlreadyExists, kErrorMoreData,
        kErrorNoMoreItems, kErrorIoPending, kErrorProcessAborted, kErrorNoneMapped,
        kRpcServerUnavailable, kErrorInvalidComputerName, kErrorTimeout, kErrorInvalidName,
        kErrorBadNetName, kErrorModNotFound, kErrorBadPathName, kErrorKeyDeleted,
        kErrorDependentServicesRunning, kErrorInvalidServiceControl, kErrorServiceRequestTimeout,
        kErrorServiceNoThread, kErrorServiceDatabaseLocked, kErrorServiceAlreadyRunning,
        kErrorInvalidServiceAccount, kErrorServiceDisabled, kErrorCircularDependency,
        kErrorServiceDoesNotExist, kErrorServiceCannotAcceptCtrl, kErrorServiceNotActive,
        kErrorServiceSpecificError, kErrorServiceDependencyFail, kErrorServiceLogonFailed,
        kErrorServiceStartHang, kErrorServiceMarkedForDelete, kErrorServiceExists,
        kErrorDuplicateServiceName, kErrorServiceDependencyDeleted,
    };
    // clang-format on
    for (ErrorCode code : codes) {
        const std::string text = platform.FormatMessage(code);
        ASSERT_GT(text.size(), 2u) << code;
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << code;
        EXPECT_EQ(text.find("\r\n"), text.size() - 2) << code;
        EXPECT_LE(text.size(), kErrorTextMaxChars) << code;
    }
}

TEST(SimLibrariesTest, KnownLibrariesLoadByNameAndExportWhatWindowsExports) {
    SimNetwork network;
    network.AddComputer("PC1");
    Platform& platform = network.LocalPlatform();
    EXPECT_TRUE(HasQueryServiceConfig2(platform, "ADVAPI32"));
    EXPECT_TRUE(HasQueryServiceConfig2(platform, "C:\\Windows\\System32\\advapi32.dll"));
    auto [library, error] = platform.LoadLibrary("advapi32.dll");
    ASSERT_TRUE(library);
    EXPECT_FALSE(platform.HasProcAddress(library, "queryserviceconfig2a"));  // names are exact
    EXPECT_TRUE(platform.LoadLibrary("VtlIns.dll").handle);
    network.SetStartLibraryMissing(true);
    EXPECT_EQ(platform.LoadLibrary("VtlIns.dll").error, kErrorModNotFound);
    library.reset();
    EXPECT_EQ(network.OpenHandleCount(), 0u);
}

TEST(SimCodePagesTest, AnsiIsWindows1252AndOemIs437) {
    SimNetwork network;
    network.AddComputer("PC1");
    Platform& platform = network.LocalPlatform();
    struct Row {
        const char* text;
        const char* ansi;  // nullptr: 1113
        const char* oem;
    };
    for (const Row& row :
         {Row{"Caf\xC3\xA9", "Caf\xE9", "Caf\x82"}, Row{"\xE2\x82\xAC 5", "\x80 5", nullptr},
          Row{"\xE2\x94\x82", nullptr, "\xB3"}, Row{"bad \xC3", nullptr, nullptr}}) {
        SCOPED_TRACE(row.text);
        const auto ansi = platform.EncodeText(row.text, CodePage::Ansi);
        const auto oem = platform.EncodeText(row.text, CodePage::Oem);
        EXPECT_EQ(ansi.error, row.ansi ? kErrorSuccess : kErrorNoUnicodeTranslation);
        EXPECT_EQ(ansi.bytes, row.ansi ? row.ansi : "");
        EXPECT_EQ(oem.error, row.oem ? kErrorSuccess : kErrorNoUnicodeTranslation);
        EXPECT_EQ(oem.bytes, row.oem ? row.oem : "");
    }
}

TEST(SimClockTest, SleepRunsTheStateMachinesAndTickCountReadsTheClock) {
    SimNetwork network;
    SimComputer& pc = network.AddComputer("PC1");
    Platform& platform = network.LocalPlatform();
    ASSERT_EQ(pc.AddService(TestService("Svc", "--run-ms 500")), 0u);
    ASSERT_EQ(pc.ForceState("Svc", kServiceRunning), 0u);
    EXPECT_EQ(platform.TickCount(), 0u);
    platform.Sleep(499);
    EXPECT_EQ(pc.Status("Svc")->currentState, kServiceRunning);
    platform.Sleep(1);
    EXPECT_EQ(pc.Status("Svc")->currentState, kServiceStopped);
    EXPECT_EQ(platform.TickCount(), 500u);
    EXPECT_EQ(network.Now(), 500u);
    EXPECT_EQ(platform.GetComputerName().name, "PC1");
    network.AddComputer("PC2");
    EXPECT_EQ(network.PlatformFor("pc2").GetComputerName().name, "PC2");
}

}  // namespace
}  // namespace vtl::sim
