// Fault sweeps of the properties dialog: every platform call of loading and of
// OK made to fail in turn, at each position. Nothing crashes, no handle stays
// open, the dialog stays open with what was typed, and the service is changed
// only as far as the calls before the failing one went.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "properties/PropertiesTestSupport.h"

namespace vtl::testing {
namespace {

// A fresh world for each run: Alpha depends on Beta, Gamma on Alpha.
sim::ServiceDefinition Alpha() {
    sim::ServiceDefinition alpha = TestSvc("Alpha", "", kServiceRunning, {"Beta"});
    alpha.description = "Old";
    return alpha;
}

struct World : SweepWorld {
    World()
        : SweepWorld({Alpha(), TestSvc("Beta", "", kServiceRunning),
                      TestSvc("Gamma", "", kServiceRunning, {"Alpha"})}) {
        sim::SimComputer& pc1 = network.Computer("PC1");
        pc1.AddAccount("PC1", "ann", "S-1-5-21-1-1-1-1001");
        pc1.SetRegistryString(VtlParamsKeyPath("Alpha"), "Params", "-old");
        form->lvServices.ClickRow(form->lvServices.FindRow("Alpha"));
    }
    frmProperties& Open() {
        properties.mnuProperties_Click(*form);
        return *properties.Existing();
    }
    // The user's edits on every page, then OK.
    void EditAndApply(frmProperties& dlg) {
        dlg.txtDispName.TypeText("Alpha renamed");
        dlg.txtServDesc.TypeText("New");
        dlg.cboStartupType.SelectItem(1);
        dlg.txtStartParam.TypeText("-new");
        dlg.tabProperties.SelectTab(kPageLogon);
        dlg.optThisAcc.Click();
        dlg.txtAccName.TypeText("ann");
        dlg.txtPasswd.TypeText("pw");
        dlg.tabProperties.SelectTab(kPageDependencies);
        dlg.lstDependSrv.ClickItem(0);
        dlg.cmdRemove.Click();
        dlg.cmdOK.Click();
    }

    PropertiesCommand properties{host, ops};
};

struct Call {
    std::string operation;
    std::uint32_t nth;  // of its operation
};

// The faultable calls of a clean run of step, in order.
template <class Step>
std::vector<Call> CleanCalls(Step step) {
    World clean;
    clean.network.ClearCallLog();
    step(clean);
    const auto& faultable = sim::SimNetwork::FaultableOperations();
    const std::set<std::string_view> swept(faultable.begin(), faultable.end());
    std::vector<Call> calls;
    std::map<std::string, std::uint32_t> seen;
    for (const sim::CallRecord& record : clean.network.CallLog()) {
        if (record.onStartThread || swept.count(record.operation) == 0) continue;
        calls.push_back({record.operation, ++seen[record.operation]});
    }
    EXPECT_EQ(clean.network.OpenHandleCount(), 0u);
    return calls;
}

std::size_t PositionOf(const std::vector<Call>& calls, std::string_view operation) {
    for (std::size_t i = 0; i < calls.size(); ++i)
        if (calls[i].operation == operation) return i;
    ADD_FAILURE() << operation << " is not called";
    return calls.size();
}

TEST(PropertiesFaults, EveryCallOfLoadingFailingAtEachPosition) {
    const std::vector<Call> calls = CleanCalls([](World& w) { w.Open(); });
    ASSERT_GT(calls.size(), 10u);
    for (const Call& call : calls) {
        SCOPED_TRACE(call.operation + " #" + std::to_string(call.nth));
        World w;
        w.network.FailCall(call.operation, call.nth, kErrorAccessDenied);
        frmProperties& dlg = w.Open();
        EXPECT_TRUE(dlg.Visible());
        EXPECT_EQ(w.network.OpenHandleCount(), 0u);
        const bool loaded = dlg.txtDispName.Text() == "Display of Alpha";
        EXPECT_EQ(dlg.cmdOK.Enabled(), loaded);
        EXPECT_LE(w.prompts.Questions().size(), 1u);
        if (!loaded) {
            EXPECT_EQ(w.prompts.MessageTexts(),
                      (std::vector<std::string>{
                          GetErrorText(w.network.PlatformFor("PC1"), kErrorAccessDenied)}));
        } else {
            EXPECT_EQ(dlg.lstDependSrv.ListCount(), 1);
            EXPECT_EQ(dlg.optLocalSystem.Value(), true);
        }
        const bool registry = call.operation.rfind("Reg", 0) == 0;
        EXPECT_EQ(dlg.txtStartParam.Text(), registry ? "" : "-old");
        // A failed load can still be closed.
        ASSERT_TRUE(dlg.cmdClose.Click());
        EXPECT_FALSE(dlg.Loaded());
    }
    std::printf("load sweep: %zu runs\n", calls.size());
}

TEST(PropertiesFaults, EveryCallOfOkFailingAtEachPosition) {
    const std::vector<Call> calls = CleanCalls([](World& w) {
        frmProperties& dlg = w.Open();
        w.network.ClearCallLog();
        w.EditAndApply(dlg);
        EXPECT_FALSE(dlg.Loaded());
    });
    const std::size_t config = PositionOf(calls, "ChangeServiceConfig");
    const std::size_t description = PositionOf(calls, "ChangeServiceDescription");
    ASSERT_LT(config, description);
    for (std::size_t position = 0; position < calls.size(); ++position) {
        const Call& call = calls[position];
        SCOPED_TRACE(call.operation + " #" + std::to_string(call.nth));
        World w;
        sim::SimComputer& pc1 = w.network.Computer("PC1");
        const ServiceConfig before = *pc1.Config("Alpha");
        frmProperties& dlg = w.Open();
        w.network.FailCall(call.operation, call.nth, kErrorAccessDenied);
        w.EditAndApply(dlg);
        EXPECT_EQ(w.network.OpenHandleCount(), 0u);
        EXPECT_EQ(dlg.GetMousePointer(), ui::MousePointer::Default);
        for (const auto& question : w.prompts.Questions())
            EXPECT_FALSE(question.text.empty());

        // Only the account lookup that qualifies the name may fail without
        // ending the apply: the name is then written as typed.
        const bool qualifying = position < config && call.operation == "LookupAccountName";
        const bool configWritten = position > config || qualifying;
        const bool described = position > description || qualifying;
        const bool parameterFails =
            call.operation == "RegCreateKeyEx" || call.operation == "RegSetValueEx";
        const ServiceConfig after = *pc1.Config("Alpha");
        if (configWritten) {
            EXPECT_EQ(after.displayName, "Alpha renamed");
            EXPECT_EQ(after.startType, kServiceAutoStart);
            EXPECT_EQ(after.serviceStartName, qualifying ? "ann" : "PC1\\ann");
            EXPECT_TRUE(after.dependencies.empty());
        } else {
            EXPECT_EQ(after, before);
        }
        EXPECT_EQ(pc1.Description("Alpha"), described ? "New" : "Old");
        EXPECT_EQ(pc1.Password("Alpha"), configWritten ? "pw" : "");

        const bool stays = !configWritten || !described || parameterFails;
        EXPECT_EQ(dlg.Loaded(), stays);
        if (stays) {
            EXPECT_FALSE(w.prompts.Questions().empty());
            EXPECT_EQ(dlg.txtDispName.Text(), "Alpha renamed");
            EXPECT_EQ(dlg.txtServDesc.Text(), "New");
            EXPECT_EQ(dlg.txtAccName.Text(), "ann");
            EXPECT_EQ(dlg.txtPasswd.Text(), "pw");
            EXPECT_EQ(dlg.txtStartParam.Text(), "-new");
            EXPECT_EQ(dlg.lstDependSrv.ListCount(), 0);
            ASSERT_TRUE(dlg.cmdClose.Click());
        }
        EXPECT_EQ(dlg.txtPasswd.Text(), "") << "the password goes with the window";
        std::string parameter;
        ASSERT_TRUE(GetRegValue(w.network.PlatformFor("PC1"), LocalMachineKey(),
                                VtlParamsKeyPath("Alpha"), "Params", parameter));
        EXPECT_EQ(parameter, configWritten && described && !parameterFails ? "-new" : "-old");
    }
    std::printf("apply sweep: %zu runs\n", calls.size());
}

}  // namespace
}  // namespace vtl::testing
