#include "ui/testing/TestHost.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/Timer.h"
#include "ui/testing/ScriptedPrompter.h"

namespace vtl::ui::testing {
namespace {

class frmTimers : public Form {
  public:
    explicit frmTimers(UiHost& host) : Form(host, "frmTimers") {
        tmrRefresh.onTick = [this] { ticks.push_back("refresh@" + std::to_string(now())); };
        tmrService.onTick = [this] {
            ticks.push_back("service@" + std::to_string(now()));
            if (--serviceTicksLeft == 0) tmrService.SetEnabled(false);
        };
    }
    Timer tmrRefresh{*this, "tmrRefresh", 2000, true};
    Timer tmrService{*this, "tmrService", 100, false};
    std::vector<std::string> ticks;
    int serviceTicksLeft = 3;
    std::function<std::uint64_t()> now;
};

TEST(TestHostTimers, FireAtTheirDueTimesInOrder) {
    ScriptedPrompter prompts;
    TestHost host(prompts);
    frmTimers frm(host);
    frm.now = [&] { return host.Now(); };
    frm.tmrRefresh.Tick();  // not loaded yet: the tick runs only when called
    frm.ticks.clear();
    frm.Show();
    EXPECT_EQ(host.DueTime(frm.tmrRefresh), 2000u);
    EXPECT_EQ(host.DueTime(frm.tmrService), std::nullopt);
    EXPECT_EQ(host.RunFor(1950), 0);
    frm.tmrService.SetEnabled(true);  // at 1950: first tick at 2050
    EXPECT_EQ(host.RunFor(2100), 5);
    EXPECT_EQ(frm.ticks, (std::vector<std::string>{"refresh@2000", "service@2050", "service@2150",
                                                   "service@2250", "refresh@4000"}));
    EXPECT_EQ(host.Now(), 4050u);
    // Changing the interval of a running timer starts a new interval.
    frm.tmrRefresh.SetInterval(500);
    EXPECT_EQ(host.DueTime(frm.tmrRefresh), 4550u);
    frm.Unload();
    EXPECT_EQ(host.RunFor(10000), 0);
}

TEST(TestHostTimers, LateTicksDoNotPileUpOnAnOutsideClock) {
    ScriptedPrompter prompts;
    std::uint64_t clock = 0;
    TestHost host(
        prompts, [&] { return clock; }, nullptr);
    frmTimers frm(host);
    frm.now = [&] { return clock; };
    frm.tmrService.SetEnabled(true);
    frm.Show();
    clock = 950;  // the program slept (a blocking stop), nine service intervals passed
    EXPECT_EQ(host.FireDueTimers(), 1);
    EXPECT_EQ(host.DueTime(frm.tmrService), 1050u);
    clock = 2000;
    EXPECT_EQ(host.FireDueTimers(), 2);
    // The one due longest ago goes first.
    EXPECT_EQ(frm.ticks, (std::vector<std::string>{"service@950", "service@2000", "refresh@2000"}));
    EXPECT_NONFATAL_FAILURE((void)host.RunFor(10), "RunFor needs a clock");
}

TEST(TestHostForms, UnscriptedModalFormFailsAndIsHidden) {
    ScriptedPrompter prompts;
    TestHost host(prompts);
    Form dialog(host, "frmAbout");
    EXPECT_NONFATAL_FAILURE(dialog.ShowModal(), "unexpected modal form frmAbout");
    EXPECT_FALSE(dialog.Visible());
    host.ExpectModal([](Form&) {});
    EXPECT_NONFATAL_FAILURE(dialog.ShowModal(), "left modal form frmAbout open");
}

}  // namespace
}  // namespace vtl::ui::testing
