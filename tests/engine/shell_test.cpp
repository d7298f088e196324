// Shell-folder and COM lookups under Wine.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "engine/shell.h"
#include "test_support.h"

namespace {

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override { CoInitialize(nullptr); }
  void TearDown() override { CoUninitialize(); }
};

TEST_F(ShellTest, FolderPathsEndInOneBackslash) {
  for (int id : {CSIDL_DESKTOP, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS,
                 CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_APPDATA, CSIDL_PROGRAM_FILES}) {
    std::string path = "old";
    EXPECT_TRUE(GetSpecialFolderPath(id, path)) << id;
    ASSERT_GE(path.size(), 3u) << id;
    EXPECT_EQ(path.back(), '\\') << id;
    EXPECT_NE(path[path.size() - 2], '\\') << id;
    EXPECT_TRUE(DirExists(path)) << path;
  }
}

TEST_F(ShellTest, UnresolvableFolderLeavesPathAlone) {
  std::string path = "untouched";
  EXPECT_FALSE(GetSpecialFolderPath(0x7f, path));
  EXPECT_EQ(path, "untouched");
}

TEST_F(ShellTest, NothingRunningUnderNameIsSFalseAndPointerUntouched) {
  IDispatch* sentinel = reinterpret_cast<IDispatch*>(0x1234);
  IDispatch* dispatch = sentinel;
  EXPECT_EQ(GetRunningDispatch("purgon-engine-nobody-runs-this", &dispatch), S_FALSE);
  EXPECT_EQ(dispatch, sentinel);
  EXPECT_EQ(GetRunningDispatch("purgon-engine-nobody-runs-this", nullptr), S_FALSE);
}

TEST_F(ShellTest, UnknownProgIdGivesItsErrorAndLeavesPointerAlone) {
  IDispatch* sentinel = reinterpret_cast<IDispatch*>(0x1234);
  IDispatch* dispatch = sentinel;
  const HRESULT hr =
      CreateDispatchByProgID(L"Purgon.NoSuchClass.1", nullptr, CLSCTX_ALL, &dispatch);
  EXPECT_EQ(hr, CO_E_CLASSSTRING);
  EXPECT_EQ(dispatch, sentinel);
}

}  // namespace
