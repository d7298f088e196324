// Both clients removed for the other accounts of the PC, end to end: purgon.exe runs against
// a machine with the running account, one account that is logged on (its registry loaded by
// the test under HKEY_USERS, inspected after the run), one that is not (a registry file the
// program must load and unload itself, judged by the log: Wine keeps no change of a loaded
// file), and accounts the program must pass over or report.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>

#include "pel_machine.h"
#include "test_support.h"

namespace {

const char kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kComponents[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\OptionalComponents";

const std::string kLoggedOn = "S-1-5-21-7-7-7-1001";
const std::string kLoggedOff = "S-1-5-21-7-7-7-1002";
const std::string kNoHive = "S-1-5-21-7-7-7-1003";
const std::string kBroken = "S-1-5-21-7-7-7-1004";
const std::string kDriveRoot = "S-1-5-21-7-7-7-1005";
const std::string kRelative = "S-1-5-21-7-7-7-1006";
// A profile outside the profiles root, which the all-users folder pass does not reach.
const std::string kElsewhere = "S-1-5-21-7-7-7-1007";
const std::string kElsewhereData = "C:\\profiles2\\zoe\\AppData\\Roaming\\Varenta\\";

using Row = HiveRow;

// One account's share of both clients, and what is not theirs.
std::vector<Row> UserRows(const std::string& config, const std::string& show) {
  const std::string shell = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  return {
      {shell, "Desktop", "%USERPROFILE%\\Desktop", REG_EXPAND_SZ},
      {shell, "AppData", "%USERPROFILE%\\AppData\\Roaming", REG_EXPAND_SZ},
      {"Software\\orv\\" + config + "\\shortcuts\\" + show, "", "", REG_SZ},
      {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\orv_" + config, "DisplayName", "x", REG_SZ},
      {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\orv", "DisplayName", "x", REG_SZ},
      {std::string(kComponents) + "\\orv_" + config, "Installed", "1", REG_SZ},
      {std::string(kComponents) + "\\Other", "Installed", "1", REG_SZ},
      {kRun, "orv", "orv.exe", REG_SZ},
      {kRun, "orvUpdater", "orvupd.exe", REG_SZ},
      {kRun, "Varenta", "varenta.exe", REG_SZ},
      {kRun, "OtherApp", "other.exe", REG_SZ},
      {"Software\\Varenta\\qlaunch", "path", "C:\\QLaunch\\qlaunch.exe", REG_SZ},
      {"Software\\Microsoft\\Internet Explorer\\MenuExt\\Get It With Varenta", "", "", REG_SZ},
      {"Software\\Keep", "v", "1", REG_SZ},
  };
}

const std::vector<Row> kClassRows = {
    {"ORV.UI\\CLSID", "", "", REG_SZ},
    {"Varenta.Head\\CLSID", "", "", REG_SZ},
    {"Keep.Class\\CLSID", "", "", REG_SZ},
};

// The rows of UserRows that belong to no client.
bool StaysInPlace(const Row& row) {
  return row.key.find("User Shell Folders") != std::string::npos || row.key == "Software\\Keep" ||
         row.value == "OtherApp" || row.key == std::string(kComponents) + "\\Other";
}

std::set<std::string> LoadedHives() {
  std::set<std::string> names;
  char name[256];
  for (DWORD i = 0; RegEnumKeyA(HKEY_USERS, i, name, sizeof(name)) == ERROR_SUCCESS; ++i)
    names.insert(name);
  return names;
}

std::vector<std::string> LinesWith(const std::vector<std::string>& lines, const std::string& part) {
  std::vector<std::string> found;
  for (const std::string& line : lines)
    if (line.find(part) != std::string::npos) found.push_back(line);
  return found;
}

// The lines of the account that is not logged on, in order: both clients' entries in its
// registry and classes, and its configuration's data folder. `status` is "OK    " or "found ".
std::vector<std::string> ExpectedLoggedOffLines(const std::string& status) {
  const std::string key = "Delete Reg Key: " + status + " HKEY_USERS\\" + kLoggedOff;
  const std::string value = "Delete Reg Val: " + status + " HKEY_USERS\\" + kLoggedOff + "\\" + kRun;
  const std::string data = "C:\\users\\nico\\AppData\\Roaming\\Varenta\\cfg_nico\\";
  return {value + " - Varenta",
          key + "\\Software\\Microsoft\\Internet Explorer\\MenuExt\\Get It With Varenta",
          key + "\\Software\\Varenta",
          key + "_Classes\\Varenta.Head",
          key + "\\Software\\orv",
          key + "_Classes\\ORV.UI",
          key + "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\orv",
          value + " - orvUpdater",
          "Remove File   : " + status + " " + data + "error.log",
          "Remove Dir    : " + status + " " + data};
}

// The lines that name the account's registry or its profile, in log order.
std::vector<std::string> AccountLines(const std::vector<std::string>& log, const std::string& sid,
                                      const std::string& folder) {
  std::vector<std::string> lines;
  for (const std::string& line : log)
    if (line.find(sid) != std::string::npos || line.find(folder) != std::string::npos)
      lines.push_back(line);
  return lines;
}

std::vector<std::string> LoggedOffLines(const std::vector<std::string>& log) {
  return AccountLines(log, kLoggedOff, "\\nico\\");
}

class OtherAccounts : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EnableHivePrivileges());
    ASSERT_TRUE(GetEnvironmentVariableA("USERPROFILE", ownProfile_, MAX_PATH));
    AddAccount(kLoggedOn, "C:\\users\\lena");
    AddAccount(kLoggedOff, "C:\\users\\nico");
    AddAccount(kNoHive, "C:\\users\\nohive");
    AddAccount(kBroken, "C:\\users\\broken");
    AddAccount(kDriveRoot, "C:\\");
    AddAccount(kRelative, "users\\rel");
    AddAccount(kElsewhere, "C:\\profiles2\\zoe");
    ASSERT_TRUE(SaveHiveFile({{kRun, "Varenta", "varenta.exe", REG_SZ},
                              {"Software\\orv\\cfg_zoe", "", "", REG_SZ},
                              {"Software\\Varenta\\qlaunch", "path", "q.exe", REG_SZ}},
                             "C:\\profiles2\\zoe\\NTUSER.DAT"));
    for (const char* folder : {"Varenta7\\", "orvcache\\"}) {
      ASSERT_TRUE(MakeDirs(kElsewhereData + folder));
      ASSERT_TRUE(WriteFileBytes(kElsewhereData + folder + "error.log", "e"));
    }
    for (const char* who : {"lena", "nico"}) {
      const std::string profile = std::string("C:\\users\\") + who;
      const std::string config = std::string("cfg_") + who;
      const std::string show = std::string("Show ") + who;
      ASSERT_TRUE(SaveHiveFile(UserRows(config, show), profile + "\\NTUSER.DAT"));
      ASSERT_TRUE(SaveHiveFile(kClassRows, profile + "\\AppData\\Local\\Microsoft\\Windows\\UsrClass.dat"));
      ASSERT_TRUE(MakeDirs(profile + "\\Desktop\\"));
      ASSERT_TRUE(WriteFileBytes(profile + "\\Desktop\\" + show + ".lnk", "link"));
      ASSERT_TRUE(MakeDirs(profile + "\\AppData\\Roaming\\Varenta\\" + config + "\\"));
      ASSERT_TRUE(WriteFileBytes(profile + "\\AppData\\Roaming\\Varenta\\" + config + "\\error.log", "e"));
    }
    // The running account's desktop holds a shortcut of the same name: it is not the other
    // account's desktop.
    ASSERT_TRUE(MakeDirs(std::string(ownProfile_) + "\\Desktop\\"));
    ASSERT_TRUE(WriteFileBytes(std::string(ownProfile_) + "\\Desktop\\Show lena.lnk", "mine"));
    // The running account's own share, removed as before.
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, "Software\\orv\\cfg_me", "v", "1"));
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, "Software\\Varenta\\qlaunch", "path", "q.exe"));
    ASSERT_TRUE(MakeDirs("C:\\users\\nohive\\"));
    ASSERT_TRUE(MakeDirs("C:\\users\\broken\\"));
    // In use by another process: held open without sharing.
    ASSERT_TRUE(SaveHiveFile(UserRows("cfg_broken", "Show broken"), "C:\\users\\broken\\NTUSER.DAT"));
    held_ = CreateFileA("C:\\users\\broken\\NTUSER.DAT", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                        OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held_, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SaveHiveFile(UserRows("cfg_root", "Show root"), "C:\\NTUSER.DAT"));
    // Logged on: its registry is in place under HKEY_USERS.
    ASSERT_EQ(RegLoadKeyA(HKEY_USERS, kLoggedOn.c_str(), "C:\\users\\lena\\NTUSER.DAT"), ERROR_SUCCESS);
    ASSERT_EQ(RegLoadKeyA(HKEY_USERS, (kLoggedOn + "_Classes").c_str(),
                          "C:\\users\\lena\\AppData\\Local\\Microsoft\\Windows\\UsrClass.dat"),
              ERROR_SUCCESS);
    hivesBefore_ = LoadedHives();
    dir_ = MakeScratchDir("other_accounts");
  }
  void TearDown() override {
    if (held_ != INVALID_HANDLE_VALUE) CloseHandle(held_);
    RegUnLoadKeyA(HKEY_USERS, (kLoggedOn + "_Classes").c_str());
    RegUnLoadKeyA(HKEY_USERS, kLoggedOn.c_str());
    for (const std::string& sid : {kLoggedOn, kLoggedOff, kNoHive, kBroken, kDriveRoot, kRelative,
                                    kElsewhere})
      DeleteRegTreeForTest(HKEY_LOCAL_MACHINE, std::string(kProfileList) + "\\" + sid);
    for (const char* who : {"lena", "nico", "nohive", "broken"})
      DeleteTreeForTest(std::string("C:\\users\\") + who + "\\");
    DeleteTreeForTest("C:\\profiles2\\");
    DeleteFileA("C:\\NTUSER.DAT");
    DeleteFileA((std::string(ownProfile_) + "\\Desktop\\Show lena.lnk").c_str());
    DeleteTreeForTest(dir_);
  }

  void AddAccount(const std::string& sid, const std::string& profile) {
    ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, std::string(kProfileList) + "\\" + sid,
                             "ProfileImagePath", profile, REG_EXPAND_SZ));
  }

  // Runs the program; the log's lines.
  std::vector<std::string> Run(const std::string& arguments) {
    RunResult run = RunPurgon(arguments, dir_, PressEach({}));
    EXPECT_TRUE(run.finished);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(LoadedHives(), hivesBefore_) << "a registry was left loaded, or one was unloaded";
    return LogLines(ReadFileBytes(dir_ + "purgon.log"));
  }

  bool LenaHas(const std::string& key, const std::string& value = "") const {
    return value.empty() ? RegKeyExists(HKEY_USERS, kLoggedOn + "\\" + key)
                         : RegValueExists(HKEY_USERS, kLoggedOn + "\\" + key, value);
  }
  bool LenaClassExists(const std::string& key) const {
    return RegKeyExists(HKEY_USERS, kLoggedOn + "_Classes\\" + key);
  }

  void ExpectLoggedOnAccountUntouched() const {
    for (const Row& row : UserRows("cfg_lena", "Show lena"))
      EXPECT_TRUE(LenaHas(row.key, row.value)) << row.key << " - " << row.value;
    for (const Row& row : kClassRows) EXPECT_TRUE(LenaClassExists(row.key)) << row.key;
    EXPECT_TRUE(FileExists("C:\\users\\lena\\Desktop\\Show lena.lnk"));
    EXPECT_TRUE(FileExists("C:\\users\\lena\\AppData\\Roaming\\Varenta\\cfg_lena\\error.log"));
  }

  // The program must never read or report the accounts it has to pass over; the unloadable
  // file is reported once, although both clients pass every account.
  void ExpectFaultsHandled(const std::vector<std::string>& log) const {
    EXPECT_EQ(LinesWith(log, "Load User Reg "),
              std::vector<std::string>{"Load User Reg : failed C:\\users\\broken\\NTUSER.DAT"});
    for (const std::string& sid : {kNoHive, kBroken, kDriveRoot, kRelative})
      EXPECT_TRUE(LinesWith(log, sid).empty()) << sid;
    EXPECT_TRUE(LinesWith(log, "cfg_root").empty());
    EXPECT_TRUE(LinesWith(log, "cfg_broken").empty());
  }

  HANDLE held_ = INVALID_HANDLE_VALUE;
  char ownProfile_[MAX_PATH] = {};
  std::set<std::string> hivesBefore_;
  std::string dir_;
};

TEST_F(OtherAccounts, WithoutAllUsersNoOtherAccountIsTouched) {
  const std::vector<std::string> log = Run("/pel 124 /orv 84 /l /s");
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\orv"));
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\Varenta"));
  EXPECT_TRUE(LinesWith(log, "HKEY_USERS").empty());
  EXPECT_TRUE(LinesWith(log, "Load User Reg").empty());
  EXPECT_TRUE(LinesWith(log, "\\lena\\").empty());
  EXPECT_TRUE(LinesWith(log, "\\nico\\").empty());
  EXPECT_TRUE(LinesWith(log, "\\zoe\\").empty());
  ExpectLoggedOnAccountUntouched();
}

TEST_F(OtherAccounts, AllUsersRemovesBothClientsFromEveryAccount) {
  const std::vector<std::string> log = Run("/pel 126 /orv 82 /l /s");
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\orv"));
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\Varenta"));

  // The account that is logged on: its own entries of both clients are gone, the rest stays.
  for (const Row& row : UserRows("cfg_lena", "Show lena"))
    EXPECT_EQ(LenaHas(row.key, row.value), StaysInPlace(row)) << row.key << " - " << row.value;
  EXPECT_FALSE(LenaClassExists("ORV.UI"));
  EXPECT_FALSE(LenaClassExists("Varenta.Head"));
  EXPECT_TRUE(LenaClassExists("Keep.Class"));
  EXPECT_FALSE(DirExists("C:\\users\\lena\\AppData\\Roaming\\Varenta\\cfg_lena\\"));
  EXPECT_TRUE(FileExists("C:\\users\\lena\\Desktop\\Show lena.lnk"));  // bit 4 of ORV not set

  // The account that is not logged on, by its log lines: the same entries, loaded and
  // unloaded by the program.
  EXPECT_EQ(LoggedOffLines(log), ExpectedLoggedOffLines("OK    "));

  // A profile the all-users folder pass missed: its data folders of both clients are found in
  // its own pass; without a classes file its class rows are passed over.
  const std::string key = "Delete Reg Key: OK     HKEY_USERS\\" + kElsewhere;
  EXPECT_EQ(AccountLines(log, kElsewhere, "\\zoe\\"),
            (std::vector<std::string>{
                "Delete Reg Val: OK     HKEY_USERS\\" + kElsewhere + "\\" + kRun + " - Varenta",
                "Remove File   : OK     " + kElsewhereData + "Varenta7\\error.log",
                "Remove Dir    : OK     " + kElsewhereData + "Varenta7\\",
                key + "\\Software\\Varenta",
                key + "\\Software\\orv",
                "Remove File   : OK     " + kElsewhereData + "orvcache\\error.log",
                "Remove Dir    : OK     " + kElsewhereData + "orvcache\\"}));
  ExpectFaultsHandled(log);
}

TEST_F(OtherAccounts, DesktopShortcutsAreTakenFromEachAccountsOwnDesktop) {
  const std::vector<std::string> log = Run("/orv 6 /l /s");
  EXPECT_FALSE(FileExists("C:\\users\\lena\\Desktop\\Show lena.lnk"));
  EXPECT_EQ(ReadFileBytes(std::string(ownProfile_) + "\\Desktop\\Show lena.lnk"), "mine");
  EXPECT_EQ(LinesWith(log, "\\Desktop\\"),
            (std::vector<std::string>{"Remove File   : OK     C:\\users\\lena\\Desktop\\Show lena.lnk",
                                      "Remove File   : OK     C:\\users\\nico\\Desktop\\Show nico.lnk"}));
  // Without the content-store and preferences bits only the fixed files go.
  EXPECT_TRUE(DirExists("C:\\users\\lena\\AppData\\Roaming\\Varenta\\cfg_lena\\"));
  EXPECT_FALSE(FileExists("C:\\users\\lena\\AppData\\Roaming\\Varenta\\cfg_lena\\error.log"));
  ExpectFaultsHandled(log);
}

// A preview looks into every account, loading what it must, and changes nothing there.
TEST_F(OtherAccounts, PreviewFindsTheSameInEveryAccountAndChangesNothing) {
  const std::vector<std::string> log = Run("/pel 126 /orv 82 /l /s /preview");
  EXPECT_EQ(LoggedOffLines(log), ExpectedLoggedOffLines("found "));
  ExpectLoggedOnAccountUntouched();
  ExpectFaultsHandled(log);
  // The removal that follows deletes exactly what the preview listed.
  std::vector<std::string> expected;
  for (std::string line : log) {
    if (line.compare(14, 9, ": found  ") == 0) line.replace(16, 6, "OK    ");
    expected.push_back(line);
  }
  EXPECT_EQ(Run("/pel 126 /orv 82 /l /s"), expected);
}

}  // namespace
