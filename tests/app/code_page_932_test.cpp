// Code page 932 end to end: Wine runs in a Japanese locale, so the program's ANSI texts are
// Shift-JIS, where the second byte of 表, ソ and 圭 is 0x5C, the backslash. The running
// account's profile is C:\users\圭介; its data folder holds the ORV configurations 表示 and
// ソフト, and the PEL edition Tolvik's folder Tolvikx表 beside a link Tolvikx to a folder with
// files (make-cp932-machine.sh).
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "test_support.h"

namespace {

const wchar_t kProfile[] = L"C:\\users\\圭介";
const wchar_t kData[] = L"C:\\users\\圭介\\AppData\\Roaming\\Varenta\\";
const wchar_t kOtherData[] = L"C:\\users\\ann\\AppData\\Roaming\\Varenta\\";
const wchar_t kShellFolders[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const wchar_t kProfileFolderId[] = L"{5E6C858F-0E22-4760-9AFE-EA3317B67173}";  // FOLDERID_Profile
const wchar_t kRunningAccount[] =
    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-0-0-0-1000";
const wchar_t kUninstall[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\orv_";
const wchar_t kComponents[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\OptionalComponents\\orv_";

bool SetWide(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY opened = nullptr;
  if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr))
    return false;
  const LONG set = RegSetValueExW(opened, name, 0, REG_EXPAND_SZ,
                                  reinterpret_cast<const BYTE*>(value.c_str()),
                                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(opened);
  return set == ERROR_SUCCESS;
}

bool KeyThere(HKEY root, const std::wstring& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened)) return false;
  RegCloseKey(opened);
  return true;
}

bool MakeFile(const std::wstring& path) {
  SHCreateDirectoryExW(nullptr, path.substr(0, path.rfind(L'\\')).c_str(), nullptr);
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool There(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring ShellFolder(int id) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, id, nullptr, 0, path);
  return path;
}

// Without the wide calls, "圭介" cut at its 0x5C made the profiles root "C:\users\<0x8C>" and
// the all-profiles pass found no profile; "表示" and "ソフト" were refused as names holding a
// backslash and stayed; "Tolvikx表" was judged by the link "Tolvikx" beside it.
TEST(CodePage932, NamesWhoseSecondByteIsABackslashAreRemovedWholeAndNothingBesideThem) {
  ASSERT_EQ(GetACP(), 932u) << "Wine does not run in the Japanese locale";
  const std::vector<std::wstring> configurations = {L"表示", L"ソフト"};
  for (const std::wstring& name : configurations) {
    ASSERT_TRUE(SetWide(HKEY_CURRENT_USER, L"Software\\orv\\" + name, L"Path", kData + name));
    ASSERT_TRUE(SetWide(HKEY_LOCAL_MACHINE, kUninstall + name, L"DisplayName", name));
    ASSERT_TRUE(SetWide(HKEY_CURRENT_USER, kComponents + name, L"Installed", L"1"));
  }
  const std::vector<std::wstring> dataFolders = {L"表示", L"ソフト", L"Tolvikx表"};
  for (const std::wstring& name : dataFolders) {
    ASSERT_TRUE(MakeFile(kData + name + L"\\error.log"));
    ASSERT_TRUE(MakeFile(kData + name + L"\\downloads\\film.bin"));
  }
  ASSERT_TRUE(MakeFile(std::wstring(kOtherData) + L"orvStore\\ncstore_db.xml"));
  // The running account's own profile and application data, as the shell and the profile
  // list give them.
  ASSERT_TRUE(SetWide(HKEY_CURRENT_USER, kShellFolders, kProfileFolderId, kProfile));
  const std::wstring appData = std::wstring(kProfile) + L"\\AppData\\Roaming";
  ASSERT_TRUE(SetWide(HKEY_CURRENT_USER, kShellFolders, L"AppData", appData));
  ASSERT_TRUE(SetWide(HKEY_LOCAL_MACHINE, kRunningAccount, L"ProfileImagePath", kProfile));
  ASSERT_TRUE(SetEnvironmentVariableW(L"USERPROFILE", kProfile));
  ASSERT_EQ(ShellFolder(CSIDL_PROFILE), kProfile);
  ASSERT_EQ(ShellFolder(CSIDL_APPDATA), appData);
  const std::string dir = MakeScratchDir("cp932");

  const RunResult r = RunPurgon("/pel 82 /orv 82 /l /s", dir, PressEach({}));
  ASSERT_TRUE(r.finished);
  EXPECT_TRUE(r.boxes.empty());

  for (const std::wstring& name : configurations) {
    EXPECT_FALSE(KeyThere(HKEY_LOCAL_MACHINE, kUninstall + name));
    EXPECT_FALSE(KeyThere(HKEY_CURRENT_USER, kComponents + name));
  }
  EXPECT_FALSE(KeyThere(HKEY_CURRENT_USER, L"Software\\orv"));
  for (const std::wstring& name : dataFolders)
    EXPECT_FALSE(There(kData + name)) << "data folder left: " << name;
  EXPECT_TRUE(There(L"C:\\cp932-victim\\keep.txt"));
  EXPECT_TRUE(There(L"C:\\cp932-victim\\sub\\keep.txt"));
  EXPECT_FALSE(There(std::wstring(kOtherData) + L"orvStore")) << "another profile was not found";

  // The log spells each name as the code page does: 圭介 8C 5C 89 EE, 表示 95 5C 8E A6,
  // ソフト 83 5C 83 74 83 67.
  const std::string data = "C:\\users\\\x8C\x5C\x89\xEE\\AppData\\Roaming\\Varenta\\";
  const std::vector<std::string> lines = TextLines(ReadFileBytes(dir + "purgon.log"));
  for (const std::string& expected :
       {"Remove Dir    : OK     " + data + "\x95\x5C\x8E\xA6\\",
        "Remove File   : OK     " + data + "\x83\x5C\x83\x74\x83\x67\\error.log"})
    EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end())
        << "no line " << expected << " in\n" << JoinLines(lines);
}

}  // namespace
