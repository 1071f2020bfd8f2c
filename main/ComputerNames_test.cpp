#include "main/ComputerNames.h"

#include <gtest/gtest.h>

namespace vtl {
namespace {

// Plain names pass unchanged; the UNC prefix, spaces at the ends and text after a
// NUL go.
TEST(NormalizeComputerName, PlainNamesPassAndTheirDecorationsGo) {
    for (const auto& [given, name] : std::initializer_list<std::pair<std::string, std::string>>{
             {"SRV-FILE01", "SRV-FILE01"},
             {"srv01.corp.example", "srv01.corp.example"},
             {"Büro_PC", "Büro_PC"},
             {"\\\\SRV01", "SRV01"},
             {"  SRV01\t", "SRV01"},
             {" \\\\SRV01 ", "SRV01"},
             {std::string("SRV01\0garbage", 13), "SRV01"},
             {std::string(255, 'a'), std::string(255, 'a')}})
        EXPECT_EQ(NormalizeComputerName(given), name) << given;
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
}

}  // namespace
}  // namespace vtl
