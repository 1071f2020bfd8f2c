#include "wrapper/WrapperSettings.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>
#include <utility>
#include <vector>

namespace vtl::wrapper {
namespace {

// A registry as a table of (key, value) -> data; it records what was asked.
class TableSource final : public SettingsSource {
  public:
    void Set(std::string key, std::string name, RegistryValue value) {
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

RegistryValue Sz(std::string text) {
    return {kRegSz, std::move(text), 0};
}

RegistryValue Dword(std::uint32_t number) {
    return {kRegDword, {}, number};
}

constexpr const char* kParams = "SYSTEM\\CurrentControlSet\\Services\\My Svc\\parameters";
constexpr const char* kVtlParams = "SYSTEM\\CurrentControlSet\\Services\\My Svc\\VTLParams";

using Fields = std::tuple<std::string, std::string, OnExit, std::uint32_t, std::uint32_t,
                          std::uint32_t, std::uint32_t, std::string, std::uint32_t>;

Fields FieldsOf(const WrapperSettings& s) {
    return {s.application,    s.params,        s.onExit,  s.restartDelayMs, s.restartDelayMaxMs,
            s.restartResetMs, s.stopTimeoutMs, s.logFile, s.logMaxBytes};
}

// Each row: the values below the parameters key besides the program, and the
// settings read (program, params, OnExit, RestartDelayMs, RestartDelayMaxMs,
// RestartResetMs, StopTimeoutMs, LogFile, LogMaxBytes) with the warnings.
TEST(WrapperSettings, EachValueIsReadOrFallsBackOrIsHeldWithinBoundsWithAWarning) {
    struct Row {
        const char* name;
        std::vector<std::pair<std::string, RegistryValue>> values;
        Fields want;
        std::size_t warnings;
    };
    const std::string app = "C:\\Apps\\srv.exe";
    const std::string log = "C:\\Apps\\srv.log";
    const Row rows[] = {
        {"only the program: the defaults",
         {},
         {app, "", OnExit::Stop, 1000, 60000, 60000, 5000, log, 1048576},
         0},
        {"every setting from its value (digits in a REG_SZ count too)",
         {{"OnExit", Sz("Restart")},
          {"RestartDelayMs", Dword(250)},
          {"RestartDelayMaxMs", Dword(8000)},
          {"RestartResetMs", Sz("30000")},
          {"StopTimeoutMs", Dword(2000)},
          {"LogFile", Sz("D:\\logs\\srv.txt")},
          {"LogMaxBytes", Dword(0)}},
         {app, "", OnExit::Restart, 250, 8000, 30000, 2000, "D:\\logs\\srv.txt", 0},
         0},
        {"bad values fall back or are held within bounds",
         {{"OnExit", Sz("explode")},
          {"StopTimeoutMs", Dword(999999)},
          {"RestartDelayMs", Sz("soon")},
          {"RestartResetMs", Sz("12abc")},
          {"LogMaxBytes", Dword(10)},
          {"RestartDelayMaxMs", RegistryValue{3, "\x01\x02", 0}},  // REG_BINARY
          {"LogFile", Dword(5)}},
         {app, "", OnExit::Stop, 1000, 60000, 60000, 60000, log, kLogMinBytes},
         7},
        {"the longest delay is never below the first; the least log size is no warning",
         {{"RestartDelayMs", Dword(5000)},
          {"RestartDelayMaxMs", Dword(100)},
          {"LogMaxBytes", Dword(kLogMinBytes)}},
         {app, "", OnExit::Stop, 5000, 5000, 60000, 5000, log, kLogMinBytes},
         0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TableSource source;
        source.Set(kParams, "Application", Sz(app));
        for (const auto& [name, value] : row.values)
            source.Set(kParams, name, value);
        const auto result = ReadWrapperSettings(source, "My Svc");
        ASSERT_TRUE(result.settings) << result.error;
        EXPECT_EQ(FieldsOf(*result.settings), row.want);
        EXPECT_EQ(result.warnings.size(), row.warnings);
    }
}

TEST(WrapperSettings, ReadsTheSharedValuesFromTheServicesOwnKeys) {
    TableSource source;
    source.Set(kParams, "Application", Sz("C:\\Apps\\run.bat"));
    source.Set(kVtlParams, "Params", Sz("-x 1"));
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

}  // namespace
}  // namespace vtl::wrapper
