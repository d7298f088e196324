// The log file as Windows programs see it: text mode, CR LF line ends, fixed columns, the
// roots named by the real predefined handles, an earlier log truncated. (What is logged and
// listed for which report is the cleanup context's own test, run natively.)
#include <gtest/gtest.h>

#include <windows.h>

#include "engine/cleanup_context.h"
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
  ASSERT_TRUE(context.OpenLog(path_.c_str()));
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
  ASSERT_TRUE(context.OpenLog(path_.c_str()));
  context.CloseLog();
  EXPECT_EQ(ReadFileBytes(path_), "");
}

}  // namespace
