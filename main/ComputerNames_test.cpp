#include "main/ComputerNames.h"

#include <gtest/gtest.h>

namespace vtl {
namespace {

TEST(NormalizeComputerName, EmptyOrMalformedNamesAreRefused) {
    for (std::string_view bad :
         {"", " ", "\\\\", "\\\\ ", "\\SRV01", "SRV\\01", "\\\\SRV01\\C$", "SRV/01", "two words",
          "a:b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b", "a,b",
          "a\x01"
          "b"}) {
        EXPECT_EQ(NormalizeComputerName(bad), std::nullopt) << bad;
    }
    EXPECT_EQ(NormalizeComputerName(std::string("\0SRV01", 6)), std::nullopt);
    EXPECT_EQ(NormalizeComputerName(std::string(256, 'a')), std::nullopt);
}

}  // namespace
}  // namespace vtl
