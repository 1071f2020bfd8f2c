#include "core/ServiceRow.h"

#include <gtest/gtest.h>

#include "core/ServiceTypes.h"

namespace vtl {
namespace {

TEST(ServiceTexts, BootSystemAndAutoStartAllReadAutomaticAndOnlyTheThreeTextsReadBack) {
    const char* const texts[] = {"Automatic", "Automatic", "Automatic", "Manual", "Disabled", ""};
    for (std::uint32_t type = 0; type <= 5; ++type)
        EXPECT_EQ(StartTypeText(type), texts[type]) << type;
    for (const std::uint32_t type : {kServiceAutoStart, kServiceDemandStart, kServiceDisabled})
        EXPECT_EQ(StartTypeFromText(StartTypeText(type)), type);
    const std::string_view others[] = {"", "manual", "Automatic (Delayed Start)",
                                       std::string_view("Manual\0", 7)};
    for (const std::string_view other : others)
        EXPECT_FALSE(StartTypeFromText(other).has_value()) << other;
}

TEST(StateIconRule, FirstMatchingStepWins) {
    // "Starting" beats every state.
    EXPECT_EQ(StateIcon(kServiceStopped, kServiceAutoStart, kStatusStarting), StateIconIndex::Busy);
    EXPECT_EQ(StateIcon(kServiceRunning, kServiceDemandStart, kStatusStarting),
              StateIconIndex::Busy);
    for (auto state :
         {kServiceRunning, kServiceContinuePending, kServicePausePending, kServicePaused}) {
        EXPECT_EQ(StateIcon(state, kServiceDisabled, "Running"), StateIconIndex::Active) << state;
    }
    EXPECT_EQ(StateIcon(kServiceStartPending, kServiceAutoStart, ""), StateIconIndex::Busy);
    EXPECT_EQ(StateIcon(kServiceStopPending, kServiceAutoStart, ""), StateIconIndex::Busy);
    EXPECT_EQ(StateIcon(kServiceStopped, kServiceAutoStart, ""), StateIconIndex::Disabled);
    EXPECT_EQ(StateIcon(kServiceStopped, kServiceDisabled, ""), StateIconIndex::Disabled);
    EXPECT_EQ(StateIcon(kServiceStopped, kServiceDemandStart, ""), StateIconIndex::Inactive);
    EXPECT_EQ(StateIcon(kServiceStopped, kServiceBootStart, ""), StateIconIndex::Inactive);
    EXPECT_EQ(StateIcon(kServiceStopped, kServiceSystemStart, ""), StateIconIndex::Inactive);
    // A row marked for deletion has no state code.
    EXPECT_EQ(StateIcon(0, kServiceDemandStart, kStatusMarkedForDeletion),
              StateIconIndex::Disabled);
}

TEST(ComputerNames, UncAndNulTrimming) {
    EXPECT_EQ(UncComputerName("PC1"), "\\\\PC1");
    EXPECT_EQ(UncComputerName(""), "\\\\");
    EXPECT_EQ(TrimAtNull("SERVER"), "SERVER");
    EXPECT_EQ(TrimAtNull(std::string_view("\0abc", 4)), "");
    EXPECT_EQ(TrimAtNull(std::string_view("AB\0CD", 5)), "AB");
}

TEST(RowFields, LongTextsAreCutAt255CharactersNotBytes) {
    const std::string ascii(300, 'a');
    EXPECT_EQ(CutToChars(ascii).size(), 255u);
    std::string umlauts;
    for (int i = 0; i < 300; ++i)
        umlauts += "\xC3\xBC";  // ü, two bytes each
    const std::string cut = CutToChars(umlauts);
    EXPECT_EQ(cut.size(), 510u);
    EXPECT_EQ(cut, umlauts.substr(0, 510));
    EXPECT_EQ(CutToChars("short"), "short");
    EXPECT_EQ(CutToChars(std::string_view("ab\0cd", 5)), "ab");
}

TEST(RowFields, MakeServiceRowFillsEveryColumnOnce) {
    const auto row = MakeServiceRow("Spooler", std::string(400, 'D'), kServiceStopped,
                                    kServiceAutoStart, std::string(300, 'L'));
    EXPECT_EQ(row.serviceName, "Spooler");
    EXPECT_EQ(row.displayName.size(), 255u);
    EXPECT_EQ(row.statusText, "Stopped");
    EXPECT_EQ(row.startupTypeText, "Automatic");
    EXPECT_EQ(row.logonAccount.size(), 255u);
    EXPECT_EQ(row.icon, StateIconIndex::Disabled);
}

}  // namespace
}  // namespace vtl
