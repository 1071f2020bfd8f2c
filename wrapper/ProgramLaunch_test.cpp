#include "wrapper/ProgramLaunch.h"

#include <gtest/gtest.h>

namespace vtl::wrapper {
namespace {

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

}  // namespace
}  // namespace vtl::wrapper
