// Drives and shares on the simulated computers.

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

}  // namespace
}  // namespace vtl::sim
