// The file and folder primitives against Wine's real file system, with the exact log lines
// and failure lists they leave.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include <shlobj.h>

#include "engine/files.h"
#include "engine/shell.h"
#include "log_capture.h"
#include "test_support.h"

namespace {

std::string ToUpperForTest(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    logDir_ = MakeScratchDir("log-" + name);
    root_ = MakeScratchDir("files-" + name);
    log_.reset(new LogCapture(logDir_ + "purgon.log"));
  }
  void TearDown() override {
    log_.reset();
    DeleteTreeForTest(root_);
    DeleteTreeForTest(logDir_);
  }
  // Creates each file of `files` (paths relative to the scratch folder; folders on the way
  // are made).
  void MakeFiles(const std::vector<std::string>& files) {
    for (const std::string& file : files) {
      MakeDirs(root_ + file.substr(0, file.rfind('\\') + 1));
      ASSERT_TRUE(WriteFileBytes(root_ + file, "x")) << file;
    }
  }

  std::string logDir_;
  std::string root_;  // the scratch folder, ending in a backslash
  std::unique_ptr<LogCapture> log_;
};

TEST_F(FilesTest, MissingFileAndFolderAndEmptyPathLeaveNoTrace) {
  RemoveFile(root_ + "absent.txt");
  RemoveDirTree(root_ + "absent\\");
  RemoveDirTree("");
  EXPECT_EQ(log_->Log(), "");
  EXPECT_TRUE(log_->Failures().empty());
}

TEST_F(FilesTest, ReadOnlyFileFailsAndIsListed) {
  MakeFiles({"ro.txt"});
  const std::string path = root_ + "ro.txt";
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  RemoveFile(path);
  EXPECT_TRUE(FileExists(path));
  EXPECT_EQ(log_->Log(), LogLines({FileFailed(path)}));
  EXPECT_EQ(log_->Failures(), std::vector<std::string>{path});
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FilesTest, TwoLevelTreeGoesContentsFirstNamedFolderLast) {
  MakeFiles({"t\\a.txt", "t\\sub\\b.txt"});
  const std::string tree = root_ + "t\\";
  // The order of the lines follows the listing, so the expected log is built from it.
  std::vector<std::string> top;
  ASSERT_TRUE(ListDirectory(tree + "*", top));
  ASSERT_EQ(top.size(), 2u);
  std::vector<std::string> expected;
  for (const std::string& name : top) {
    if (name == "sub") {
      expected.push_back(FileOk(tree + "sub\\b.txt"));
      expected.push_back(DirOk(tree + "sub\\"));
    } else {
      expected.push_back(FileOk(tree + name));
    }
  }
  expected.push_back(DirOk(tree));
  RemoveDirTree(tree);
  EXPECT_FALSE(DirExists(tree));
  EXPECT_EQ(log_->Log(), LogLines(expected));
  EXPECT_TRUE(log_->Failures().empty());
}

TEST_F(FilesTest, EmptyFolderIsOneLine) {
  const std::string tree = root_ + "empty\\";
  MakeDirs(tree);
  RemoveDirTree(tree);
  EXPECT_FALSE(DirExists(tree));
  EXPECT_EQ(log_->Log(), LogLines({DirOk(tree)}));
}

TEST_F(FilesTest, ListingHasNoDotEntriesAndNoMatchLeavesListAlone) {
  MakeDirs(root_ + "only\\one\\");
  MakeDirs(root_ + "only\\two\\");
  std::vector<std::string> names;
  ASSERT_TRUE(ListDirectory(root_ + "only\\*", names));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"one", "two"}));
  EXPECT_FALSE(ListDirectory(root_ + "only\\nothing*", names));
  EXPECT_EQ(names.size(), 2u);
}

}  // namespace

namespace {

std::string Shell(int id) {
  std::string path;
  GetSpecialFolderPath(id, path);
  return path;
}

std::string FromCall(UINT (WINAPI* call)(LPSTR, UINT)) {
  char buffer[MAX_PATH] = {};
  call(buffer, MAX_PATH);
  return std::string(buffer) + "\\";
}

TEST_F(FilesTest, RefusesRootsAndSystemFoldersButNotTheirSubFolders) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string windows = FromCall(GetWindowsDirectoryA);
  const std::string profile = Shell(CSIDL_PROFILE);
  const std::string profilesRoot = profile.substr(0, profile.rfind('\\', profile.size() - 2) + 1);
  const std::vector<std::string> refused = {
      "C:\\",
      "c:",
      "\\\\server\\share\\",
      "\\",
      "relative\\",
      windows,
      FromCall(GetSystemDirectoryA),
      Shell(CSIDL_PROGRAM_FILES),
      profilesRoot,
      profile,
      profilesRoot + "Public\\",  // another user's profile
      Shell(CSIDL_APPDATA),
      Shell(CSIDL_DESKTOP),
      Shell(CSIDL_COMMON_DESKTOPDIRECTORY),
      Shell(CSIDL_PROGRAMS),
      Shell(CSIDL_COMMON_PROGRAMS),
      temp,
      Shell(CSIDL_APPDATA) + "..\\",              // the folder holding it
      ToUpperForTest(windows) + "\\\\",           // other spellings of the same folder
      Shell(CSIDL_PROGRAMS) + ".\\",
  };
  std::vector<std::string> expected;
  for (const std::string& path : refused) {
    ASSERT_GT(path.size(), 0u);
    RemoveDirTree(path);
    expected.push_back(DirFailed(path));
    if (path.size() > 3 && path[1] == ':') EXPECT_TRUE(DirExists(path)) << path;
  }
  EXPECT_EQ(log_->Log(), LogLines(expected));
  EXPECT_EQ(log_->Failures(), refused);

  // Folders inside them are the removals' everyday work.
  LogCapture again(logDir_ + "again.log");
  const std::vector<std::string> allowed = {windows + "purgon-engine-sub\\",
                                            Shell(CSIDL_COMMON_PROGRAMS) + "purgon-engine-sub\\",
                                            std::string(temp) + "purgon-engine-sub\\"};
  expected.clear();
  for (const std::string& path : allowed) {
    ASSERT_TRUE(MakeDirs(path));
    RemoveDirTree(path);
    EXPECT_FALSE(DirExists(path));
    expected.push_back(DirOk(path));
  }
  EXPECT_EQ(again.Log(), LogLines(expected));
}

}  // namespace
