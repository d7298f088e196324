#include <gtest/gtest.h>

#include "engine/rules/profile_layout.h"

namespace {

TEST(ProfileLayout, ClassicLayoutFindsTheRootBeforeTheUserFolder) {
  ProfileLayout l = FindProfileLayout("C:\\Documents and Settings\\joe\\Application Data\\", "");
  EXPECT_EQ(l.root, "C:\\Documents and Settings");
  EXPECT_EQ(AppDataFolderOf(l, "All Users"), "C:\\Documents and Settings\\All Users\\Application Data\\");
  // The same answer when the profile folder is known.
  ProfileLayout k = FindProfileLayout("C:\\Documents and Settings\\joe\\Application Data\\",
                                      "C:\\Documents and Settings\\joe\\");
  EXPECT_EQ(k.root, l.root);
  EXPECT_EQ(k.suffix, l.suffix);
}

TEST(ProfileLayout, TodaysLayoutUsesTheProfileParentAndRelativeSuffix) {
  ProfileLayout l = FindProfileLayout("C:\\users\\root\\AppData\\Roaming\\", "C:\\users\\root\\");
  EXPECT_EQ(l.root, "C:\\users");
  EXPECT_EQ(AppDataFolderOf(l, "Public"), "C:\\users\\Public\\AppData\\Roaming\\");
  // Case differences between the two paths do not matter.
  EXPECT_EQ(FindProfileLayout("C:\\Users\\Root\\AppData\\Roaming\\", "c:\\users\\root").root, "c:\\users");
}

TEST(ProfileLayout, AppDataOutsideTheProfileFallsBackToTheClassicRule) {
  ProfileLayout l = FindProfileLayout("D:\\Data\\joe\\Application Data\\", "C:\\users\\joe\\");
  EXPECT_EQ(l.root, "D:\\Data");
  EXPECT_EQ(l.suffix, "\\Application Data\\");
}

TEST(ProfileLayout, ShortPathsNeverIndexBeforeTheString) {
  EXPECT_EQ(FindProfileLayout("C:\\x\\", "").root, "C:\\x\\");
  EXPECT_EQ(FindProfileLayout("", "").root, "");
  // Exactly 19 characters: the search starts at index 0.
  EXPECT_EQ(FindProfileLayout("\\23456789012345678\\", "").root, "");
}

}  // namespace
