#include "wrapper/WrapperSettings.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

namespace vtl::wrapper {
namespace {

// A registry as a table of (key, value) -> data; it records what was asked.
class TableSource final : public SettingsSource {
  public:
    void Text(std::string key, std::string name, std::string text) {
        values_[{std::move(key), std::move(name)}] = RegistryValue{kRegSz, std::move(text), 0};
    }
    void Number(std::string key, std::string name, std::uint32_t number) {
        values_[{std::move(key), std::move(name)}] = RegistryValue{kRegDword, {}, number};
    }
    void Raw(std::string key, std::string name, RegistryValue value) {
        values_[{std::move(key), std::move(name)}] = std::move(value);
    }
    std::optional<RegistryValue> Read(std::string_view key, std::string_view name) const override {
        asked_.emplace_back(std::string(key), std::string(name));
        const auto found = values_.find({std::string(key), std::string(name)});
        if (found == values_.end()) return std::nullopt;
        return found->second;
    }
    mutable std::vector<std::pair<std::string, std::string>> asked_;

  private:
    std::map<std::pair<std::string, std::string>, RegistryValue> values_;
};

constexpr const char* kParams = "SYSTEM\\CurrentControlSet\\Services\\My Svc\\parameters";
constexpr const char* kVtlParams = "SYSTEM\\CurrentControlSet\\Services\\My Svc\\VTLParams";

TEST(WrapperSettings, ReadsTheSharedValuesFromTheServicesOwnKeys) {
    TableSource source;
    source.Text(kParams, "Application", "C:\\Apps\\run.bat");
    source.Text(kVtlParams, "Params", "-x 1");
    const auto result = ReadWrapperSettings(source, "My Svc");
    ASSERT_TRUE(result.settings) << result.error;
    EXPECT_EQ(result.settings->application, "C:\\Apps\\run.bat");
    EXPECT_EQ(result.settings->params, "-x 1");
    EXPECT_TRUE(result.warnings.empty());
    // Every value it reads lies under the service's parameters or VTLParams key.
    for (const auto& [key, name] : source.asked_) {
        EXPECT_TRUE(key == kParams || (key == kVtlParams && name == "Params"))
            << key << " " << name;
    }
}

TEST(WrapperSettings, DefaultsWhenOnlyTheProgramIsThere) {
    TableSource source;
    source.Text(kParams, "Application", "C:\\Apps\\srv.exe");
    const auto result = ReadWrapperSettings(source, "My Svc");
    ASSERT_TRUE(result.settings);
    const auto& s = *result.settings;
    EXPECT_EQ(s.params, "");
    EXPECT_EQ(s.onExit, OnExit::Stop);
    EXPECT_EQ(s.restartDelayMs, 1000u);
    EXPECT_EQ(s.restartDelayMaxMs, 60000u);
    EXPECT_EQ(s.restartResetMs, 60000u);
    EXPECT_EQ(s.stopTimeoutMs, 5000u);
    EXPECT_EQ(s.logFile, "C:\\Apps\\srv.log");
    EXPECT_EQ(s.logMaxBytes, 1048576u);
}

TEST(WrapperSettings, EverySettingIsReadFromItsValue) {
    TableSource source;
    source.Text(kParams, "Application", "C:\\Apps\\srv.exe");
    source.Text(kParams, "OnExit", "Restart");
    source.Number(kParams, "RestartDelayMs", 250);
    source.Number(kParams, "RestartDelayMaxMs", 8000);
    source.Text(kParams, "RestartResetMs", "30000");  // digits in a REG_SZ count too
    source.Number(kParams, "StopTimeoutMs", 2000);
    source.Text(kParams, "LogFile", "D:\\logs\\srv.txt");
    source.Number(kParams, "LogMaxBytes", 0);
    const auto result = ReadWrapperSettings(source, "My Svc");
    ASSERT_TRUE(result.settings);
    const auto& s = *result.settings;
    EXPECT_EQ(s.onExit, OnExit::Restart);
    EXPECT_EQ(s.restartDelayMs, 250u);
    EXPECT_EQ(s.restartDelayMaxMs, 8000u);
    EXPECT_EQ(s.restartResetMs, 30000u);
    EXPECT_EQ(s.stopTimeoutMs, 2000u);
    EXPECT_EQ(s.logFile, "D:\\logs\\srv.txt");
    EXPECT_EQ(s.logMaxBytes, 0u);
    EXPECT_TRUE(result.warnings.empty());
}

TEST(WrapperSettings, BadValuesFallBackOrAreHeldWithinBoundsWithAWarning) {
    TableSource source;
    source.Text(kParams, "Application", "C:\\Apps\\srv.exe");
    source.Text(kParams, "OnExit", "explode");
    source.Number(kParams, "StopTimeoutMs", 999999);
    source.Text(kParams, "RestartDelayMs", "soon");
    source.Text(kParams, "RestartResetMs", "12abc");
    source.Number(kParams, "LogMaxBytes", 10);
    source.Raw(kParams, "RestartDelayMaxMs", RegistryValue{3, "\x01\x02", 0});  // REG_BINARY
    source.Number(kParams, "LogFile", 5);
    const auto result = ReadWrapperSettings(source, "My Svc");
    ASSERT_TRUE(result.settings);
    const auto& s = *result.settings;
    EXPECT_EQ(s.onExit, OnExit::Stop);
    EXPECT_EQ(s.stopTimeoutMs, 60000u);
    EXPECT_EQ(s.restartDelayMs, 1000u);
    EXPECT_EQ(s.restartResetMs, 60000u);
    EXPECT_EQ(s.logMaxBytes, kLogMinBytes);
    EXPECT_EQ(s.restartDelayMaxMs, 60000u);
    EXPECT_EQ(s.logFile, "C:\\Apps\\srv.log");
    EXPECT_EQ(result.warnings.size(), 7u);
}

TEST(WrapperSettings, TheLongestDelayIsNeverBelowTheFirst) {
    TableSource source;
    source.Text(kParams, "Application", "C:\\Apps\\srv.exe");
    source.Number(kParams, "RestartDelayMs", 5000);
    source.Number(kParams, "RestartDelayMaxMs", 100);
    source.Number(kParams, "LogMaxBytes", kLogMinBytes);  // the least size is no warning
    const auto result = ReadWrapperSettings(source, "My Svc");
    ASSERT_TRUE(result.settings);
    EXPECT_EQ(result.settings->restartDelayMaxMs, 5000u);
    EXPECT_TRUE(result.warnings.empty());
}

TEST(WrapperSettings, WithoutAProgramThereIsNothingToRun) {
    TableSource source;
    auto result = ReadWrapperSettings(source, "My Svc");
    EXPECT_FALSE(result.settings);
    EXPECT_NE(result.error.find("\"Application\""), std::string::npos);
    EXPECT_NE(result.error.find(kParams), std::string::npos);
    source.Text(kParams, "Application", "");
    EXPECT_FALSE(ReadWrapperSettings(source, "My Svc").settings);
    source.Number(kParams, "Application", 7);
    result = ReadWrapperSettings(source, "My Svc");
    EXPECT_FALSE(result.settings);
    EXPECT_EQ(result.warnings.size(), 1u);
}

}  // namespace
}  // namespace vtl::wrapper
