#include "core/testsvc/TestServiceOptions.h"

#include <gtest/gtest.h>

namespace vtl::testsvc {
namespace {

TEST(TestServiceOptions, ReadsEveryOptionFromAQuotedCommandPath) {
    const auto options = ParseTestServiceCommandLine(
        "\"C:\\Program Files\\Vantrel Tests\\VtlTestSvc.exe\" --start-ms 250 --stop-ms 40 "
        "--run-ms 1000 --specific 5 --pause --no-stop --marker \"C:\\t m\\up.txt\"");
    ASSERT_TRUE(options.has_value());
    EXPECT_EQ(options->startMs, 250u);
    EXPECT_EQ(options->stopMs, 40u);
    EXPECT_EQ(options->runMs, 1000u);
    EXPECT_EQ(options->specific, 5u);
    EXPECT_EQ(options->Win32ExitCode(), 1066u);
    EXPECT_TRUE(options->acceptPause);
    EXPECT_FALSE(options->acceptStop);
    EXPECT_EQ(options->marker, "C:\\t m\\up.txt");
}

TEST(TestServiceOptions, OtherProgramsAndBadOptionsAreNotTestServices) {
    for (const char* line :
         {"C:\\Windows\\system32\\svchost.exe -k netsvcs", "C:\\x\\VtlTestSvc.exe --start-ms",
          "C:\\x\\VtlTestSvc.exe --start-ms -5", "C:\\x\\VtlTestSvc.exe --frobnicate",
          "\"C:\\x\\VtlTestSvc.exe --pause", ""})
        EXPECT_FALSE(ParseTestServiceCommandLine(line)) << line;
    const auto plain = ParseTestServiceCommandLine("c:\\X\\vtltestsvc.EXE");
    ASSERT_TRUE(plain.has_value());
    EXPECT_TRUE(plain->acceptStop);
    EXPECT_EQ(plain->Win32ExitCode(), 0u);
}

TEST(TestServiceOptions, SplitsLikeTheCRuntime) {
    const auto words = SplitCommandLine(R"(prog a\\"b c" "d\"e" f\g)");
    EXPECT_EQ(words, (std::vector<std::string>{"a\\b c", "d\"e", "f\\g"}));
}

}  // namespace
}  // namespace vtl::testsvc
