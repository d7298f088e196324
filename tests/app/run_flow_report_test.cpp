// The final report after real deletions: a launcher whose files partly resist removal.
#include <gtest/gtest.h>

#include <windows.h>

#include "test_support.h"
#include "version.h"

namespace {

const char kLauncherKey[] = "Software\\Varenta\\qlaunch";

class FinalReportEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeScratchDir("report");
    // Where only administrators write, as the clients install it: a launcher in a user's own
    // folder (the scratch folder is one) is not started, and the report would say so.
    folder_ = "C:\\QLaunchReport\\";
    ASSERT_TRUE(MakeDirs(folder_));
    // Not a real program: starting it fails, which the removal passes over.
    ASSERT_TRUE(WriteFileBytes(folder_ + "qlaunch.exe", "not a program"));
    ASSERT_TRUE(WriteFileBytes(folder_ + "qlaunch.ico", "icon"));
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, kLauncherKey, "path", folder_ + "qlaunch.exe"));
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, kLauncherKey, "icon", "qlaunch.ico"));
  }
  void TearDown() override {
    SetFileAttributesA((folder_ + "qlaunch.exe").c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteRegTreeForTest(HKEY_CURRENT_USER, "Software\\Varenta");
    DeleteTreeForTest(folder_);
    DeleteTreeForTest(dir_);
  }
  std::string dir_, folder_;
};

TEST_F(FinalReportEndToEnd, AFileThatCannotBeDeletedIsLoggedAndListed) {
  const std::string exe = folder_ + "qlaunch.exe";
  ASSERT_TRUE(SetFileAttributesA(exe.c_str(), FILE_ATTRIBUTE_READONLY));
  RunResult r = RunPurgon("/ql /l", dir_, AnswerYesThenOk());
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0u);  // failures do not change the exit code
  ASSERT_EQ(r.boxes.size(), 2u);
  EXPECT_EQ(r.boxes[1].caption, "Purgon " PURGON_VERSION_TEXT);
  EXPECT_EQ(r.boxes[1].text,
            "The following could not be deleted:\n\n" + exe + "\n\nReboot, then try Purgon again");
  EXPECT_EQ(r.boxes[1].buttons, std::vector<std::string>{"OK"});
  EXPECT_NE(r.boxes[1].icon, BoxInfo::NONE);
  // The icon path keeps the doubled backslash it was formed with.
  EXPECT_EQ(ReadFileBytes(dir_ + "purgon.log"),
            "Remove File   : OK     " + folder_ + "\\qlaunch.ico\r\n"
            "Remove File   : failed " + exe + "\r\n");
  EXPECT_TRUE(FileExists(exe));
}

TEST_F(FinalReportEndToEnd, SilentRunStillGathersButShowsNothing) {
  ASSERT_TRUE(SetFileAttributesA((folder_ + "qlaunch.exe").c_str(), FILE_ATTRIBUTE_READONLY));
  RunResult r = RunPurgon("/ql /s", dir_, PressEach({}));
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_TRUE(r.boxes.empty());
  EXPECT_FALSE(FileExists(dir_ + "purgon.log"));
  EXPECT_FALSE(FileExists(folder_ + "qlaunch.ico"));
}

TEST_F(FinalReportEndToEnd, EverythingDeletedGivesTheSuccessBox) {
  RunResult r = RunPurgon("/ql", dir_, AnswerYesThenOk());
  ASSERT_TRUE(r.finished);
  ASSERT_EQ(r.boxes.size(), 2u);
  EXPECT_EQ(r.boxes[1].text, "Purgon completed successfully.");
  EXPECT_FALSE(FileExists(folder_ + "qlaunch.exe"));
  EXPECT_FALSE(FileExists(folder_ + "qlaunch.ico"));
  EXPECT_TRUE(DirExists(folder_));  // the launcher's folder itself stays
}

// An elevated run in a folder where someone planted a second name of another file as
// purgon.log: the run goes on unlogged, the report says why, and that file keeps its bytes.
TEST_F(FinalReportEndToEnd, APlantedLogNameIsRefusedAndTheReportSaysSo) {
  const std::string victim = dir_ + "victim.txt";
  ASSERT_TRUE(WriteFileBytes(victim, "precious"));
  ASSERT_TRUE(CreateHardLinkA((dir_ + "purgon.log").c_str(), victim.c_str(), nullptr));
  RunResult r = RunPurgon("/ql /l", dir_, AnswerYesThenOk());
  ASSERT_TRUE(r.finished);
  ASSERT_EQ(r.boxes.size(), 2u);
  EXPECT_EQ(r.boxes[1].text,
            "Purgon completed successfully.\n\npurgon.log was not written: that name is a link or "
            "a file with more than one name.");
  EXPECT_EQ(ReadFileBytes(victim), "precious");
  EXPECT_FALSE(FileExists(folder_ + "qlaunch.exe"));  // the removal itself ran
}

}  // namespace
