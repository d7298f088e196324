#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/core/cleanup_context.h"

namespace {

const void* Root(uint32_t value) {
  return reinterpret_cast<const void*>(static_cast<intptr_t>(static_cast<int32_t>(value)));
}

std::string ReadAll(const char* path) {
  std::string bytes;
  if (FILE* f = std::fopen(path, "rb")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0) bytes.append(buffer, n);
    std::fclose(f);
  }
  return bytes;
}

class CleanupContextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = ::testing::TempDir() + "cleanup_context_test.log";
    ASSERT_TRUE(context_.OpenLog(path_.c_str()));
  }
  std::string Log() {
    context_.CloseLog();
    return ReadAll(path_.c_str());
  }
  std::string path_;
  CleanupContext context_;
};

TEST_F(CleanupContextTest, LinesHaveFixedColumnsForEveryKind) {
  context_.ReportRegKey(Root(0x80000002), "Software\\orv", true);
  context_.ReportRegValue(Root(0x80000001), "Software\\Run - orv", true);
  context_.ReportFile("C:\\a.txt", false);
  context_.ReportDir("C:\\d\\", true);
  context_.ReportUserHive("C:\\u\\NTUSER.DAT", false);
  EXPECT_EQ(Log(),
            "Delete Reg Key: OK     HKEY_LOCAL_MACHINE\\Software\\orv\n"
            "Delete Reg Val: OK     HKEY_CURRENT_USER\\Software\\Run - orv\n"
            "Remove File   : failed C:\\a.txt\n"
            "Remove Dir    : OK     C:\\d\\\n"
            "Load User Reg : failed C:\\u\\NTUSER.DAT\n");
  EXPECT_EQ(context_.failures, (std::vector<std::string>{"C:\\a.txt", "C:\\u\\NTUSER.DAT"}));
}

TEST_F(CleanupContextTest, ReportsAgainstOtherHandlesAreDropped) {
  context_.ReportRegKey(Root(0x80000005), "x", false);  // HKEY_CURRENT_CONFIG
  context_.ReportRegKey(Root(0x7FFFFFFF), "x", false);
  context_.ReportRegKey(Root(0x80000004), "x", false);
  context_.ReportRegKey(reinterpret_cast<const void*>(0x1234), "nested", false);
  context_.ReportRegKey(Root(0x80000003), "S-1", false);
  context_.ReportRegKey(Root(0x80000000), "CLSID", false);
  EXPECT_EQ(Log(), "Delete Reg Key: failed HKEY_USERS\\S-1\nDelete Reg Key: failed HKEY_CLASSES_ROOT\\CLSID\n");
  EXPECT_EQ(context_.failures, (std::vector<std::string>{"HKEY_USERS\\S-1", "HKEY_CLASSES_ROOT\\CLSID"}));
}

// A preview's lines are a removal's with "found " for "OK    "; restore lines have labels of
// the same width, so every text starts in column 24.
TEST_F(CleanupContextTest, FoundAndRestoreLinesKeepTheColumns) {
  context_.ReportRegFound(LOG_REG_KEY, Root(0x80000000), "ORV.UI");
  context_.ReportRegFound(LOG_REG_VALUE, reinterpret_cast<const void*>(0x1234), "nested - x");
  context_.ReportFound(LOG_DIR, "C:\\d\\");
  context_.ReportResult(LOG_RESTORE_KEY, true, "HKEY_CURRENT_USER\\k");
  context_.ReportResult(LOG_RESTORE_VALUE, false, "HKEY_CURRENT_USER\\k - v");
  context_.ReportResult(LOG_RESTORE_FILE, true, "C:\\f");
  context_.ReportResult(LOG_RESTORE_DIR, true, "C:\\d\\");
  EXPECT_EQ(Log(),
            "Delete Reg Key: found  HKEY_CLASSES_ROOT\\ORV.UI\n"
            "Remove Dir    : found  C:\\d\\\n"
            "Restore RegKey: OK     HKEY_CURRENT_USER\\k\n"
            "Restore RegVal: failed HKEY_CURRENT_USER\\k - v\n"
            "Restore File  : OK     C:\\f\n"
            "Restore Dir   : OK     C:\\d\\\n");
  EXPECT_EQ(context_.found, (std::vector<std::string>{"HKEY_CLASSES_ROOT\\ORV.UI", "C:\\d\\"}));
  EXPECT_EQ(context_.failures, std::vector<std::string>{"HKEY_CURRENT_USER\\k - v"});
}

TEST_F(CleanupContextTest, RepeatedFailuresAreListedEachTimeAndUnknownKindsHaveNoLabel) {
  context_.ReportFile("C:\\x", false);
  context_.ReportFile("C:\\x", false);
  context_.ReportResult(static_cast<LogKind>(LOG_NOT_KEPT + 1), true, "odd");
  EXPECT_EQ(Log(), "Remove File   : failed C:\\x\nRemove File   : failed C:\\x\n: OK     odd\n");
  EXPECT_EQ(context_.failures.size(), 2u);
}

// A file a backup does not copy because other names keep its data: a line of its own, in
// the same columns, and no failure.
TEST_F(CleanupContextTest, AFileNotBackedUpForItsOtherNamesHasALineAndNoFailure) {
  context_.ReportLinkedNotKept("C:\\u\\prefs.xml");
  EXPECT_EQ(Log(), "Not Backed Up : linked C:\\u\\prefs.xml\n");
  EXPECT_TRUE(context_.failures.empty());
}

TEST_F(CleanupContextTest, LinesReachTheFileAsTheyAreWritten) {
  context_.ReportDir("C:\\first\\", true);
  // Read while the log is still open: a run killed now keeps this line.
  EXPECT_EQ(ReadAll(path_.c_str()), "Remove Dir    : OK     C:\\first\\\n");
}

TEST(CleanupContextWithoutLog, SuccessesLeaveNoTraceFailuresAreListed) {
  CleanupContext context;
  context.ReportFile("C:\\gone", true);
  context.ReportRegKey(Root(0x80000001), "Software\\orv", true);
  context.ReportRegValue(Root(0x80000002), "K - v", false);
  context.ReportDir("C:\\d\\", false);
  EXPECT_EQ(context.failures, (std::vector<std::string>{"HKEY_LOCAL_MACHINE\\K - v", "C:\\d\\"}));
  EXPECT_EQ(context.logFile, nullptr);
}

TEST(CleanupContextWithoutLog, AnUnopenableLogLeavesLoggingOff) {
  CleanupContext context;
  EXPECT_FALSE(context.OpenLog("/nonexistent-folder/purgon.log"));
  context.ReportFile("C:\\f", false);
  EXPECT_EQ(context.failures.size(), 1u);
}

}  // namespace
