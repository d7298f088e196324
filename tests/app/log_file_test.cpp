// The log file as the program opens it: text mode, CR LF line ends, fixed columns, the roots
// named by the real predefined handles, and never written through a second name. (What is
// logged and listed for which report is the cleanup context's own test, run natively.)
#include <gtest/gtest.h>

#include <windows.h>

#include "engine/core/cleanup_context.h"
#include "engine/core/log_file.h"
#include "test_support.h"

namespace {

class LogFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeScratchDir("log_file");
    path_ = dir_ + "purgon.log";
  }
  void TearDown() override { DeleteTreeForTest(dir_); }
  std::string dir_, path_;
};

TEST_F(LogFile, EveryLineEndsInCrLfAndTheTextStartsInColumn24) {
  CleanupContext context;
  ASSERT_TRUE(OpenLogWithoutLinks(context, path_.c_str()));
  context.ReportRegKey(HKEY_CURRENT_USER, "Software\\orv", true);
  context.ReportRegValue(HKEY_LOCAL_MACHINE,
                         "SYSTEM\\CurrentControlSet\\Control\\Session Manager - PendingFileRenameOperations",
                         true);
  context.ReportFile("C:\\users\\a\\Desktop\\x.lnk", false);
  context.ReportDir("C:\\windows\\orv\\", true);
  context.ReportRegKey(HKEY_CLASSES_ROOT, "CLSID\\{x}", false);
  context.ReportRegKey(HKEY_USERS, ".DEFAULT\\Software\\orv", true);
  context.CloseLog();
  EXPECT_EQ(ReadFileBytes(path_),
            "Delete Reg Key: OK     HKEY_CURRENT_USER\\Software\\orv\r\n"
            "Delete Reg Val: OK     HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session "
            "Manager - PendingFileRenameOperations\r\n"
            "Remove File   : failed C:\\users\\a\\Desktop\\x.lnk\r\n"
            "Remove Dir    : OK     C:\\windows\\orv\\\r\n"
            "Delete Reg Key: failed HKEY_CLASSES_ROOT\\CLSID\\{x}\r\n"
            "Delete Reg Key: OK     HKEY_USERS\\.DEFAULT\\Software\\orv\r\n");
  EXPECT_EQ(context.failures,
            (std::vector<std::string>{"C:\\users\\a\\Desktop\\x.lnk", "HKEY_CLASSES_ROOT\\CLSID\\{x}"}));
}

TEST_F(LogFile, OpeningTruncatesAnEarlierLog) {
  ASSERT_TRUE(WriteFileBytes(path_, "old line\r\n"));
  CleanupContext context;
  ASSERT_TRUE(OpenLogWithoutLinks(context, path_.c_str()));
  context.CloseLog();
  EXPECT_EQ(ReadFileBytes(path_), "");
}

TEST_F(LogFile, AnUnwritableLogLeavesLoggingOffButFailuresAreKept) {
  CleanupContext context;
  EXPECT_FALSE(OpenLogWithoutLinks(context, (dir_ + "missing-folder\\purgon.log").c_str()));
  context.ReportFile("C:\\x", false);
  EXPECT_EQ(context.failures, std::vector<std::string>{"C:\\x"});
  EXPECT_FALSE(context.logRefused);  // not refused: simply not there to be written
}

// A name planted as a hard link to another file (an elevated run would truncate and overwrite
// that file) is refused. (Symbolic links: links_test.cpp.)
TEST_F(LogFile, AHardLinkUnderTheLogsNameIsRefusedAndItsFileLeftAlone) {
  const std::string victim = dir_ + "victim.txt";
  ASSERT_TRUE(WriteFileBytes(victim, "precious"));
  ASSERT_TRUE(CreateHardLinkA(path_.c_str(), victim.c_str(), nullptr));
  CleanupContext context;
  EXPECT_FALSE(OpenLogWithoutLinks(context, path_.c_str()));
  EXPECT_TRUE(context.logRefused);
  EXPECT_EQ(context.logFile, nullptr);
  EXPECT_EQ(ReadFileBytes(victim), "precious");
}

}  // namespace
