#include "main/ComputerNames.h"

#include <gtest/gtest.h>

namespace vtl {
namespace {

TEST(NormalizeComputerName, PlainNamesPassUnchanged) {
    EXPECT_EQ(NormalizeComputerName("SRV-FILE01"), "SRV-FILE01");
    EXPECT_EQ(NormalizeComputerName("srv01.corp.example"), "srv01.corp.example");
    EXPECT_EQ(NormalizeComputerName("Büro_PC"), "Büro_PC");
}

TEST(NormalizeComputerName, UncPrefixSpacesAtTheEndsAndTextAfterANulGo) {
    EXPECT_EQ(NormalizeComputerName("\\\\SRV01"), "SRV01");
    EXPECT_EQ(NormalizeComputerName("  SRV01\t"), "SRV01");
    EXPECT_EQ(NormalizeComputerName(" \\\\SRV01 "), "SRV01");
    EXPECT_EQ(NormalizeComputerName(std::string("SRV01\0garbage", 13)), "SRV01");
}

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
    EXPECT_EQ(NormalizeComputerName(std::string(255, 'a')), std::string(255, 'a'));
}

}  // namespace
}  // namespace vtl
