// A second user account on the demo machine, not logged on: a profile-list entry, a profile
// folder with its registry files holding both clients' per-user entries, an ORV
// configuration's desktop shortcut and data folder. The demo's run (bit 2) loads its registry,
// removes them and unloads it again.
#include <cstdio>
#include <string>
#include <vector>

#include "demo_machine.h"
#include "test_support.h"

namespace {

const char kSid[] = "S-1-5-21-1-2-3-1001";
const char kProfile[] = "C:\\users\\ann";
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

const std::vector<HiveRow> kUserRows = {
    {"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", "Desktop",
     "%USERPROFILE%\\Desktop", REG_EXPAND_SZ},
    {"Software\\orv\\anns\\shortcuts\\ORV anns", "", "", REG_SZ},
    {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\orv", "DisplayName", "ORV", REG_SZ},
    {kRun, "orv", "orv.exe", REG_SZ},
    {kRun, "Varenta", "varenta.exe", REG_SZ},
    {"Software\\Varenta\\qlaunch", "path", "C:\\QLaunch\\qlaunch.exe", REG_SZ},
    {"Software\\Microsoft\\Internet Explorer\\MenuExt\\Get It With Varenta", "", "", REG_SZ},
};
// Its files that the demo's removal takes away.
const char* const kFiles[] = {"\\Desktop\\ORV anns.lnk", "\\AppData\\Roaming\\Varenta\\anns\\nprefs_db.xml",
                              "\\AppData\\Roaming\\Varenta\\anns\\"};
const std::vector<HiveRow> kClassRows = {
    {"ORV.UI\\CLSID", "", "", REG_SZ},
    {"Varenta.Head\\CLSID", "", "", REG_SZ},
};

}  // namespace

bool InstallOtherAccountDemo() {
  const std::string profile = kProfile;
  const bool made =
      EnableHivePrivileges() &&
      SetRegString(HKEY_LOCAL_MACHINE,
                   std::string("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\") + kSid,
                   "ProfileImagePath", profile, REG_EXPAND_SZ) &&
      SaveHiveFile(kUserRows, profile + "\\NTUSER.DAT") &&
      SaveHiveFile(kClassRows, profile + "\\AppData\\Local\\Microsoft\\Windows\\UsrClass.dat") &&
      MakeDirs(profile + "\\Desktop\\") &&
      WriteFileBytes(profile + "\\Desktop\\ORV anns.lnk", "shortcut") &&
      MakeDirs(profile + "\\AppData\\Roaming\\Varenta\\anns\\") &&
      WriteFileBytes(profile + "\\AppData\\Roaming\\Varenta\\anns\\nprefs_db.xml", "<prefs/>");
  std::printf(made ? "second account %s (%s) with both clients' per-user entries\n"
                   : "second account %s (%s) not fully made\n",
              kSid, kProfile);
  return made;
}

void CheckOtherAccountDemo(std::vector<std::string>& left) {
  for (const char* file : kFiles) {
    const std::string path = std::string(kProfile) + file;
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
      left.push_back(std::string("second account: ") + (path.back() == '\\' ? "folder " : "file ") + path);
  }
}
