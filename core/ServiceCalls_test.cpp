#include "core/ServiceCalls.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/Registry.h"
#include "core/testing/MockPlatform.h"

namespace vtl {
namespace {

using ::testing::_;
using ::testing::InSequence;
using ::testing::Return;
using ::testing::StrictMock;

class ServiceCallsTest : public ::testing::Test {
  protected:
    StrictMock<testing::MockPlatform> platform;
    // Handles whose owner is null are never closed, so the mock needs no close calls.
    ScManagerHandle manager{nullptr, 0x10};
    ServiceHandle service{nullptr, 0x20};
};

TEST_F(ServiceCallsTest, ACommandsAccessDeniedAloneGetsTheAdministratorLine) {
    EXPECT_CALL(platform, FormatMessage(5u)).WillOnce(Return("Access is denied.\r\n"));
    const std::string line =
        "This command needs an administrator: run Vantrel as an administrator of the computer "
        "it acts on.";
    EXPECT_EQ(CommandErrorText(platform, 5), "Access is denied.\r\n" + line);
    // A text without its own line break gets one; other codes leave it byte for byte.
    EXPECT_EQ(WithAdministratorHint("Failed.", 5), "Failed.\r" + line);
    EXPECT_EQ(WithAdministratorHint("", 5), line);
    for (ErrorCode other : {0u, 2u, 50u, 1060u, 0x80070005u})
        EXPECT_EQ(WithAdministratorHint("Failed.", other), "Failed.") << other;
}

TEST_F(ServiceCallsTest, ErrorTextIsEmptyWithoutAMessageAndHeldTo256Characters) {
    EXPECT_CALL(platform, FormatMessage(0xDEAD)).WillOnce(Return(""));
    EXPECT_CALL(platform, FormatMessage(7)).WillOnce(Return(std::string(600, 'x')));
    EXPECT_EQ(GetErrorText(platform, 0xDEAD), "");
    EXPECT_EQ(GetErrorText(platform, 7).size(), 256u);
    EXPECT_CALL(platform, FormatMessage(1722)).WillOnce(Return(""));
    EXPECT_EQ(OpenFailureText(platform, 1722),
              "\rThis may be due to network problems. Please verify network connectivity.  1722");
    EXPECT_EQ(MoreDataNotReturnedText(0), "ERROR_MORE_DATA not returned; error 0");
}

TEST_F(ServiceCallsTest, ConfigReadAsksForNeededPlusOneBytes) {
    InSequence order;
    EXPECT_CALL(platform, QueryServiceConfig(_, 0u))
        .WillOnce(Return(ServiceManagerApi::ConfigResult{kErrorInsufficientBuffer, 300, {}}));
    ServiceConfig config;
    config.startType = kServiceDemandStart;
    config.displayName = "Print Spooler";
    EXPECT_CALL(platform, QueryServiceConfig(_, 301u))
        .WillOnce(Return(ServiceManagerApi::ConfigResult{0, 0, config}));
    const auto read = GetServiceConfig(platform, service);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.sizingError, kErrorInsufficientBuffer);
    EXPECT_EQ(read.config->displayName, "Print Spooler");
}

TEST_F(ServiceCallsTest, ConfigReadEndsWhenTheSizingCallDoesNotAskForRoom) {
    EXPECT_CALL(platform, QueryServiceConfig(_, 0u))
        .WillOnce(Return(ServiceManagerApi::ConfigResult{kErrorAccessDenied, 0, {}}));
    auto read = GetServiceConfig(platform, service);
    EXPECT_FALSE(read.ok());
    EXPECT_EQ(read.sizingError, kErrorAccessDenied);
    EXPECT_EQ(read.error, kErrorAccessDenied);

    EXPECT_CALL(platform, QueryServiceConfig(_, 0u))
        .WillOnce(Return(ServiceManagerApi::ConfigResult{0, 0, {}}));
    read = GetServiceConfig(platform, service);
    EXPECT_FALSE(read.ok());
    EXPECT_EQ(read.sizingError, 0u);
}

TEST_F(ServiceCallsTest, EnumerationSizesByThePlatformsRecordSize) {
    InSequence order;
    EXPECT_CALL(platform, EnumServicesStatus(_, kServiceWin32, kServiceStateAll, 0u))
        .WillOnce(Return(ServiceManagerApi::EnumResult{kErrorMoreData, 1000, {}}));
    EXPECT_CALL(platform, EnumRecordSize()).WillOnce(Return(48u));
    // 1000 / 48 + 1 = 21 records of 48 bytes.
    EXPECT_CALL(platform, EnumServicesStatus(_, kServiceWin32, kServiceStateAll, 21u * 48u))
        .WillOnce(Return(ServiceManagerApi::EnumResult{0, 0, {{"A", "a", {}}, {"B", "b", {}}}}));
    const auto read = EnumerateServices(platform, manager, kServiceWin32, kServiceStateAll);
    ASSERT_TRUE(read.ok());
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.entries[1].serviceName, "B");
}

TEST_F(ServiceCallsTest, EnumerationWhoseFirstCallSucceedsIsReportedAndNotRepeated) {
    EXPECT_CALL(platform, EnumRecordSize()).WillRepeatedly(Return(48u));
    EXPECT_CALL(platform, EnumServicesStatus(_, _, _, 0u))
        .WillOnce(Return(ServiceManagerApi::EnumResult{0, 0, {}}));
    auto read = EnumerateServices(platform, manager, kServiceWin32, kServiceStateAll);
    EXPECT_FALSE(read.firstAskedForMore());
    EXPECT_FALSE(read.ok());
    EXPECT_EQ(read.firstError, 0u);

    InSequence order;
    EXPECT_CALL(platform, EnumServicesStatus(_, _, _, 0u))
        .WillOnce(Return(ServiceManagerApi::EnumResult{kErrorMoreData, 10, {}}));
    EXPECT_CALL(platform, EnumServicesStatus(_, _, _, 48u))
        .WillOnce(Return(ServiceManagerApi::EnumResult{kErrorAccessDenied, 0, {}}));
    read = EnumerateServices(platform, manager, kServiceWin32, kServiceStateAll);
    EXPECT_TRUE(read.firstAskedForMore());
    EXPECT_EQ(read.error, kErrorAccessDenied);
    EXPECT_TRUE(read.entries.empty());
}

}  // namespace
}  // namespace vtl
