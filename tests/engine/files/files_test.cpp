// The file and folder primitives against Wine's real file system, with the exact log lines
// and failure lists they leave.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include <shlobj.h>

#include "engine/files/file_calls.h"
#include "engine/files/path_walk.h"
#include "engine/removal/remover.h"
#include "engine/text/wide_text.h"
#include "engine/system/shell.h"
#include "engine/safety/protected_folders.h"
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
    run_.reset(new TestRun(logDir_ + "purgon.log"));
  }
  void TearDown() override {
    run_.reset();
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
  // The removals of the fixture's run, by the tests' own ANSI paths.
  DWORD RemoveFile(const std::string& path) { return run_->remove.RemoveFile(Widen(path)); }
  DWORD RemoveDirTree(const std::string& path) { return run_->remove.RemoveDirTree(Widen(path)); }
  FileCalls& Calls() { return run_->context.files; }

  std::unique_ptr<TestRun> run_;
};

TEST_F(FilesTest, MissingFileAndFolderAndEmptyPathLeaveNoTrace) {
  RemoveFile(root_ + "absent.txt");
  RemoveDirTree(root_ + "absent\\");
  RemoveDirTree("");
  EXPECT_EQ(run_->Log(), "");
  EXPECT_TRUE(run_->Failures().empty());
}

TEST_F(FilesTest, ReadOnlyFileFailsAndIsListed) {
  MakeFiles({"ro.txt"});
  const std::string path = root_ + "ro.txt";
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(RemoveFile(path), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(FileExists(path));
  EXPECT_EQ(run_->Log(), LogLines({FileFailed(path)}));
  EXPECT_EQ(run_->Failures(), std::vector<std::string>{path});
  EXPECT_EQ(run_->Reasons(), std::vector<unsigned long>{ERROR_ACCESS_DENIED});
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FilesTest, TwoLevelTreeGoesContentsFirstNamedFolderLast) {
  MakeFiles({"t\\a.txt", "t\\sub\\b.txt"});
  const std::string tree = root_ + "t\\";
  // The order of the lines follows the listing, so the expected log is built from it.
  std::vector<std::string> top;
  ASSERT_TRUE(ListNames(tree + "*", top));
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
  EXPECT_EQ(run_->Log(), LogLines(expected));
  EXPECT_TRUE(run_->Failures().empty());
}

// Without its backslash the folder's listing pattern would match its neighbours.
TEST_F(FilesTest, FolderWithoutTrailingBackslashTakesOnlyItself) {
  MakeFiles({"t\\a.txt", "t2\\b.txt", "tx.txt"});
  RemoveDirTree(root_ + "t");
  EXPECT_FALSE(DirExists(root_ + "t"));
  EXPECT_TRUE(FileExists(root_ + "t2\\b.txt"));
  EXPECT_TRUE(FileExists(root_ + "tx.txt"));
  EXPECT_EQ(run_->Log(), LogLines({FileOk(root_ + "t\\a.txt"), DirOk(root_ + "t\\")}));
}

TEST_F(FilesTest, EmptyFolderIsOneLine) {
  const std::string tree = root_ + "empty\\";
  MakeDirs(tree);
  RemoveDirTree(tree);
  EXPECT_FALSE(DirExists(tree));
  EXPECT_EQ(run_->Log(), LogLines({DirOk(tree)}));
}

TEST_F(FilesTest, ListingHasNoDotEntriesAndNoMatchLeavesListAlone) {
  MakeDirs(root_ + "only\\one\\");
  MakeDirs(root_ + "only\\two\\");
  std::vector<std::string> names;
  ASSERT_TRUE(ListNames(root_ + "only\\*", names));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"one", "two"}));
  EXPECT_FALSE(ListNames(root_ + "only\\nothing*", names));
  EXPECT_EQ(names.size(), 2u);
}

}  // namespace

namespace {

std::string Shell(int id) { return ShellFolderText(id); }

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
      "bin\\",  // relative to the test's folder, where it exists
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
    if (path.size() > 3 && path[1] == ':') {
      EXPECT_TRUE(DirExists(path)) << path;
    }
  }
  EXPECT_EQ(run_->Log(), LogLines(expected));
  EXPECT_EQ(run_->Failures(), refused);
  EXPECT_EQ(run_->Reasons(), std::vector<unsigned long>(refused.size(), Outcome::kErrorRefused));

  // Folders inside them are the removals' everyday work.
  TestRun again(logDir_ + "again.log");
  const std::vector<std::string> allowed = {windows + "purgon-engine-sub\\",
                                            Shell(CSIDL_COMMON_PROGRAMS) + "purgon-engine-sub\\",
                                            std::string(temp) + "purgon-engine-sub\\"};
  expected.clear();
  for (const std::string& path : allowed) {
    ASSERT_TRUE(MakeDirs(path));
    again.remove.RemoveDirTree(Widen(path));
    EXPECT_FALSE(DirExists(path));
    expected.push_back(DirOk(path));
  }
  EXPECT_EQ(again.Log(), LogLines(expected));
}

// Spellings that the path rules cannot see through lead to a protected folder all the same:
// it is judged by what it is on disk. Deletions are faked: a failure here would take Program
// Files.
TEST_F(FilesTest, OtherSpellingsOfProtectedFoldersAreRefused) {
  char shortName[MAX_PATH] = {};
  const std::string programFiles = Shell(CSIDL_PROGRAM_FILES);
  ASSERT_GT(GetShortPathNameA(programFiles.c_str(), shortName, MAX_PATH), 0u);
  ASSERT_NE(programFiles, std::string(shortName));
  // The missing folder defeats the long-name lookup; Windows drops "zz\.." without looking.
  const std::string shortMissingUp = std::string(shortName) + "purgon-missing\\..\\";
  const std::vector<std::string> refused = {
      shortMissingUp,
      "\\\\localhost\\c$\\windows\\",
      "\\\\127.0.0.1\\C$\\Program Files\\",
  };
  FakedDeletions faked(*run_);
  for (const std::string& path : refused) RemoveDirTree(path);
  EXPECT_TRUE(FakedDeletions::Removed().empty());
  EXPECT_EQ(run_->Log(), LogLines({DirFailed(refused[0]), DirFailed(refused[1]),
                                   DirFailed(refused[2])}));
}

// The machine as the protected folders are gathered, before the first test: a 64-bit
// Windows whose native Program Files has a name with a letter beyond A to Z (code page 1252:
// 0xC4 is the capital of 0xE4), and another account whose profile lies outside the profiles
// root.
const char kNativeProgramFiles[] = "C:\\Programme-\xC4";
const char kOtherProfile[] = "C:\\purgon-profiles\\ann\\";
class MachineAsGathered : public ::testing::Environment {
  void SetUp() override {
    SetEnvironmentVariableA("ProgramW6432", kNativeProgramFiles);
    MakeDirs(kOtherProfile);
    SetRegString(HKEY_LOCAL_MACHINE,
                 "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-7-7-7-1077",
                 "ProfileImagePath", kOtherProfile);
  }
};
const auto* const kGathered = ::testing::AddGlobalTestEnvironment(new MachineAsGathered);

TEST_F(FilesTest, AnotherAccountsProfileOutsideTheProfilesRootIsRefused) {
  const std::string sub = std::string(kOtherProfile) + "purgon-sub\\";
  ASSERT_TRUE(MakeDirs(sub));
  FakedDeletions faked(*run_);
  RemoveDirTree(kOtherProfile);
  RemoveDirTree("C:\\purgon-profiles\\");
  RemoveDirTree(sub);
  EXPECT_EQ(FakedDeletions::Removed(), std::vector<std::string>{sub});
  EXPECT_EQ(run_->Log(), LogLines({DirFailed(kOtherProfile), DirFailed("C:\\purgon-profiles\\"),
                                   DirOk(sub)}));
}

TEST_F(FilesTest, LettersBeyondAToZAreFoldedAsWindowsFoldsThem) {
  ASSERT_EQ(GetACP(), 1252u);
  SafetyNet& safety = run_->context.safety;
  EXPECT_TRUE(safety.IsProtectedTree(Widen("c:\\programme-\xE4\\")));
  EXPECT_TRUE(safety.IsProtectedTree(Widen(std::string(kNativeProgramFiles) + "\\")));
  EXPECT_FALSE(safety.IsProtectedTree(Widen("C:\\PROGRAMME-\xE4\\Varenta\\")));
}

// A refused folder that is not there is passed over like any missing folder: a line for it
// would only ask for a reboot that cannot help. A network path is never looked at, so it is
// listed whether or not it is there.
TEST_F(FilesTest, MissingRefusedFoldersLeaveNoTraceButNetworkPathsAreListed) {
  const std::string profile = Shell(CSIDL_PROFILE);
  const std::string profilesRoot = profile.substr(0, profile.rfind('\\', profile.size() - 2) + 1);
  const std::string windows = FromCall(GetWindowsDirectoryA);
  // "Sysnative" is protected by name, and no folder has it: it is only an alias that a
  // 32-bit program sees on 64-bit Windows (this one is either 32-bit on 32-bit or 64-bit).
  ASSERT_FALSE(DirExists(windows + "Sysnative\\"));
  for (const std::string& missing : {std::string("Q:\\"), std::string("relative-missing\\"),
                                     profilesRoot + "purgon-no-such-user\\",
                                     windows + "Sysnative\\"})
    RemoveDirTree(missing);
  EXPECT_EQ(run_->Log(), "");
  RemoveDirTree("\\\\purgon-no-such-server\\share\\");
  EXPECT_EQ(run_->Failures(), std::vector<std::string>{"\\\\purgon-no-such-server\\share\\"});
}

}  // namespace

namespace {

std::wstring gVanishing;  // the name of the entry that disappears right after the listing
std::wstring gVanishingPath;
NtStatus OpenAfterVanishing(HANDLE parent, const std::wstring& name, const OpenMode& mode,
                            KernelHandle& handle) {
  if (name == gVanishing) DeleteFileW(gVanishingPath.c_str());  // another program got there first
  return RealFileCalls().openChild(parent, name, mode, handle);
}

TEST_F(FilesTest, EntryVanishingAfterListingIsPassedOver) {
  MakeFiles({"t\\gone.txt", "t\\stays.txt"});
  const std::string tree = root_ + "t\\";
  gVanishing = L"gone.txt";
  gVanishingPath = Widen(tree) + gVanishing;
  Calls().openChild = OpenAfterVanishing;
  RemoveDirTree(tree);
  EXPECT_FALSE(DirExists(tree));
  EXPECT_EQ(run_->Log(), LogLines({FileOk(tree + "stays.txt"), DirOk(tree)}));
  EXPECT_TRUE(run_->Failures().empty());
}

// Stands for a name that, opened again after the listing showed it, leads to another object:
// another spelling of it in a folder whose names differ only in case, or a folder swapped in
// meanwhile. `gTwinName` is opened in the folder `gTwinParent` instead.
std::wstring gTwinName;
HANDLE gTwinParent = nullptr;
NtStatus OpenTheTwin(HANDLE parent, const std::wstring& name, const OpenMode& mode, KernelHandle& handle) {
  return RealFileCalls().openChild(name == gTwinName ? gTwinParent : parent, name, mode, handle);
}

// Every open of a name the program looked up is checked against the entry listed: on the way
// to a path, for the folder a removal names, for a file it names, and for each folder of a
// tree. The object opened instead (the same name in the folder "elsewhere") is refused as
// failed, and nothing of it is deleted.
TEST_F(FilesTest, AnObjectOtherThanTheOneListedIsNeverActedOn) {
  const struct {
    const char* twin;    // the name that opens its twin in "elsewhere"
    const char* target;  // the file the removal is after, and its twin below "elsewhere\\"
    const char* named;   // what the removal names: a file, or a folder (ending in "\\")
    const char* failed;  // the failed line's path
  } kCases[] = {
      {"dir", "dir\\f.txt", "dir\\f.txt", "dir\\f.txt"},  // a folder on the way
      {"tree", "tree\\a.txt", "tree\\", "tree\\"},        // the folder named
      {"f.txt", "f.txt", "f.txt", "f.txt"},                // the file named
      {"sub", "t\\sub\\a.txt", "t\\", "t\\sub\\"},        // a folder of the tree
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.twin);
    const std::string twin = std::string(c.twin) == "sub" ? "elsewhere\\sub\\a.txt" : std::string("elsewhere\\") + c.target;
    MakeFiles({c.target, twin});
    KernelHandle elsewhere;
    ASSERT_EQ(OpenFolder(RealFileCalls(), Widen(root_ + "elsewhere\\"), elsewhere), Reach::Reached);
    gTwinName = Widen(c.twin);
    gTwinParent = elsewhere.get();
    const std::string named = root_ + c.named;
    {
      TestRun log(logDir_ + c.twin + ".log");
      log.context.files.openChild = OpenTheTwin;
      if (named.back() == '\\')
        log.remove.RemoveDirTree(Widen(named));
      else
        log.remove.RemoveFile(Widen(named));
      const std::string failed = root_ + c.failed;
      const std::vector<std::string> lines = TextLines(log.Log());
      EXPECT_NE(std::find(lines.begin(), lines.end(), failed.back() == '\\' ? DirFailed(failed) : FileFailed(failed)),
                lines.end());
    }
    EXPECT_TRUE(FileExists(root_ + twin)) << "the twin was acted on";
    EXPECT_TRUE(FileExists(root_ + c.target));
    elsewhere.Reset();
    DeleteTreeForTest(root_ + "elsewhere\\");
  }
}

// Stands for a folder whose ACL denies listing (Wine does not enforce file ACLs).
std::wstring gUnlistable;
NtStatus ListDenied(HANDLE folder, const std::wstring& mask, std::vector<ListedEntry>& entries,
                    const std::wstring& path) {
  if (path == gUnlistable) return kStatusAccessDenied;
  return RealFileCalls().listFolder(folder, mask, entries, path);
}

// What is there but cannot be listed is not left silently: it fails, and so does its parent.
TEST_F(FilesTest, UnlistableFolderFailsWithItsParent) {
  MakeFiles({"t\\locked\\inside.txt", "t\\x.txt"});
  const std::string tree = root_ + "t\\";
  std::vector<std::string> order;
  ASSERT_TRUE(ListNames(tree + "*", order));
  std::vector<std::string> expected;
  for (const std::string& name : order)
    expected.push_back(name == "x.txt" ? FileOk(tree + name) : DirFailed(tree + "locked\\"));
  expected.push_back(DirFailed(tree));
  gUnlistable = Widen(tree + "locked\\");
  Calls().listFolder = ListDenied;
  RemoveDirTree(tree);
  EXPECT_TRUE(FileExists(tree + "locked\\inside.txt"));
  EXPECT_EQ(run_->Log(), LogLines(expected));
  EXPECT_EQ(run_->Failures(), (std::vector<std::string>{tree + "locked\\", tree}));
}

// Stands for another program that, while the walk deletes the first file, tries to move the
// folders being emptied away (to put a link to another folder in their place).
std::vector<std::wstring> gSwapped;  // folders to move; those that moved are kept
NtStatus DeleteWhileSwappingFolders(HANDLE entry, const std::wstring& path) {
  std::vector<std::wstring> moved;
  for (const std::wstring& folder : gSwapped)
    if (MoveFileW(folder.c_str(), (folder + L"-moved").c_str())) moved.push_back(folder);
  gSwapped = moved;
  return RealFileCalls().deleteOpened(entry, path);
}

TEST_F(FilesTest, FoldersBeingEmptiedCannotBeMovedAway) {
  MakeFiles({"t\\sub\\a.txt"});
  const std::string tree = root_ + "t\\";
  gSwapped = {Widen(root_ + "t"), Widen(tree + "sub")};
  Calls().deleteOpened = DeleteWhileSwappingFolders;
  RemoveDirTree(tree);
  EXPECT_TRUE(gSwapped.empty());
  EXPECT_FALSE(DirExists(tree));
  EXPECT_EQ(run_->Log(), LogLines({FileOk(tree + "sub\\a.txt"), DirOk(tree + "sub\\"), DirOk(tree)}));
}

// Stands for another program that, in the middle of the walk, moves the folder above the tree
// away and puts a folder with the same names in its place (on Windows a link would do; under
// Wine a link cannot be renamed from Windows code).
int gDeletionsUntilSwap = 0;
bool gSwappedAbove = false;
NtStatus DeleteThenSwapAbove(HANDLE entry, const std::wstring& path) {
  if (--gDeletionsUntilSwap == 0)
    gSwappedAbove = MoveFileW(L"C:\\swap\\top", L"C:\\swap\\away") &&
                    MoveFileW(L"C:\\swap\\victim", L"C:\\swap\\top");
  return RealFileCalls().deleteOpened(entry, path);
}

// Resolving the path again for each listing and deletion took the folder swapped in.
TEST_F(FilesTest, FolderSwappedAboveTheTreeMidWalkLosesNothing) {
  std::vector<std::string> names;
  for (const char* folder : {"", "a\\", "b\\", "b\\c\\", "d\\"})
    for (const char* file : {"1.dat", "2.dat", "3.dat", "4.dat"})
      names.push_back(std::string(folder) + file);
  for (const std::string& name : names) {
    for (const char* side : {"top", "victim"}) {
      const std::string path = std::string("C:\\swap\\") + side + "\\store\\" + name;
      ASSERT_TRUE(MakeDirs(path.substr(0, path.rfind('\\') + 1)));
      ASSERT_TRUE(WriteFileBytes(path, side));
    }
  }
  gDeletionsUntilSwap = 6;
  {
    Calls().deleteOpened = DeleteThenSwapAbove;
    RemoveDirTree("C:\\swap\\top\\store\\");
  }
  ASSERT_TRUE(gSwappedAbove) << "the swap did not happen";
  // Only the folder swapped in is judged: Wine deletes a file when its last handle closes, by
  // the path it was opened by and only if that still leads to it, so the tree may stay too.
  for (const std::string& name : names)
    EXPECT_EQ(ReadFileBytes("C:\\swap\\top\\store\\" + name), "victim") << name;
  DeleteTreeForTest("C:\\swap\\");
}

// Stands for a listing of a folder's entries that breaks off with an error after what it has
// read; looking one name up on the way still works.
NtStatus ListBreaksOff(HANDLE folder, const std::wstring& mask, std::vector<ListedEntry>& entries,
                       const std::wstring& path) {
  const NtStatus listed = RealFileCalls().listFolder(folder, mask, entries, path);
  return mask.find(L'*') == std::wstring::npos ? listed : kStatusAccessDenied;
}

// An incomplete listing is not acted on: the folder is reported, nothing in it is touched.
TEST_F(FilesTest, ListingThatBreaksOffIsNotWholeAndKeepsWhatItRead) {
  MakeFiles({"t\\x.txt"});
  std::vector<std::string> names{"before"};
  Calls().listFolder = ListBreaksOff;
  std::vector<std::wstring> listed;
  EXPECT_FALSE(run_->remove.ListDirectory(Widen(root_ + "t\\x*"), listed));
  for (const std::wstring& name : listed) names.push_back(LogText(name));
  EXPECT_EQ(names, (std::vector<std::string>{"before", "x.txt"}));
  RemoveDirTree(root_ + "t\\");
  EXPECT_TRUE(FileExists(root_ + "t\\x.txt"));
  EXPECT_EQ(run_->Log(), LogLines({DirFailed(root_ + "t\\")}));
}

// A file in use by another program fails with every folder above it up to the named one;
// each failure keeps its own reason, and the removal returns the first.
TEST_F(FilesTest, FileHeldOpenByAnotherProcessFailsWithItsFolders) {
  MakeFiles({"t\\sub\\held.txt"});
  const std::string tree = root_ + "t\\";
  const std::string held = tree + "sub\\held.txt";
  bool stays = false;
  DWORD first = ERROR_SUCCESS;
  {
    HeldFile holder(held);
    ASSERT_TRUE(holder.held());
    first = RemoveDirTree(tree);
    stays = FileExists(held);
  }
  EXPECT_TRUE(stays);
  const std::vector<std::string> failed = {held, tree + "sub\\", tree};
  EXPECT_EQ(run_->Log(), LogLines({FileFailed(failed[0]), DirFailed(failed[1]), DirFailed(failed[2])}));
  EXPECT_EQ(run_->Failures(), failed);
  const std::vector<unsigned long> reasons = {ERROR_SHARING_VIOLATION, ERROR_DIR_NOT_EMPTY, ERROR_DIR_NOT_EMPTY};
  EXPECT_EQ(run_->Reasons(), reasons);
  EXPECT_EQ(first, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

// A content store deeper than the 260 characters the ANSI calls take is removed whole: the
// walk opens each entry relative to its folder, so no full path is ever resolved. Items that
// are not there leave no trace, however long their path.
TEST_F(FilesTest, TreeDeeperThan480CharactersIsRemovedWhole) {
  const std::string tree = root_ + "deep\\";
  std::string deep = tree;
  while (deep.size() < 480) deep += std::string(60, 'd') + "\\";
  RemoveFile(deep + "absent.txt");
  RemoveDirTree(deep + "absent\\");
  EXPECT_EQ(run_->Log(), "");
  const std::wstring longDeep = L"\\\\?\\" + Widen(deep);
  for (size_t end = longDeep.find(L'\\', 7); end != std::wstring::npos; end = longDeep.find(L'\\', end + 1))
    CreateDirectoryW(longDeep.substr(0, end).c_str(), nullptr);
  HANDLE file = CreateFileW((longDeep + L"store.db").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  TestRun capture(logDir_ + "deep.log");
  capture.remove.RemoveDirTree(Widen(tree));
  std::vector<std::string> expected = {FileOk(deep + "store.db")};
  for (std::string folder = deep; folder.size() >= tree.size();
       folder.resize(folder.rfind('\\', folder.size() - 2) + 1))
    expected.push_back(DirOk(folder));
  EXPECT_EQ(capture.Log(), LogLines(expected));
  EXPECT_TRUE(capture.Failures().empty());
  EXPECT_EQ(GetFileAttributesW((L"\\\\?\\" + Widen(tree)).c_str()), INVALID_FILE_ATTRIBUTES);
}

// A name the ANSI code page cannot spell is acted on by its exact UTF-16 name and logged
// with "?" for what the code page lacks.
TEST_F(FilesTest, FileWithUnspellableNameGoesAndIsLoggedWithQuestionMarks) {
  MakeFiles({"t\\plain.txt"});
  const std::string tree = root_ + "t\\";
  const std::wstring wide = Widen(tree) + L"\x4e2d\x6587.txt";
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  std::vector<std::string> order;
  ASSERT_TRUE(ListNames(tree + "*", order));
  std::vector<std::string> expected;
  for (const std::string& name : order) expected.push_back(FileOk(tree + name));
  expected.push_back(DirOk(tree));
  RemoveDirTree(tree);
  EXPECT_EQ(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(DirExists(tree));
  EXPECT_EQ(run_->Log(), LogLines(expected));
  EXPECT_NE(run_->Log().find(FileOk(tree + "??.txt")), std::string::npos);
}

}  // namespace
