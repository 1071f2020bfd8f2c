#include "wrapper/ProgramLaunch.h"

#include <gtest/gtest.h>

namespace vtl::wrapper {
namespace {

TEST(ProgramLaunch, ProgramKindsByExtensionWithoutRegardToCase) {
    EXPECT_EQ(ProgramKindOf("C:\\a\\run.exe"), ProgramKind::Executable);
    EXPECT_EQ(ProgramKindOf("C:\\a\\RUN.COM"), ProgramKind::Executable);
    EXPECT_EQ(ProgramKindOf("C:\\a.b\\run.Bat"), ProgramKind::Batch);
    EXPECT_EQ(ProgramKindOf("run.CMD"), ProgramKind::Batch);
    EXPECT_EQ(ProgramKindOf("C:\\a.exe\\run"), ProgramKind::Unsupported);
    EXPECT_EQ(ProgramKindOf("run.vbs"), ProgramKind::Unsupported);
    EXPECT_EQ(ProgramKindOf(""), ProgramKind::Unsupported);
}

TEST(ProgramLaunch, AnExecutableRunsDirectlyABatchFileThroughTheInterpreter) {
    EXPECT_EQ(BuildLaunch("C:\\My Apps\\srv.exe", "-port 80 \"x y\"", "C:\\w\\cmd.exe"),
              (Launch{"C:\\My Apps\\srv.exe", "\"C:\\My Apps\\srv.exe\" -port 80 \"x y\""}));
    EXPECT_EQ(BuildLaunch("C:\\a\\srv.exe", "", "C:\\w\\cmd.exe"),
              (Launch{"C:\\a\\srv.exe", "\"C:\\a\\srv.exe\""}));
    // A batch file runs through the command interpreter.
    EXPECT_EQ(
        BuildLaunch("C:\\My Apps\\run.bat", "one \"two 2\"", "C:\\windows\\system32\\cmd.exe"),
        (Launch{"C:\\windows\\system32\\cmd.exe",
                "\"C:\\windows\\system32\\cmd.exe\" /d /s /c \"\"C:\\My Apps\\run.bat\" one "
                "\"two 2\"\""}));
    EXPECT_EQ(BuildLaunch("C:\\a\\run.cmd", "", "cmd.exe"),
              (Launch{"cmd.exe", "\"cmd.exe\" /d /s /c \"\"C:\\a\\run.cmd\"\""}));
}

TEST(ProgramLaunch, FoldersFileNamesAndTheLogBesideTheProgram) {
    EXPECT_EQ(FolderOf("C:\\My Apps\\run.bat"), "C:\\My Apps");
    EXPECT_EQ(FolderOf("run.bat"), "");
    EXPECT_EQ(FileNameOf("C:\\My Apps\\run.bat"), "run.bat");
    EXPECT_EQ(FileNameOf("run.bat"), "run.bat");
    // The log lies beside the program.
    EXPECT_EQ(DefaultLogPath("C:\\My Apps\\run.bat"), "C:\\My Apps\\run.log");
    EXPECT_EQ(DefaultLogPath("C:\\a.d\\server"), "C:\\a.d\\server.log");
    EXPECT_EQ(DefaultLogPath("C:\\a\\x.tar.exe"), "C:\\a\\x.tar.log");
    EXPECT_EQ(PreviousLogPath("C:\\a\\run.log"), "C:\\a\\run.log.1");
}

TEST(ProgramLaunch, RotationHappensOnlyWhenAWriteWouldPassTheLimit) {
    EXPECT_FALSE(ShouldRotateLog(900, 100, 1000));  // exactly at the limit
    EXPECT_TRUE(ShouldRotateLog(901, 100, 1000));
    EXPECT_TRUE(ShouldRotateLog(1000, 1, 1000));
    EXPECT_FALSE(ShouldRotateLog(0, 5000, 1000));        // a new log takes a large write whole
    EXPECT_FALSE(ShouldRotateLog(1ULL << 40, 4096, 0));  // 0: never
    EXPECT_TRUE(ShouldRotateLog(1ULL << 40, 1, 1ULL << 40));
}

}  // namespace
}  // namespace vtl::wrapper
