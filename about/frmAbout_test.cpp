// The About box: its version line in the three cases the product key allows,
// and OK closing it.

#include <gtest/gtest.h>

#include "about/frmAbout.h"
#include "core/RegistryNames.h"
#include "core/sim/SimNetwork.h"
#include "ui/testing/ScriptedPrompter.h"
#include "ui/testing/TestHost.h"

namespace vtl {
namespace {

TEST(frmAbout, TheVersionLineFollowsTheProductKey) {
    struct Row {
        const char* name;
        bool key;
        const char* value;  // nullptr: no "Version" value
        const char* line;
    };
    for (const Row& row : {Row{"no key", false, nullptr, "Version 3.1.3"},
                           Row{"a key without the value", true, nullptr, "Version 3.0"},
                           Row{"a stored version", true, "3.5", "Version 3.5"}}) {
        SCOPED_TRACE(row.name);
        sim::SimNetwork network;
        sim::SimComputer& pc = network.AddComputer("PC1");
        if (row.key) pc.Registry().Create(pc.Registry().Root(), kProductKey);
        if (row.value) pc.SetRegistryString(kProductKey, kVersionValue, row.value);
        ui::testing::ScriptedPrompter prompts;
        ui::testing::TestHost host(prompts);
        frmAbout about(host, network.LocalPlatform());
        about.Show();
        EXPECT_EQ(about.Caption(), "About Vantrel");
        EXPECT_EQ(about.lblTitle.Caption(), "Vantrel");
        EXPECT_EQ(about.lblVersion.Caption(), row.line);
        EXPECT_TRUE(about.cmdOK.Click());
        EXPECT_FALSE(about.Loaded());
        EXPECT_EQ(network.OpenHandleCount(), 0u);
    }
}

}  // namespace
}  // namespace vtl
