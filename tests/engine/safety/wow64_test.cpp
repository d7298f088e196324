// On 64-bit Windows this 32-bit program sees "Program Files (x86)" as its Program Files and
// SysWOW64 under the name System32; the native folders keep their names and must be refused
// too. Runs in a 64-bit prefix. Deletions are faked: a failure here would take the prefix's
// 64-bit programs or system folder.
#include <gtest/gtest.h>

#include <memory>

#include "engine/removal/remover.h"
#include "engine/text/wide_text.h"
#include "log_capture.h"
#include "test_support.h"

namespace {

std::string Environment(const char* name) {
  char buffer[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA(name, buffer, MAX_PATH);
  return length && length < MAX_PATH ? std::string(buffer) + "\\" : std::string();
}

TEST(Wow64, NativeProgramFilesAndSystemFoldersAreRefused) {
#ifdef _WIN64
  GTEST_SKIP() << "WoW64 needs the 32-bit program, which cannot run here (the 64-bit build "
                  "of the same sources sees the native folders under their own names)";
#endif
  char windows[MAX_PATH] = {};
  ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
  char wow64[MAX_PATH] = {};
  ASSERT_GT(GetSystemWow64DirectoryA(wow64, MAX_PATH), 0u) << "not a 64-bit prefix";
  const std::string programFiles = Environment("ProgramW6432");
  ASSERT_EQ(programFiles, "C:\\Program Files\\");
  ASSERT_TRUE(DirExists(std::string(windows) + "\\Sysnative\\"));

  const std::string logDir = MakeScratchDir("wow64-log");
  const std::vector<std::string> refused = {
      programFiles,
      Environment("CommonProgramW6432"),
      std::string(windows) + "\\Sysnative\\",
      std::string(windows) + "\\SysWOW64\\",
      std::string(windows) + "\\System32\\",
      std::string(wow64) + "\\",
  };
  const std::string sub = programFiles + "purgon-wow64-sub\\";
  ASSERT_TRUE(MakeDirs(sub));
  {
    TestRun log(logDir + "purgon.log");
    FakedDeletions faked(log);
    for (const std::string& path : refused) log.remove.RemoveDirTree(Widen(path));
    log.remove.RemoveDirTree(Widen(sub));  // inside them: everyday work
    EXPECT_EQ(FakedDeletions::Removed(), std::vector<std::string>{sub});
    std::vector<std::string> expected;
    for (const std::string& path : refused) expected.push_back(DirFailed(path));
    expected.push_back(DirOk(sub));
    EXPECT_EQ(log.Log(), LogLines(expected));
  }
  RemoveDirectoryA(sub.c_str());
  DeleteTreeForTest(logDir);
}

}  // namespace
