#include <gtest/gtest.h>

#include <random>

#include "engine/rules/path_rules.h"

namespace {

// The folders of a machine laid out like Wine's (and every Windows since Vista).
ProtectedFolders MachineFolders() {
  ProtectedFolders folders;
  folders.folders = {"C:\\windows",
                     "C:\\windows\\system32\\",
                     "C:\\Program Files\\",
                     "C:\\users\\joe\\AppData\\Roaming\\",
                     "C:\\users\\joe\\Desktop\\",
                     "C:\\users\\joe\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\",
                     "C:\\users\\Public\\Desktop\\",
                     "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\",
                     "C:\\users\\joe\\Temp\\",
                     "C:\\users"};
  folders.childrenOf = {"C:\\users\\joe\\.."};
  folders.belowChildren = {"AppData\\Roaming", "Desktop",
                           "AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs", "Temp"};
  return folders;
}

TEST(PathRules, NormalFormFoldsSeparatorsCaseDotsAndPrefixes) {
  const struct {
    const char* path;
    const char* normal;
  } cases[] = {
      {"C:\\\\Windows\\\\", "c:\\windows"},
      {"c:/Program Files/./x/..", "c:\\program files"},
      {"C:\\Windows. \\", "c:\\windows"},
      {"C:\\..\\..\\", "c:"},
      {"C:", "c:"},
      {"\\\\?\\C:\\Windows\\", "c:\\windows"},
      {"\\\\Server\\Share\\\\", "\\\\server\\share"},
      {"\\\\?\\UNC\\srv\\sh\\x\\", "\\\\srv\\sh\\x"},
      {"\\\\srv\\sh\\..\\..\\", "\\\\srv\\sh"},
      {"relative\\Dir\\", "relative\\dir"},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizeFolderPath(c.path), c.normal) << c.path;
}

TEST(PathRules, RefusesRootsSystemFoldersAndWhatHoldsThem) {
  const ProtectedFolders folders = MachineFolders();
  const struct {
    const char* path;
    bool refused;
  } cases[] = {
      {"", true},
      {"\\", true},
      {"C:\\", true},
      {"D:\\", true},
      {"d:", true},
      {"C:\\\\", true},
      {"\\\\server\\share\\", true},
      {"\\\\server\\", true},
      {"\\\\?\\UNC\\server\\share\\", true},
      {"\\\\server\\share\\Varenta\\", false},
      // Administrative shares: a second spelling of any folder of a PC.
      {"\\\\localhost\\c$\\Windows\\", true},
      {"\\\\127.0.0.1\\C$\\Program Files\\Varenta\\", true},
      {"\\\\?\\UNC\\pc\\d$\\Games\\", true},
      {"\\\\pc\\ADMIN$\\orv\\", true},
      {"\\\\server\\profiles$\\joe\\Varenta\\", false},  // a hidden share is not one
      {"orv\\", true},     // relative: depends on a current directory
      {"C:orv\\", true},   // drive-relative
      {"\\orv\\", true},   // root of the current drive
      {"C:\\WINDOWS\\", true},
      {"c:\\windows\\SYSTEM32", true},
      {"C:\\Windows\\orv\\", false},
      {"C:\\Windows\\System32\\orv\\", false},
      {"C:\\Program Files\\", true},
      {"C:\\Program Files\\Varenta\\", false},
      {"C:\\Program Files\\Varenta\\..\\", true},
      {"C:\\users\\", true},
      {"C:\\users\\joe\\", true},
      {"C:\\users\\ann\\", true},       // another user's profile
      {"C:\\users\\ann\\AppData\\", true},
      {"C:\\users\\ann\\AppData\\Roaming\\", true},
      {"C:\\users\\ann\\AppData\\Roaming\\Varenta\\", false},
      {"C:\\users\\ann\\Desktop\\", true},
      {"C:\\users\\ann\\Desktop\\Varenta\\", false},
      {"C:\\Users\\Joe\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\", true},
      {"C:\\Users\\Joe\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\", true},
      {"C:\\Users\\Joe\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\PEL\\", false},
      {"C:\\ProgramData\\", true},
      {"C:\\ProgramData\\Varenta\\", false},
      {"C:\\users\\Public\\Desktop\\", true},
      {"C:\\users\\joe\\Temp\\", true},
      {"C:\\users\\joe\\Temp\\images\\", false},
      {"C:\\users\\joe\\Temp.\\", true},
      {"\\\\?\\c:\\users\\joe\\temp\\", true},
      {"C:\\users\\joe\\Temp\\images\\..\\", true},
      {"D:\\Games\\", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsRefusedTree(c.path, folders), c.refused) << c.path;
}

TEST(PathRules, ProfilesRootOnADriveRootNeverRefusesEveryTopFolder) {
  ProtectedFolders folders;
  folders.childrenOf = {"C:\\joe\\.."};  // a profile straight below the drive
  folders.belowChildren = {"Application Data"};
  EXPECT_FALSE(IsRefusedTree("C:\\Varenta\\", folders));
  EXPECT_FALSE(IsRefusedTree("C:\\Varenta\\Application Data\\", folders));
}

// Random paths built from the machine's names and a few of the clients' own: the answer
// never depends on case, doubled or trailing separators or "/", every strict sub-folder of
// a protected folder made of fresh names is allowed, and every folder above one is refused.
TEST(PathRules, RandomPathsKeepTheirAnswerUnderSpellingChanges) {
  const ProtectedFolders folders = MachineFolders();
  const std::vector<std::string> names = {"C:", "D:", "users", "joe", "ann", "Public",
                                          "AppData", "Roaming", "Desktop", "Temp", "windows",
                                          "system32", "Program Files", "Varenta", "orv", ".",
                                          "..", "ProgramData", "Microsoft", "Start Menu"};
  const std::vector<std::string> fresh = {"Varenta", "orv", "PEL 1", "x"};
  std::mt19937 random(20261208);
  auto pick = [&random](size_t count) { return static_cast<size_t>(random() % count); };
  auto respell = [&](const std::string& path) {
    std::string out;
    for (char c : path) {
      if (c == '\\') {
        out += random() % 3 == 0 ? "/" : "\\";
        if (random() % 4 == 0) out += "\\";
      } else if (c >= 'a' && c <= 'z' && random() % 2) {
        out += static_cast<char>(c - 'a' + 'A');
      } else if (c >= 'A' && c <= 'Z' && random() % 2) {
        out += static_cast<char>(c - 'A' + 'a');
      } else {
        out += c;
      }
    }
    if (random() % 2) out += "\\";
    return out;
  };
  for (int round = 0; round < 3000; ++round) {
    std::string path = names[pick(2)];
    for (size_t depth = 1 + pick(6); depth > 0; --depth) path += "\\" + names[pick(names.size())];
    const bool refused = IsRefusedTree(path, folders);
    EXPECT_EQ(IsRefusedTree(respell(path), folders), refused) << path;
    EXPECT_EQ(NormalizeFolderPath(NormalizeFolderPath(path)), NormalizeFolderPath(path)) << path;

    // The last folder is the profiles root, whose entries are profiles (refused by design).
    const std::string& guarded = folders.folders[pick(folders.folders.size() - 1)];
    std::string below = guarded;
    for (size_t depth = 1 + pick(3); depth > 0; --depth) below += "\\" + fresh[pick(fresh.size())];
    EXPECT_FALSE(IsRefusedTree(respell(below), folders)) << below;
    const std::string normal = NormalizeFolderPath(guarded);
    std::vector<size_t> cuts;
    for (size_t i = 0; i < normal.size(); ++i)
      if (normal[i] == '\\') cuts.push_back(i);
    const std::string above = normal.substr(0, cuts[pick(cuts.size())] + 1);
    EXPECT_TRUE(IsRefusedTree(respell(above), folders)) << above;
  }
}

}  // namespace
