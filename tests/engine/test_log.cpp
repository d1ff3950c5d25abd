#include "engine/log.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Each test logs into its own empty folder.
struct LogTest : ::testing::Test {
    ScratchFolder folder;
    void SetUp() override { consoleLines.clear(); }
};

} // namespace

TEST_F(LogTest, KeepsTwentyLinesAndWritesEveryOneWithCrLf)
{
    std::string expected;
    for (int i = 1; i <= 21; i++) {
        logMessage("line " + std::to_string(i));
        expected += "line " + std::to_string(i) + "\r\n";
        ASSERT_EQ(readFile("console.log"), expected);   // on disk as soon as it is logged
    }
    ASSERT_EQ(consoleLines.size(), 20u);
    EXPECT_EQ(consoleLines.front(), "line 2");
    EXPECT_EQ(consoleLines.back(), "line 21");

    clearLogFile("console.log");
    EXPECT_EQ(readFile("console.log"), "");
    EXPECT_EQ(consoleLines.size(), 20u);   // emptying the file keeps the on-screen lines
    logMessage("after");
    EXPECT_EQ(readFile("console.log"), "after\r\n");
}

// The file stays open from one line to the next: lines logged after it was moved away follow it,
// where a file opened for every line would start a new one.
TEST_F(LogTest, TheFileStaysOpenBetweenLines)
{
    logMessage("first");
    ASSERT_EQ(std::rename("console.log", "moved.log"), 0);
    logMessage("second");
    EXPECT_EQ(readFile("moved.log"), "first\r\nsecond\r\n");
    EXPECT_NE(access("console.log", F_OK), 0);
}

TEST_F(LogTest, ALineSurvivesAnUnwritableFile)
{
    ASSERT_EQ(mkdir("console.log", 0700), 0);   // a folder where the file should be
    logMessage("kept in memory");
    ASSERT_EQ(consoleLines.size(), 1u);
    EXPECT_EQ(consoleLines[0], "kept in memory");
    ASSERT_EQ(rmdir("console.log"), 0);
    logMessage("written");   // the file is tried again on the next line
    EXPECT_EQ(readFile("console.log"), "written\r\n");
}
