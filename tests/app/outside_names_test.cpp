// Names and links that ordinary users plant where an elevated run lists and deletes, each met
// end to end: purgon.exe runs on a machine holding the plant and is judged by its log, its exit
// code and what is left. The links come from make-outside-names.sh (Windows code cannot make
// them under Wine); names that code page 1252 cannot spell are made here with the wide calls.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "test_support.h"

namespace {

const char kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
// Another account's data root: a link, in place only while its own case runs.
const char kMalloryRoaming[] = "C:\\users\\mallory\\AppData\\Roaming";
const char kMalloryParked[] = "C:\\users\\mallory\\AppData\\parked";
const char kRefusedLogNote[] =
    "\n\npurgon.log was not written: that name is a link or a file with more than one name.";
// U+FF3C FULLWIDTH REVERSE SOLIDUS: the code page's best fit spells it "\".
#define FW L"\uFF3C"

// The program's own ASCII paths, widened.
std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

bool ExistsW(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Makes the folders of `path` (ending in a backslash) and, when `file` is given, that file.
bool PlantW(const std::wstring& path, const std::wstring& file = L"") {
  for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
    CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  if (file.empty()) return ExistsW(path);
  HANDLE handle =
      CreateFileW((path + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CloseHandle(handle);
  return true;
}

bool MakeKeyW(const std::wstring& path) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

// Test clean-up of a folder or file a case planted, by the names its listings give (the shell's
// own deletion takes "..＼" for a step up). Links are never entered nor deleted.
void DeletePlanted(const std::wstring& path, DWORD attributes = 0) {
  if (attributes == 0) attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return;
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileW(path.c_str());
    return;
  }
  WIN32_FIND_DATAW found;
  const HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &found);
  for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found)) {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") DeletePlanted(path + L"\\" + name, found.dwFileAttributes);
  }
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  RemoveDirectoryW(path.c_str());
}

std::vector<std::string> Sorted(std::vector<std::string> lines) {
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::string FolderText(int id) {
  char path[MAX_PATH] = {};
  if (SHGetFolderPathA(nullptr, id, nullptr, 0, path) != S_OK) return std::string();
  return std::string(path) + "\\";
}

class OutsideNames : public ::testing::Test {
 protected:
  void SetUp() override {
    appData_ = FolderText(CSIDL_APPDATA);
    desktop_ = FolderText(CSIDL_DESKTOPDIRECTORY);
    ASSERT_FALSE(appData_.empty());
    ASSERT_FALSE(desktop_.empty());
    data_ = appData_ + "Varenta\\";
    dir_ = MakeScratchDir("outside_names");
  }
  void TearDown() override {
    if (DirExists(kMalloryRoaming)) MoveFileA(kMalloryRoaming, kMalloryParked);
    for (const std::string& sid : sids_)
      DeleteRegTreeForTest(HKEY_LOCAL_MACHINE, std::string(kProfileList) + "\\" + sid);
    DeleteRegTreeForTest(HKEY_CURRENT_USER, "Software\\orv");
    // What a faulty run left must not fail the cases after it.
    for (const std::wstring& path : planted_) DeletePlanted(path);
    DeleteTreeForTest(dir_);
  }

  void AddAccount(const std::string& sid, const std::string& profile) {
    sids_.push_back(sid);
    ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, std::string(kProfileList) + "\\" + sid,
                             "ProfileImagePath", profile, REG_EXPAND_SZ));
  }

  // A silent ORV removal with exit codes, logged; the log's lines.
  std::vector<std::string> Run(const std::string& options) {
    const RunResult run = RunPurgon("/orv " + options + " /l /s /codes", dir_, PressEach({}));
    EXPECT_TRUE(run.finished);
    EXPECT_TRUE(run.boxes.empty());
    exitCode_ = run.exitCode;
    return TextLines(ReadFileBytes(dir_ + "purgon.log"));
  }

  std::string appData_, desktop_, data_, dir_;
  std::vector<std::string> sids_;
  std::vector<std::wstring> planted_;
  DWORD exitCode_ = 0;
};

// Listed through the code page, "..＼..＼(...)victimdir" in a data folder is
// "..\..\(...)victimdir", and appended to the data folder's path it names C:\victimdir; a
// shortcut sub-key spelled so names the public desktop's shortcut. Each must stay one odd name
// where it was found.
TEST_F(OutsideNames, BestFitBackslashNamesNothingOutsideTheDataFolderOrDesktop) {
  planted_ = {L"C:\\victimdir", L"C:\\users\\Public\\Desktop\\x.lnk", Wide(data_) + L"orvB"};
  ASSERT_TRUE(MakeDirs("C:\\victimdir\\"));
  ASSERT_TRUE(WriteFileBytes("C:\\victimdir\\keep.txt", "keep"));
  ASSERT_TRUE(MakeDirs("C:\\users\\Public\\Desktop\\"));
  ASSERT_TRUE(WriteFileBytes("C:\\users\\Public\\Desktop\\x.lnk", "public"));
  const std::wstring odd = L".." FW L".." FW L".." FW L".." FW L".." FW L".." FW L"victimdir\\";
  const std::wstring folder = Wide(data_) + L"orvB\\" + odd;
  ASSERT_TRUE(PlantW(folder, L"f.txt"));
  const std::wstring shortcut = L".." FW L".." FW L"Public" FW L"Desktop" FW L"x";
  ASSERT_TRUE(MakeKeyW(L"Software\\orv\\cfgB\\shortcuts\\" + shortcut));
  planted_.push_back(Wide(desktop_) + shortcut + L".lnk");
  ASSERT_TRUE(PlantW(Wide(desktop_), shortcut + L".lnk"));

  const std::vector<std::string> log = Run("84");
  const std::string oddText = data_ + "orvB\\..?..?..?..?..?..?victimdir\\";
  EXPECT_EQ(log, (std::vector<std::string>{
                     "Remove File   : OK     " + desktop_ + "..?..?Public?Desktop?x.lnk",
                     "Delete Reg Key: OK     HKEY_CURRENT_USER\\Software\\orv",
                     "Remove File   : OK     " + oddText + "f.txt",
                     "Remove Dir    : OK     " + oddText,
                     "Remove Dir    : OK     " + data_ + "orvB\\"}));
  EXPECT_EQ(exitCode_, 0u);
  EXPECT_EQ(ReadFileBytes("C:\\victimdir\\keep.txt"), "keep");
  EXPECT_EQ(ReadFileBytes("C:\\users\\Public\\Desktop\\x.lnk"), "public");
  EXPECT_FALSE(ExistsW(folder));
}

// "sub" is kept by a read-only file; beside it "sub " (trailing blank) is a link to another
// folder. Windows trims a path's final blank, so a check of "...\sub " by path meets "sub"
// while the deletions below it go behind the link. (Wine cannot remove the link itself: it
// tries the folder it leads to, which holds files. Windows removes it.)
TEST_F(OutsideNames, TrailingBlankLinkBesideAKeptFolderLeavesTheFolderBehindIt) {
  const std::string folder = data_ + "blankcfg\\";
  ASSERT_EQ(GetFileAttributesA(("\\\\?\\" + folder + "sub ").c_str()), 0x410u) << "link not made";
  ASSERT_TRUE(MakeDirs(folder + "sub\\"));
  ASSERT_TRUE(WriteFileBytes(folder + "sub\\ro.txt", "ro"));
  ASSERT_TRUE(SetFileAttributesA((folder + "sub\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(WriteFileBytes(folder + "a.txt", "a"));
  ASSERT_TRUE(CreateRegKey(HKEY_CURRENT_USER, "Software\\orv\\blankcfg"));

  const std::vector<std::string> log = Run("80");
  SetFileAttributesA((folder + "sub\\ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  // Sorted: the file system decides the order of the entries.
  EXPECT_EQ(Sorted(log), Sorted({"Delete Reg Key: OK     HKEY_CURRENT_USER\\Software\\orv",
                                 "Remove File   : OK     " + folder + "a.txt",
                                 "Remove File   : failed " + folder + "sub\\ro.txt",
                                 "Remove Dir    : failed " + folder + "sub\\",
                                 "Remove Dir    : failed " + folder + "sub \\",
                                 "Remove Dir    : failed " + folder}));
  EXPECT_EQ(exitCode_, 3010u);
  EXPECT_EQ(ReadFileBytes("C:\\victim-blank\\keep.txt"), "keep\n");
  EXPECT_EQ(ReadFileBytes("C:\\victim-blank\\deeper\\keep.txt"), "keep\n");
}

// Another account's own AppData\Roaming\Varenta is a link to another program's folder, which
// holds "orv" names. The run with every account must not go through it, and must say that it
// left that account's data.
TEST_F(OutsideNames, LinkInTheMiddleOfAnotherAccountsPathIsNotFollowed) {
  const std::string sid = "S-1-5-21-5-5-5-1001";
  ASSERT_TRUE(EnableHivePrivileges());
  ASSERT_TRUE(
      SaveHiveFile({{"Software\\orv\\orvm", "", "", REG_SZ}}, "C:\\users\\mallory\\NTUSER.DAT"));
  AddAccount(sid, "C:\\users\\mallory");
  ASSERT_TRUE(MoveFileA(kMalloryParked, kMalloryRoaming));
  const std::string root = std::string(kMalloryRoaming) + "\\Varenta\\";
  ASSERT_EQ(GetFileAttributesA((std::string(kMalloryRoaming) + "\\Varenta").c_str()), 0x410u)
      << "link not made";

  const std::vector<std::string> log = Run("82");
  EXPECT_EQ(log, (std::vector<std::string>{
                     "Remove Dir    : failed " + root,
                     "Delete Reg Key: OK     HKEY_USERS\\" + sid + "\\Software\\orv",
                     "Remove Dir    : failed " + root + "orvm\\"}));
  EXPECT_EQ(exitCode_, 3010u);
  const std::string vendor = "C:\\Program Files\\OtherVendor\\";
  for (const char* file : {"orvdata\\keep.txt", "orvm\\keep.txt", "orvsettings.ini"})
    EXPECT_EQ(ReadFileBytes(vendor + file), "keep\n") << file;
}

// Configurations, a content-store file and a profile (found among the profiles and in the
// profile list) that code page 1252 cannot spell: all of the client goes, and the log writes "?"
// for each character it cannot spell (and keeps "ó").
TEST_F(OutsideNames, NamesOutsideTheCodePageAreRemovedAndLoggedWithQuestionMarks) {
  const std::wstring chinese = L"\u6570\u636E";             // 数据
  const std::wstring polish = L"\u0141\u00F3d\u017A";       // Łódź
  const std::wstring profile = L"C:\\users\\\u0141ukasz";  // Łukasz
  const std::wstring data = Wide(data_);
  planted_ = {data + chinese, data + polish, data + L"orvS", profile};
  for (const std::wstring& name : {chinese, polish}) {
    ASSERT_TRUE(MakeKeyW(L"Software\\orv\\" + name));
    ASSERT_TRUE(PlantW(data + name + L"\\", L"nprefs_db.xml"));
  }
  ASSERT_TRUE(PlantW(data + L"orvS\\thumbnails\\", chinese + L".jpg"));
  ASSERT_TRUE(PlantW(profile + L"\\AppData\\Roaming\\Varenta\\orvX\\", L"error.log"));
  // The account is listed by that name, its registry file in its profile.
  const std::string sid = "S-1-5-21-5-5-5-1004";
  ASSERT_TRUE(EnableHivePrivileges());
  ASSERT_TRUE(SaveHiveFile({{"Software\\orv\\orvL", "", "", REG_SZ}}, dir_ + "NTUSER.DAT"));
  ASSERT_TRUE(MoveFileW(Wide(dir_ + "NTUSER.DAT").c_str(), (profile + L"\\NTUSER.DAT").c_str()));
  sids_.push_back(sid);
  const std::wstring listed = Wide(std::string(kProfileList) + "\\" + sid);
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, listed.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const DWORD size = static_cast<DWORD>((profile.size() + 1) * sizeof(wchar_t));
  const LONG set = RegSetValueExW(key, L"ProfileImagePath", 0, REG_EXPAND_SZ,
                                  reinterpret_cast<const BYTE*>(profile.c_str()), size);
  RegCloseKey(key);
  ASSERT_EQ(set, ERROR_SUCCESS);

  const std::vector<std::string> log = Run("82");
  const std::string other = "C:\\users\\?ukasz\\AppData\\Roaming\\Varenta\\orvX\\";
  // Sorted: the file system decides the order of the profiles and entries.
  EXPECT_EQ(Sorted(log), Sorted({"Delete Reg Key: OK     HKEY_CURRENT_USER\\Software\\orv",
                                 "Delete Reg Key: OK     HKEY_USERS\\" + sid + "\\Software\\orv",
                                 "Remove File   : OK     " + data_ + "orvS\\thumbnails\\??.jpg",
                                 "Remove Dir    : OK     " + data_ + "orvS\\thumbnails\\",
                                 "Remove Dir    : OK     " + data_ + "orvS\\",
                                 "Remove File   : OK     " + data_ + "??\\nprefs_db.xml",
                                 "Remove Dir    : OK     " + data_ + "??\\",
                                 "Remove File   : OK     " + data_ + "?\xF3" "d?\\nprefs_db.xml",
                                 "Remove Dir    : OK     " + data_ + "?\xF3" "d?\\",
                                 "Remove File   : OK     " + other + "error.log",
                                 "Remove Dir    : OK     " + other}));
  EXPECT_EQ(exitCode_, 0u);
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\orv"));
  for (const std::wstring& gone : {data + chinese, data + polish, data + L"orvS",
                                   profile + L"\\AppData\\Roaming\\Varenta\\orvX"})
    EXPECT_FALSE(ExistsW(gone));
}

// Profile-list paths that spell a system folder another way: the short name of Program Files
// and "C:\users\..\windows". Each holds a registry file and client data as a profile would;
// neither may be taken for a profile.
TEST_F(OutsideNames, ProfileListPathsThatLeadToSystemFoldersAreNoProfiles) {
  char shortName[MAX_PATH] = {};
  ASSERT_NE(GetShortPathNameA("C:\\Program Files", shortName, MAX_PATH), 0u);
  ASSERT_STRNE(shortName, "C:\\Program Files") << "no short name to test with";
  ASSERT_TRUE(EnableHivePrivileges());
  const std::vector<std::string> folders = {"C:\\Program Files\\", "C:\\windows\\"};
  for (const std::string& folder : folders) {
    planted_.push_back(Wide(folder + "AppData"));
    planted_.push_back(Wide(folder + "NTUSER.DAT"));
    ASSERT_TRUE(SaveHiveFile({{"Software\\orv\\orvP", "", "", REG_SZ}}, folder + "NTUSER.DAT"));
    ASSERT_TRUE(MakeDirs(folder + "AppData\\Roaming\\Varenta\\orvP\\"));
    ASSERT_TRUE(WriteFileBytes(folder + "AppData\\Roaming\\Varenta\\orvP\\error.log", "e"));
  }
  AddAccount("S-1-5-21-5-5-5-1002", shortName);
  AddAccount("S-1-5-21-5-5-5-1003", "C:\\users\\..\\windows");

  const std::vector<std::string> log = Run("82");
  EXPECT_EQ(JoinLines(log), "");
  EXPECT_EQ(exitCode_, 0u);
  for (const std::string& folder : folders)
    EXPECT_TRUE(FileExists(folder + "AppData\\Roaming\\Varenta\\orvP\\error.log")) << folder;
}

// purgon.log planted as a folder, or as a link to one, where the run starts: the run goes on
// unlogged, the report says why, and what is under that name keeps its files.
TEST_F(OutsideNames, FolderOrLinkNamedPurgonLogIsNotWrittenAndTheReportSaysSo) {
  ASSERT_TRUE(MakeDirs(dir_ + "purgon.log\\"));
  ASSERT_TRUE(WriteFileBytes(dir_ + "purgon.log\\keep.txt", "keep\n"));
  ASSERT_EQ(GetFileAttributesA("C:\\purgon-loglink\\purgon.log"), 0x410u) << "link not made";
  for (const std::string& where : {dir_, std::string("C:\\purgon-loglink\\")}) {
    SCOPED_TRACE(where);
    ASSERT_TRUE(CreateRegKey(HKEY_CURRENT_USER, "Software\\orv\\cfg6"));
    const RunResult run = RunPurgon("/orv 80 /l", where, AnswerYesThenOk());
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.boxes.size(), 2u);  // the confirmation, then the report
    EXPECT_EQ(run.boxes[1].text, std::string("Purgon completed successfully.") + kRefusedLogNote);
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\orv"));
    EXPECT_EQ(ReadFileBytes(where + "purgon.log\\keep.txt"), "keep\n");
  }
}

}  // namespace
