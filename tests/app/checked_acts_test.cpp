// What an elevated run acts on is what it checked, end to end with purgon.exe: a launcher a
// user may have planted is not started, a folder twin that differs only in case is not taken
// for the one asked for, a backup never hands out bytes the user could not read, and a restore
// takes only the backup it was asked for and trusts it no further than the removal. The links,
// hard links, Unix modes and the backups' other file system come from make-checked-acts.sh.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "test_support.h"

namespace {

const char kLauncherKey[] = "Software\\Varenta\\qlaunch";
const char kOrvKey[] = "Software\\orv";
const std::string kBackups = "C:\\ProgramData\\Purgon\\backups\\";
const char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";

std::string FolderText(int id) {
  char path[MAX_PATH] = {};
  if (SHGetFolderPathA(nullptr, id, nullptr, 0, path) != S_OK) return std::string();
  return std::string(path) + "\\";
}

// Where the launcher's test double writes down that it was started.
std::string LauncherRecord() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  return std::string(temp) + "qlaunch_record.txt";
}

// The names a folder lists, as it spells them.
std::vector<std::string> ListedNames(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  const HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
  for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &found))
    if (std::string(found.cFileName) != "." && std::string(found.cFileName) != "..") names.push_back(found.cFileName);
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// True when the file's DACL lets Everyone read it (under Wine: its mode lets others read).
bool EveryoneMayRead(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), READ_CONTROL, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD needed = 0;
  GetKernelObjectSecurity(file, DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
  std::vector<BYTE> descriptor(needed ? needed : 1);
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  const bool read = needed && GetKernelObjectSecurity(file, DACL_SECURITY_INFORMATION, descriptor.data(),
                                                      needed, &needed) &&
                    GetSecurityDescriptorDacl(descriptor.data(), &present, &dacl, &defaulted);
  CloseHandle(file);
  if (!read || !present || !dacl) return true;
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
  bool may = false;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    if (GetAce(dacl, i, reinterpret_cast<void**>(&ace)) && ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
        EqualSid(&ace->SidStart, everyone) && (ace->Mask & FILE_READ_DATA))
      may = true;
  }
  FreeSid(everyone);
  return may;
}

class CheckedActs : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeScratchDir("checked-acts");
    appData_ = FolderText(CSIDL_APPDATA);
    data_ = appData_ + "Varenta\\";
    ASSERT_FALSE(appData_.empty());
  }
  void TearDown() override {
    DeleteRegTreeForTest(HKEY_CURRENT_USER, kOrvKey);
    DeleteRegTreeForTest(HKEY_CURRENT_USER, "Software\\Varenta");
    DeleteTreeForTest(dir_);
  }

  // The configurations of the ORV client whose data folders a removal cleans.
  void AddConfigurations(std::initializer_list<const char*> names) {
    for (const char* name : names) ASSERT_TRUE(CreateRegKey(HKEY_CURRENT_USER, std::string(kOrvKey) + "\\" + name));
  }

  RunResult Silent(const std::string& arguments) {
    const RunResult run = RunPurgon(arguments + " /l /s /codes", dir_, PressEach({}));
    EXPECT_TRUE(run.finished) << arguments;
    return run;
  }
  std::vector<std::string> Log() const { return TextLines(ReadFileBytes(dir_ + "purgon.log")); }

  std::string dir_, appData_, data_;
};

// The launcher's path is the user's to write, and under UAC so is whatever lies in the user's
// folders: an elevated run starts the launcher only from where only administrators write. A
// launcher in the user's local folder, or in a folder everyone may change, is not asked to
// unregister; its files still go, and the report's last line says why. The launcher in a
// folder of its own under Program Files is started as before.
TEST_F(CheckedActs, TheLauncherIsStartedOnlyWhereOnlyAdministratorsWrite) {
  const struct {
    std::string folder;
    std::string why;  // empty: started
  } kCases[] = {
      {FolderText(CSIDL_LOCAL_APPDATA) + "acc\\", "it lies in C:\\users\\, where users may write"},
      {"C:\\acc\\", "Everyone may change C:\\acc\\"},
      {FolderText(CSIDL_PROGRAM_FILES) + "QLaunch\\", ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.folder);
    ASSERT_TRUE(MakeDirs(c.folder));
    ASSERT_TRUE(CopyFileA((BinDir() + "qlaunch.exe").c_str(), (c.folder + "qlaunch.exe").c_str(), FALSE));
    ASSERT_TRUE(WriteFileBytes(c.folder + "q.ico", "icon"));
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, kLauncherKey, "path", c.folder + "qlaunch.exe"));
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, kLauncherKey, "icon", "q.ico"));
    DeleteFileA(LauncherRecord().c_str());

    const RunResult run = RunPurgon("/ql /l", dir_, AnswerYesThenOk());
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.boxes.size(), 2u);
    const std::string success = "Purgon completed successfully.";
    if (c.why.empty()) {
      EXPECT_EQ(ReadFileBytes(LauncherRecord()), "/unregserver|" + c.folder.substr(0, c.folder.size() - 1) + "\n");
      EXPECT_EQ(run.boxes[1].text, success);
    } else {
      EXPECT_FALSE(FileExists(LauncherRecord())) << "the launcher was started";
      EXPECT_EQ(run.boxes[1].text, success + "\n\nQLaunch was not asked to unregister itself, only its "
                                             "files were deleted: " + c.why + ".");
    }
    EXPECT_EQ(Log(), (std::vector<std::string>{"Remove File   : OK     " + c.folder + "\\q.ico",
                                                "Remove File   : OK     " + c.folder + "qlaunch.exe"}));
    EXPECT_FALSE(FileExists(c.folder + "qlaunch.exe"));
    DeleteTreeForTest(c.folder);
  }
}

// Where a folder holds names that differ only in case (per-folder case sensitivity on NTFS;
// any Unix folder under Wine), the folder asked for is the one spelled exactly so, and when
// none is, the removal cannot tell which is meant: the user's MAIN beside links main and mAin
// is refused and nothing behind the links is touched. "Other", spelled exactly, goes, and the
// link "other" beside it leads nowhere.
TEST_F(CheckedActs, FolderTwinsThatDifferInCaseAreNotTakenForTheOneAskedFor) {
  AddConfigurations({"Main", "Other"});
  const RunResult run = Silent("/orv 80");
  EXPECT_EQ(run.exitCode, 3010u);
  const std::vector<std::string> log = Log();
  EXPECT_TRUE(HasLine(log, "Remove Dir    : failed " + data_ + "Main\\"));
  EXPECT_TRUE(HasLine(log, "Remove File   : OK     " + data_ + "Other\\nprefs_db.xml"));
  EXPECT_TRUE(HasLine(log, "Remove Dir    : OK     " + data_ + "Other\\"));
  EXPECT_EQ(ReadFileBytes("C:\\acc-victim\\keep.txt"), "keep\n");
  EXPECT_EQ(ReadFileBytes("C:\\acc-victim2\\keep.txt"), "keep\n");
  EXPECT_EQ(ReadFileBytes(data_ + "MAIN\\nprefs_db.xml"), "mine\n");
  // "Other" is gone; the twins and links stay (a path "Other" would now lead into the link).
  EXPECT_EQ(ListedNames(data_), (std::vector<std::string>{"Linked", "MAIN", "mAin", "main", "other"}));
  for (const std::string& line : log) EXPECT_EQ(line.find("acc-victim"), std::string::npos) << line;

  // A backup that puts a file back below "Main": the way there is refused the same way, and
  // nothing is written behind a link.
  const std::string kept = kBackups + "20200101-000000\\files\\C" + data_.substr(2) + "Main\\";
  ASSERT_TRUE(MakeDirs(kept));
  ASSERT_TRUE(WriteFileBytes(kept + "version.dll", "planted"));
  const RunResult restore = Silent("/restore 20200101-000000");
  EXPECT_EQ(restore.exitCode, 1u);
  EXPECT_TRUE(HasLine(Log(), "Restore File  : failed " + data_ + "Main\\version.dll"));
  EXPECT_FALSE(FileExists("C:\\Program Files\\OtherVendor\\version.dll"));
  EXPECT_FALSE(FileExists("C:\\acc-victim\\version.dll"));
  DeleteTreeForTest(kBackups + "20200101-000000\\");
}

// With the backups on another file system, a removed file is copied, not moved. A copy must
// not hand its bytes to anyone the file kept out: a second name of a file only its owner may
// read is not copied at all (the other name keeps the data; the log says so), and a file of
// one name is copied with its owner and DACL and put back with them.
TEST_F(CheckedActs, ABackupNeverWidensWhoMayReadAFile) {
  AddConfigurations({"Linked"});
  const std::string linked = data_ + "Linked\\nprefs_db.xml";
  const std::string helpers = data_ + "Linked\\nhelpers.xml";
  ASSERT_FALSE(EveryoneMayRead(helpers));
  const RunResult run = Silent("/orv 64 /backup");
  EXPECT_EQ(run.exitCode, 0u);
  const std::vector<std::string> log = Log();
  const auto at = std::find(log.begin(), log.end(), "Not Backed Up : linked " + linked);
  ASSERT_NE(at, log.end());
  ASSERT_NE(at + 1, log.end());
  EXPECT_EQ(*(at + 1), "Remove File   : OK     " + linked);
  EXPECT_TRUE(HasLine(log, "Remove File   : OK     " + helpers));
  EXPECT_FALSE(FileExists(linked));
  EXPECT_EQ(ReadFileBytes("C:\\acc-secret\\secret.txt"), "secret\n");

  const RunResult restore = Silent("/restore");
  EXPECT_EQ(restore.exitCode, 0u);
  EXPECT_FALSE(FileExists(linked)) << "a second name came back as a copy";
  EXPECT_EQ(ReadFileBytes(helpers), "helpers\n");
  EXPECT_FALSE(EveryoneMayRead(helpers)) << "the copy put back lets everyone read it";
  const std::vector<std::string> restored = Log();
  EXPECT_TRUE(HasLine(restored, "Restore File  : OK     " + helpers));
  for (const std::string& line : restored) EXPECT_EQ(line.find("nprefs_db.xml"), std::string::npos) << line;
}

// A word after /restore that names no backup restores nothing (not the newest instead): the
// log's failed line names the word and the run exits with 1. Unless silent, the box says so.
TEST_F(CheckedActs, RestoreRefusesAWordThatNamesNoBackup) {
  const std::string backup = kBackups + "20200102-000000\\";
  ASSERT_TRUE(MakeDirs(backup));
  ASSERT_TRUE(WriteFileBytes(backup + "registry.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\PurgonWord]\r\n"));
  const std::string tooLong = "20200102-000000." + std::string(284, '7');
  for (const std::string& word : {std::string("..\\..\\x"), std::string("C:\\somewhere"), tooLong}) {
    SCOPED_TRACE(word.substr(0, 40));
    const RunResult run = Silent("/restore " + word);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(Log(), (std::vector<std::string>{"Restore Dir   : failed " + word}));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\PurgonWord"));
    EXPECT_TRUE(DirExists(backup));
  }
  const RunResult shown = RunPurgon("/restore C:\\somewhere /codes", dir_, PressEach({"OK"}));
  EXPECT_EQ(shown.exitCode, 1u);
  ASSERT_EQ(shown.boxes.size(), 1u);
  EXPECT_EQ(shown.boxes[0].text,
            "No backup was restored: \"C:\\somewhere\" is not the name of a backup (a backup is named for "
            "its time: YYYYMMDD-HHMMSS, with .2, .3, ... after it).");
  DeleteTreeForTest(backup);
}

// The restore reads its own files no further than a removal would go: a hex byte cut short
// makes the whole registry file refused (nothing of it is set), and of the queue of file
// operations only the client's own come back, never one that acts on another file.
TEST_F(CheckedActs, RestoreRefusesACutHexByteAndAForeignQueueOperation) {
  const std::string cut = kBackups + "20200103-000000\\";
  ASSERT_TRUE(MakeDirs(cut));
  ASSERT_TRUE(WriteFileBytes(cut + "registry.reg",
                             "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\PurgonCut]\r\n"
                             "\"v\"=hex:01,02,\\\r\n  03,0\r\n"));
  RunResult run = Silent("/restore 20200103-000000");
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(Log(), (std::vector<std::string>{"Restore RegKey: failed " + cut + "registry.reg"}));
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\PurgonCut"));
  EXPECT_TRUE(DirExists(cut));

  ASSERT_TRUE(MakeDirs("C:\\windows\\orv\\"));
  ASSERT_TRUE(WriteFileBytes("C:\\windows\\orv\\own.txt", "own"));
  ASSERT_TRUE(WriteFileBytes("C:\\acc-victim\\boot-victim.txt", "victim"));
  const std::string queue = kBackups + "20200104-000000\\";
  ASSERT_TRUE(MakeDirs(queue));
  // Two operations: the client's own file, and another's, as deletions at the next start.
  const std::string bytes = "\\??\\C:\\windows\\orv\\own.txt|||\\??\\C:\\acc-victim\\boot-victim.txt|||";
  std::string hex;
  for (char ch : bytes) {
    char pair[8];
    snprintf(pair, sizeof(pair), "%02x,00,", static_cast<unsigned char>(ch == '|' ? 0 : ch));
    hex += pair;
  }
  hex += "00,00";
  ASSERT_TRUE(WriteFileBytes(queue + "registry.reg",
                             "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\" + std::string(kSessionManager) +
                                 "]\r\n\"PendingFileRenameOperations\"=hex(7):00,00\r\n;purgon:wide=hex:" + hex +
                                 "\r\n;purgon:operations-only\r\n"));
  run = Silent("/restore 20200104-000000");
  EXPECT_EQ(run.exitCode, 1u);
  const std::string value = "HKEY_LOCAL_MACHINE\\" + std::string(kSessionManager) + " - PendingFileRenameOperations";
  EXPECT_EQ(Log(), (std::vector<std::string>{"Restore RegVal: failed " + value}));
  HKEY key = nullptr;
  std::wstring data(1024, L'\0');
  DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, &key), ERROR_SUCCESS);
  const LONG read = RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(&data[0]), &size);
  RegCloseKey(key);
  ASSERT_EQ(read, ERROR_SUCCESS);
  data.resize(size / sizeof(wchar_t));
  EXPECT_EQ(data, std::wstring(L"\\??\\C:\\windows\\orv\\own.txt\0\0\0", 29));
  EXPECT_TRUE(DirExists(queue));
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  RegDeleteValueW(key, L"PendingFileRenameOperations");
  RegCloseKey(key);
  DeleteTreeForTest(cut);
  DeleteTreeForTest(queue);
  DeleteTreeForTest("C:\\windows\\orv\\");
}

}  // namespace
