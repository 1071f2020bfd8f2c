// The simulated registry where it goes beyond the contract suite: key names
// outside ASCII.

#include <gtest/gtest.h>

#include "core/Registry.h"
#include "core/RegistryNames.h"
#include "core/sim/SimNetwork.h"
#include "core/sim/SimTestSupport.h"

namespace vtl::sim {
namespace {

using testing::OpenManager;
using testing::OpenSvc;
using testing::TestService;

class SimRegistryTest : public ::testing::Test, protected testing::TwoComputers {
  protected:
    RegKey hklm = LocalMachineKey();
};

TEST_F(SimRegistryTest, KeyNamesOutsideAsciiAreFoundWithoutRegardToCase) {
    ASSERT_TRUE(SetRegString(platform, hklm, "SOFTWARE\\K\xC3\xA4se", "V", "x"));  // Käse
    std::string value;
    EXPECT_TRUE(GetRegValue(platform, hklm, "software\\K\xC3\xA4SE", "V", value));
    EXPECT_EQ(value, "x");
}

}  // namespace
}  // namespace vtl::sim
