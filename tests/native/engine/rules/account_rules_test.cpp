// Which profile-list entries are other user accounts, and which of their paths are used.
#include <gtest/gtest.h>

#include "engine/rules/account_rules.h"

namespace {

TEST(AccountRules, OnlyUserAccountsWithUsableProfileFoldersAreTaken) {
  EXPECT_TRUE(IsUserAccountSid("S-1-5-21-3623811015-3361044348-30300820-1013"));
  for (const char* name : {"S-1-5-18", "S-1-5-19", "S-1-5-20", "S-1-5-21-", "S-1-5-21-1-2-3-1001.bak",
                           "S-1-5-21-1-2-3-1001_Classes", "s-1-5-21-1-2", "S-1-5-21-1\\..\\x", ""})
    EXPECT_FALSE(IsUserAccountSid(name)) << name;

  ProtectedFolders system;
  system.folders = {"C:\\Windows", "C:\\Program Files", "C:\\Users"};
  EXPECT_TRUE(IsUsableProfileFolder("C:\\Users\\ann", system));
  EXPECT_TRUE(IsUsableProfileFolder("D:\\Profiles\\ann\\", system));
  for (const char* path : {"C:\\", "C:", "\\\\server\\share", "users\\ann", "C:users\\ann", "",
                           "C:\\Users", "c:\\users\\.", "C:\\Users\\ann\\..", "C:\\WINDOWS\\",
                           "C:\\Program Files"})
    EXPECT_FALSE(IsUsableProfileFolder(path, system)) << path;
}

TEST(AccountRules, FolderValuesAreReadWithTheAccountsOwnProfile) {
  EXPECT_EQ(AccountFolderPath("%USERPROFILE%\\Desktop", "C:\\Users\\ann"), "C:\\Users\\ann\\Desktop\\");
  EXPECT_EQ(AccountFolderPath("%userprofile%\\AppData\\Roaming", "C:\\Users\\ann"),
            "C:\\Users\\ann\\AppData\\Roaming\\");
  EXPECT_EQ(AccountFolderPath("c:\\users\\ANN\\Desktop", "C:\\Users\\ann"), "c:\\users\\ANN\\Desktop\\");
  // Outside the account's own profile: the account could point it at anyone's folders.
  EXPECT_EQ(AccountFolderPath("D:\\Desk\\", "C:\\Users\\ann"), "");
  EXPECT_EQ(AccountFolderPath("%USERPROFILE%\\..\\admin\\Desktop", "C:\\Users\\ann"), "");
  EXPECT_EQ(AccountFolderPath("%USERPROFILE%", "C:\\Users\\ann"), "");
  EXPECT_EQ(AccountFolderPath("C:\\Users\\anna\\Desktop", "C:\\Users\\ann"), "");
  // Anything else would be read with the running account's environment, or is relative.
  EXPECT_EQ(AccountFolderPath("%APPDATA%\\x", "C:\\Users\\ann"), "");
  EXPECT_EQ(AccountFolderPath("%USERPROFILE%\\Desktop", "C:\\Users\\100%"), "");
  EXPECT_EQ(AccountFolderPath("Desktop", "C:\\Users\\ann"), "");
  EXPECT_EQ(AccountFolderPath("", "C:\\Users\\ann"), "");
}

}  // namespace
