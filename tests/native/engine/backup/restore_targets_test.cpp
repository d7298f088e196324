// Where a restore may write registry keys and values, and the halves of HKEY_CLASSES_ROOT.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/backup/restore_targets.h"

namespace {

const char kSessionManager[] = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager";

TEST(RestoreTargets, KeysOnlyWhereARemovalDeletesThem) {
  for (const char* good :
       {"HKEY_CURRENT_USER\\Software\\orv", "hkey_current_user\\x", "HKEY_CLASSES_ROOT\\ORV.UI",
        "HKEY_USERS\\S-1-5-21-1-2-3-1001\\Software\\Varenta",
        "HKEY_USERS\\S-1-5-21-1-2-3-1001_Classes\\CLSID\\{1}", "HKEY_USERS\\S-1-5-21-1-2-3-1001_CLASSES\\x",
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Varenta", "HKEY_LOCAL_MACHINE\\software\\Classes\\x\\y z"})
    EXPECT_TRUE(MayRestoreKey(good)) << good;
  // A planted backup must not create services, drivers or boot settings, nor reach them
  // through a path that reads one way and leads another.
  for (const std::string& bad : std::vector<std::string>{
           "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\evil", kSessionManager,
           "HKEY_LOCAL_MACHINE\\SAM\\x", "HKEY_LOCAL_MACHINE\\SECURITY\\x", "HKEY_LOCAL_MACHINE\\SOFTWAREX\\x",
           "HKEY_LOCAL_MACHINE\\SOFTWARE", "HKEY_LOCAL_MACHINE\\SOFTWARE\\..\\SYSTEM\\x",
           "HKEY_LOCAL_MACHINE\\\xc5\xbfOFTWARE\\x", "HKEY_CURRENT_USER", "HKEY_CURRENT_USER\\",
           "HKEY_CURRENT_USER\\Software\\\\x", "HKEY_CURRENT_USER\\.\\x", "\\HKEY_CURRENT_USER\\x",
           "HKEY_CURRENT_USER\\Software\\x\\", std::string("HKEY_CURRENT_USER\\x\0y", 21),
           std::string("HKEY_LOCAL_MACHINE\\SOFTWARE\\\0", 29), "HKEY_USERS\\.DEFAULT\\Software\\x",
           "HKEY_USERS\\S-1-5-18\\Software\\x", "HKEY_USERS\\S-1-5-21-1-2-3-1001", "HKEY_USERS\\_Classes\\x",
           "HKEY_USERS\\S-1-5-21-1-2-3-1001_Classes", "HKEY_CURRENT_CONFIG\\x", "HKEY_CLASSES_ROOT",
           "HKCU\\Software\\x", "", "\\"})
    EXPECT_FALSE(MayRestoreKey(bad)) << bad;
}

TEST(RestoreTargets, BelowSystemOnlyTheRenameQueueValue) {
  EXPECT_TRUE(MayRestoreValue(kSessionManager, "PendingFileRenameOperations"));
  EXPECT_TRUE(MayRestoreValue("hkey_local_machine\\system\\currentcontrolset\\control\\session manager",
                              "pendingfilerenameoperations"));
  EXPECT_TRUE(MayRestoreValue("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "orv"));
  EXPECT_FALSE(MayRestoreValue(kSessionManager, "BootExecute"));
  EXPECT_TRUE(MayRestoreValue(kSessionManager, "PendingFileRenameOperations2"));
  EXPECT_FALSE(MayRestoreValue("HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Control\\Session Manager",
                               "PendingFileRenameOperations"));
  EXPECT_FALSE(MayRestoreValue(std::string(kSessionManager) + "\\Environment", "PendingFileRenameOperations"));
  EXPECT_FALSE(MayRestoreValue("HKEY_LOCAL_MACHINE\\SYSTEM\\..\\SOFTWARE\\x", "v"));
}

// Windows shows the per-user registration when both halves hold one; a key must go back to
// the half it came from, not machine-wide through the merged view.
TEST(ClassesHalves, ThePerUserHalfWinsAndPathsMapIntoIt) {
  EXPECT_EQ(ClassesHalfOf(true, true), ClassesHalf::User);
  EXPECT_EQ(ClassesHalfOf(true, false), ClassesHalf::User);
  EXPECT_EQ(ClassesHalfOf(false, true), ClassesHalf::Machine);
  EXPECT_EQ(ClassesHalfOf(false, false), ClassesHalf::Neither);

  std::string path;
  ASSERT_TRUE(ClassesKeyInHalf("HKEY_CLASSES_ROOT\\ORV.UI\\CLSID", ClassesHalf::User, path));
  EXPECT_EQ(path, "HKEY_CURRENT_USER\\Software\\Classes\\ORV.UI\\CLSID");
  ASSERT_TRUE(ClassesKeyInHalf("hkey_classes_root\\CLSID\\{1}", ClassesHalf::Machine, path));
  EXPECT_EQ(path, "HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{1}");
  EXPECT_TRUE(MayRestoreKey(path));
  for (const char* bad : {"HKEY_CLASSES_ROOT", "HKEY_CLASSES_ROOT\\", "HKEY_CLASSES_ROOTX\\y",
                          "HKEY_CURRENT_USER\\Software\\Classes\\x", "x\\HKEY_CLASSES_ROOT\\y"})
    EXPECT_FALSE(ClassesKeyInHalf(bad, ClassesHalf::User, path)) << bad;
  EXPECT_FALSE(ClassesKeyInHalf("HKEY_CLASSES_ROOT\\x", ClassesHalf::Neither, path));
}

}  // namespace
