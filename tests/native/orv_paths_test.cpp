// The checks made on names and paths read from the user's registry before the ORV and
// launcher removals build paths from them, and the filter of the queue of pending operations.
#include <gtest/gtest.h>

#include "engine/path_names.h"
#include "orv/orv_paths.h"
#include "orv/pending_renames.h"

namespace {

template <size_t N>
std::u16string MultiString(const char16_t (&text)[N]) {
  return std::u16string(text, N);  // with the literal's terminator as the closing string
}

// Configuration names become data folder names, the launcher's icon a file name: both must
// be one plain name that stays in its folder.
TEST(OrvPaths, DataFolderAndIconNamesMustBePlain) {
  for (const char* name : {"ConfA", "orv cache", "...", "a.b", "qlaunch.ico"}) {
    EXPECT_TRUE(IsPlainName(name)) << name;
    EXPECT_TRUE(IsUsableDataFolderName(name)) << name;
  }
  for (const char* name : {"", ".", "..", "a/..", "x\\y", "..\\victim", "a/b", "c:", "C:x", "c:x"}) {
    EXPECT_FALSE(IsPlainName(name)) << name;
    EXPECT_FALSE(IsUsableDataFolderName(name)) << name;
  }
}

// A name from the registry is one plain component or names nothing.
TEST(OrvPaths, ShortcutNamesWithSeparatorsOrDotsAreRefused) {
  EXPECT_TRUE(IsUsableShortcutName("Orv Player"));
  EXPECT_TRUE(IsUsableShortcutName("..\xef\xbc\xbc..\xef\xbc\xbcvictim"));  // U+FF3C: one odd name
  for (const char* name : {"..", ".", "x/../../victim", "c:victim", "a\\b"})
    EXPECT_FALSE(IsUsableShortcutName(name)) << name;
}

TEST(OrvPaths, LauncherExecutableMustBeAnAbsoluteQlaunchExe) {
  EXPECT_TRUE(IsLauncherExecutablePath("C:\\Program Files\\Varenta\\QLaunch\\qlaunch.exe"));
  EXPECT_TRUE(IsLauncherExecutablePath("d:\\q\\QLAUNCH.EXE"));
  EXPECT_TRUE(IsLauncherExecutablePath("\\\\server\\share\\qlaunch.exe"));
  for (const char* path : {"", "qlaunch.exe", "\\qlaunch.exe", "C:qlaunch.exe", "C:\\Windows\\notepad.exe",
                           "C:\\q\\qlaunch.exe.bak", "C:\\q\\xqlaunch.exe", "1:\\qlaunch.exe"})
    EXPECT_FALSE(IsLauncherExecutablePath(path)) << path;
}

TEST(OrvPaths, FolderOfPathKeepsItsTrailingSeparator) {
  EXPECT_EQ(FolderOfPath("C:\\Program Files\\Q\\qlaunch.exe"), "C:\\Program Files\\Q\\");
  EXPECT_EQ(FolderOfPath("C:/q/qlaunch.exe"), "C:/q/");
  EXPECT_EQ(FolderOfPath("qlaunch.exe"), "");
}

TEST(PendingRenames, OrvPathsAreThoseWithAComponentBeginningWithOrv) {
  EXPECT_TRUE(IsOrvPath(u"\\??\\C:\\WINDOWS\\orv\\orvhost.exe"));
  EXPECT_TRUE(IsOrvPath(u"!\\??\\C:\\Program Files\\ORVPlayer\\a.dll"));
  EXPECT_TRUE(IsOrvPath(u"C:/temp/Orv_setup.tmp"));
  EXPECT_FALSE(IsOrvPath(u"\\??\\C:\\Temp\\setup_orv.tmp"));
  EXPECT_FALSE(IsOrvPath(u"\\??\\C:\\Favorites\\or\\v.txt"));
  EXPECT_FALSE(IsOrvPath(u""));
}

TEST(PendingRenames, OnlyOrvOperationsAreTakenOutAndTheRestKeepsItsOrder) {
  // Pairs: an ORV rename, another installer's deletion (empty target), a rename into an ORV
  // folder, another installer's rename.
  const PendingRenamesFilter f = FilterOrvRenameOperations(
      MultiString(u"\\??\\C:\\orv\\a.new\0!\\??\\C:\\orv\\a.dll\0\\??\\C:\\t\\x.tmp\0\0"
                  u"\\??\\C:\\t\\y\0\\??\\C:\\w\\orv\\y\0\\??\\C:\\o\\n.dll\0!\\??\\C:\\o\\o.dll\0"));
  EXPECT_TRUE(f.changed);
  EXPECT_FALSE(f.empty);
  EXPECT_TRUE(f.rest == MultiString(u"\\??\\C:\\t\\x.tmp\0\0\\??\\C:\\o\\n.dll\0!\\??\\C:\\o\\o.dll\0"));
}

TEST(PendingRenames, DeletionsAtTheEndAreTakenForPairsNotForTheEndOfTheList) {
  // "b\0\0\0": a deletion followed by the closing empty string.
  const std::u16string data = MultiString(u"\\??\\C:\\t\\a\0\0\\??\\C:\\orv\\b\0\0");
  PendingRenamesFilter f = FilterOrvRenameOperations(data);
  EXPECT_TRUE(f.changed);
  EXPECT_TRUE(f.rest == MultiString(u"\\??\\C:\\t\\a\0\0"));
  // The same data without its closing empty string.
  f = FilterOrvRenameOperations(data.substr(0, data.size() - 1));
  EXPECT_TRUE(f.changed);
  EXPECT_TRUE(f.rest == MultiString(u"\\??\\C:\\t\\a\0\0"));
}

TEST(PendingRenames, NothingChangesWithoutOrvAndNothingIsLeftWithOnlyOrv) {
  PendingRenamesFilter f = FilterOrvRenameOperations(MultiString(u"\\??\\C:\\t\\a\0\0"));
  EXPECT_FALSE(f.changed);
  f = FilterOrvRenameOperations(MultiString(u"\\??\\C:\\orv\\a\0\0\\??\\C:\\t\\b\0!\\??\\C:\\ORV\\b\0"));
  EXPECT_TRUE(f.changed);
  EXPECT_TRUE(f.empty);
  // An unpaired last string makes the list ambiguous: written back with its closing empty
  // string it would become a deletion of that path at the next start. It is left alone.
  f = FilterOrvRenameOperations(MultiString(u"\\??\\C:\\orv\\a\0\0\\??\\C:\\t\\odd"));
  EXPECT_FALSE(f.changed);
  EXPECT_TRUE(f.rest.empty());
  EXPECT_FALSE(FilterOrvRenameOperations(std::u16string()).changed);
}

}  // namespace
