// Pieces of the ORV and launcher removals called in the test process against Wine's real
// registry and files: each test pins down one fault that must not come back.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "engine/core/run_settings.h"
#include "engine/removal/remover.h"
#include "engine/text/wide_text.h"
#include "log_capture.h"
#include "orv/launcher.h"
#include "engine/registry/registry.h"
#include "orv/orv_ids.h"
#include "orv/orv_configuration.h"
#include "orv/orv_removal.h"
#include "orv/orv_shutdown.h"
#include "orv_machine.h"
#include "test_support.h"

namespace {

const char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char kLauncherKey[] = "Software\\Varenta\\qlaunch";

// REG_MULTI_SZ data with its closing empty string (the literal's own terminator).
template <size_t N>
std::u16string MultiString(const char16_t (&text)[N]) {
  return std::u16string(text, N);
}

std::string Folder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE);
  return std::string(path) + "\\";
}

void SetMultiString(const wchar_t* name, const std::u16string& data, DWORD type = REG_MULTI_SZ) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                 static_cast<DWORD>(data.size() * 2));
  RegCloseKey(key);
}

std::u16string GetMultiString(const wchar_t* name) {
  HKEY key = nullptr;
  std::u16string data;
  RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, &key);
  DWORD size = 0;
  if (RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
    data.resize(size / 2);
    RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&data[0]), &size);
  }
  RegCloseKey(key);
  return data;
}

class OrvParts : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  void TearDown() override { DeleteTreeForTest(dir_); }
  std::string dir_;
};

// The shared queue of the next start of Windows keeps every operation that is not the
// client's, in order and exactly (also paths outside the ANSI code page); a queue holding
// only the client's operations goes; a value that is no REG_MULTI_SZ is left alone; a name
// too long to read does not end the walk (it once stopped it, leaving the values below).
TEST_F(OrvParts, PendingRenamesKeepOtherInstallersOperations) {
  SetMultiString(L"PendingFileRenameOperations",
                 MultiString(u"\\??\\C:\\orv\\a.dll\0\0\\??\\C:\\Temp\\\u4E2D.tmp\0\0"
                             u"\\??\\C:\\x\\new.dll\0!\\??\\C:\\Program Files\\ORVPlayer\\old.dll\0"
                             u"\\??\\C:\\y\\new.dll\0!\\??\\C:\\y\\old.dll\0"));
  SetMultiString(L"PendingFileRenameOperationsOrv", MultiString(u"\\??\\C:\\orvdata\\x\0\0"));
  SetMultiString(L"PendingFileRenameOperationsText", MultiString(u"\\??\\C:\\orv\\z"), REG_SZ);
  SetMultiString(L"PendingFileRenameOperationsOther", MultiString(u"\\??\\C:\\Temp\\t\0\0"));
  // A name too long for the walk's buffer, above the others: it is stepped over, and the
  // walk goes on to the values below it.
  const std::wstring longName = L"PendingFileRenameOperations" + std::wstring(1100, L'x');
  SetMultiString(longName.c_str(), MultiString(u"\\??\\C:\\orv\\long\0\0"));
  TestRun capture(dir_ + "capture.log");

  capture.remove.TakeQueueOperations(HKEY_LOCAL_MACHINE, Widen(kSessionManager), L"pendingfilerenameoperations",
                                     u"orv");

  EXPECT_TRUE(GetMultiString(L"PendingFileRenameOperations") ==
              MultiString(u"\\??\\C:\\Temp\\\u4E2D.tmp\0\0\\??\\C:\\y\\new.dll\0!\\??\\C:\\y\\old.dll\0"));
  EXPECT_FALSE(RegValueExists(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperationsOrv"));
  EXPECT_TRUE(RegValueExists(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperationsText"));
  EXPECT_TRUE(GetMultiString(L"PendingFileRenameOperationsOther") ==
              MultiString(u"\\??\\C:\\Temp\\t\0\0"));
  const std::string prefix = std::string("HKEY_LOCAL_MACHINE\\") + kSessionManager + " - ";
  std::string log = capture.Log();
  EXPECT_NE(log.find(ValueOk(prefix + "PendingFileRenameOperations\r\n")), std::string::npos) << log;
  EXPECT_NE(log.find(ValueOk(prefix + "PendingFileRenameOperationsOrv\r\n")), std::string::npos) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
  EXPECT_TRUE(GetMultiString(longName.c_str()) == MultiString(u"\\??\\C:\\orv\\long\0\0"));
  for (const wchar_t* name : {L"PendingFileRenameOperations", L"PendingFileRenameOperationsText",
                              L"PendingFileRenameOperationsOther", longName.c_str()}) {
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_ALL_ACCESS, &key);
    RegDeleteValueW(key, name);
    RegCloseKey(key);
  }
}

// A shortcut name holding "/" or ":" would name a file outside the desktop: it is skipped,
// while the other shortcuts of the configuration go.
TEST_F(OrvParts, ShortcutNamesLeadingOutOfTheDesktopAreSkipped) {
  const std::string desktop = Folder(CSIDL_DESKTOP);
  const std::string victim = desktop + "..\\victim.lnk";  // beside the desktop, in the profile
  ASSERT_TRUE(WriteFileBytes(victim, "not a shortcut of the client"));
  ASSERT_TRUE(WriteFileBytes(desktop + "Fine.lnk", "lnk"));
  ASSERT_TRUE(WriteFileBytes(desktop + "c_victim.lnk", "lnk"));
  for (const char* name : {"x/../../victim", "Fine", "c:victim"})
    ASSERT_TRUE(CreateRegKey(HKEY_CURRENT_USER, std::string("Software\\orv\\Evil\\shortcuts\\") + name));
  TestRun capture(dir_ + "capture.log");

  RemoveOrvConfiguration(capture.remove, L"Evil", OPT_DESKTOP_SHORTCUTS);

  EXPECT_TRUE(FileExists(victim));
  EXPECT_TRUE(FileExists(desktop + "c_victim.lnk"));
  EXPECT_FALSE(FileExists(desktop + "Fine.lnk"));
  EXPECT_EQ(capture.Log(), LogLines({FileOk(desktop + "Fine.lnk")}));
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\orv\\Evil"));
  DeleteFileA(victim.c_str());
  DeleteFileA((desktop + "c_victim.lnk").c_str());
}

// Configuration names become folder names: ".", ".." and names with "/" or ":" are never
// used as one, or "Varenta\..\" would be the whole application-data folder and "Varenta\.\"
// the whole data root. Their registry entries still go.
TEST_F(OrvParts, ConfigurationNamesNeverLeaveTheDataRoot) {
  const std::string appData = Folder(CSIDL_APPDATA);
  const std::string dataRoot = appData + "Varenta\\";
  const std::vector<std::string> kept = {appData + "error.log", appData + "nprefs_db.xml",
                                         dataRoot + "error.log", dataRoot + "Other\\keep.dat",
                                         appData + "Other\\error.log"};
  for (const std::string& file : kept) {
    MakeDirs(file.substr(0, file.rfind('\\') + 1));
    ASSERT_TRUE(WriteFileBytes(file, "keep"));
  }
  for (const char* name : {".", "..", "a/..", "x/../../Other", "c:"})
    ASSERT_TRUE(CreateRegKey(HKEY_CURRENT_USER, std::string("Software\\orv\\") + name));
  ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\orv_..",
                           "DisplayName", "ORV"));
  TestRun capture(dir_ + "capture.log");

  RunSettings settings;
  settings.orvOptions = OPT_PREFS;  // ".." would take the application-data folder's files
  RemoveOrvClient(::Run{settings, "Purgon test", capture.remove});
  settings.orvOptions = OPT_PREFS | OPT_CONTENT_STORE;  // "." would take the whole data root
  RemoveOrvClient(::Run{settings, "Purgon test", capture.remove});

  for (const std::string& file : kept) EXPECT_TRUE(FileExists(file)) << file;
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\orv_.."));
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\orv"));
  EXPECT_EQ(capture.Log(), LogLines({KeyOk("HKEY_CURRENT_USER\\Software\\orv")}));
  EXPECT_TRUE(capture.Failures().empty());
  for (const std::string& file : kept) DeleteFileA(file.c_str());
  DeleteTreeForTest(dataRoot);
  DeleteTreeForTest(appData + "Other\\");
}

// The host's server path loses every quote and keeps its arguments; a command line that
// fills the whole 1024-byte buffer with its terminator is read, a longer one is not. Only the
// machine's registration counts: one in the account's own classes is never started.
TEST_F(OrvParts, HostServerPathIsReadWithoutQuotesWithinItsBuffer) {
  const std::string key = std::string("CLSID\\") + OrvIdText(ORV_ID_HOST) + "\\LocalServer32";
  ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, "Software\\Classes\\" + key, "", "C:\\planted.exe"));
  EXPECT_EQ(GetHostServerPath(), L"");
  DeleteRegTreeForTest(HKEY_CURRENT_USER, "Software\\Classes\\CLSID");
  const std::string fills = "C:\\" + std::string(1020, 'h');  // 1023 characters
  const struct {
    std::string stored;
    std::string read;
  } kCases[] = {
      {"\"C:\\Program Files\\orv\\orvhost.exe\" -embedding", "C:\\Program Files\\orv\\orvhost.exe -embedding"},
      {fills, fills},
      {fills + "h", ""},
  };
  for (const auto& c : kCases) {
    ASSERT_TRUE(SetRegString(HKEY_CLASSES_ROOT, key, "", c.stored));
    EXPECT_EQ(GetHostServerPath(), Widen(c.read)) << c.stored.size() << " characters stored";
  }
  SetRegDword(HKEY_CLASSES_ROOT, key, "", 1);
  EXPECT_EQ(GetHostServerPath(), L"");
  DeleteRegTreeForTest(HKEY_CLASSES_ROOT, std::string("CLSID\\") + OrvIdText(ORV_ID_HOST));
  EXPECT_EQ(GetHostServerPath(), L"");
}

struct LauncherCase {
  const char* path;  // "<QLAUNCH>" is the launcher folder, "<SYSTEM>" the system folder
  const char* icon;
  bool started;      // the launcher is started and its executable goes
  bool iconRemoved;
};

std::string SystemFolderForTest() {
  char folder[MAX_PATH] = {};
  GetSystemDirectoryA(folder, MAX_PATH);
  return std::string(folder) + "\\";
}

// The launcher's values come from the user's registry while the removal may run as an
// administrator: only an absolute path to a file named "qlaunch.exe", in a folder that is not
// one of the system's own, with an icon that is one plain file name (or none), is started and
// deleted. Any other value leaves the launcher alone: nothing started, nothing deleted.
TEST_F(OrvParts, LauncherValuesAreCheckedBeforeUse) {
  const LauncherCase kCases[] = {
      {"<QLAUNCH>qlaunch.exe", "qlaunch.ico", true, true},
      {"<QLAUNCH>QLAUNCH.EXE", "..\\victim.txt", false, false},
      {"<QLAUNCH>qlaunch.exe", "..", false, false},
      {"<QLAUNCH>qlaunch.exe", "c:victim.txt", false, false},
      {"<QLAUNCH>qlaunch.exe", "", true, false},
      {"<QLAUNCH>victim.txt", "qlaunch.ico", false, false},
      {"qlaunch.exe", "qlaunch.ico", false, false},
      {"", "qlaunch.ico", false, false},
      {"<SYSTEM>qlaunch.exe", "qlaunch.ico", false, false},
  };
  const std::string folder = LauncherFolder();
  const std::string system = SystemFolderForTest();
  const std::string victim = folder.substr(0, folder.size() - 1);
  const std::string outside = victim.substr(0, victim.rfind('\\') + 1) + "victim.txt";
  for (const LauncherCase& c : kCases) {
    SCOPED_TRACE(std::string(c.path) + " / " + c.icon);
    std::string path = ExpandOrvTokens(c.path);
    const bool inSystem = path.compare(0, 8, "<SYSTEM>") == 0;
    if (inSystem) path = system + path.substr(8);
    const std::string home = inSystem ? system : folder;
    MakeDirs(folder);
    // One real start of the launcher's test double; the cases that only check which values
    // are refused use a qlaunch.exe that is no program: its start fails, the deletions follow.
    const bool real = &c == &kCases[0];
    if (real)
      ASSERT_TRUE(CopyFileA((BinDir() + "qlaunch.exe").c_str(), (folder + "qlaunch.exe").c_str(), FALSE));
    else
      ASSERT_TRUE(WriteFileBytes(home + "qlaunch.exe", "not a program"));
    ASSERT_TRUE(WriteFileBytes(home + "qlaunch.ico", "icon"));
    ASSERT_TRUE(WriteFileBytes(folder + "victim.txt", "keep"));
    ASSERT_TRUE(WriteFileBytes(outside, "keep"));
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, kLauncherKey, "path", path));
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, kLauncherKey, "icon", c.icon));
    DeleteFileA(LauncherRecordPath().c_str());
    {
      TestRun capture(dir_ + "capture.log");
      RemoveLauncher(::Run{RunSettings(), "Purgon test", capture.remove}, FindLauncher(capture.remove));
      std::vector<std::string> lines;
      if (c.iconRemoved) lines.push_back(FileOk(folder + "\\qlaunch.ico"));
      if (c.started) lines.push_back(FileOk(path));
      EXPECT_EQ(capture.Log(), LogLines(lines));
    }
    EXPECT_EQ(FileExists(home + "qlaunch.exe"), !c.started);
    EXPECT_EQ(FileExists(home + "qlaunch.ico"), !c.iconRemoved);
    EXPECT_TRUE(FileExists(folder + "victim.txt"));
    EXPECT_TRUE(FileExists(outside));
    EXPECT_EQ(ReadFileBytes(LauncherRecordPath()), real ? "/unregserver|" + victim + "\n" : "");
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, kLauncherKey));  // the launcher key stays
    if (inSystem) {
      DeleteFileA((system + "qlaunch.exe").c_str());
      DeleteFileA((system + "qlaunch.ico").c_str());
    }
  }
  DeleteTreeForTest(folder);
  DeleteFileA(outside.c_str());
  DeleteRegTreeForTest(HKEY_CURRENT_USER, "Software\\Varenta");
}

// The removal waits for the launcher to end before deleting it: a launcher that keeps its
// executable open for two seconds (longer than any fixed pause would allow) is still deleted,
// and one that ends at once costs no long wait.
TEST_F(OrvParts, LauncherIsDeletedOnceItHasEnded) {
  const std::string folder = LauncherFolder();
  for (const char* double_ : {"qlaunch.exe", "qlaunch_slow.exe"}) {
    SCOPED_TRACE(double_);
    MakeDirs(folder);
    ASSERT_TRUE(CopyFileA((BinDir() + double_).c_str(), (folder + "qlaunch.exe").c_str(), FALSE));
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, kLauncherKey, "path", folder + "qlaunch.exe"));
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, kLauncherKey, "icon", "qlaunch.ico"));
    TestRun capture(dir_ + "capture.log");
    const DWORD start = GetTickCount();

    RemoveLauncher(::Run{RunSettings(), "Purgon test", capture.remove}, FindLauncher(capture.remove));

    const DWORD elapsed = GetTickCount() - start;
    EXPECT_EQ(capture.Log(), LogLines({FileOk(folder + "qlaunch.exe")}));
    EXPECT_TRUE(capture.Failures().empty());
    EXPECT_FALSE(FileExists(folder + "qlaunch.exe"));
    EXPECT_LT(elapsed, 15000u) << "the wait outlasted the launcher";
  }
  DeleteTreeForTest(folder);
  DeleteRegTreeForTest(HKEY_CURRENT_USER, "Software\\Varenta");
}

}  // namespace
