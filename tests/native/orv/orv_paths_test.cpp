// The checks made on names and paths read from the user's registry before the ORV and
// launcher removals build paths from them, and the filter of the queue of pending operations.
#include <gtest/gtest.h>

#include <set>

#include "engine/rules/path_names.h"
#include "orv/orv_paths.h"
#include "engine/registry/rename_queue.h"

namespace {

QueueTaking TakeOrv(const std::u16string& data) { return TakeOperations(data, u"orv"); }

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
  EXPECT_TRUE(IsOwnedPath(u"\\??\\C:\\WINDOWS\\orv\\orvhost.exe", u"orv"));
  EXPECT_TRUE(IsOwnedPath(u"!\\??\\C:\\Program Files\\ORVPlayer\\a.dll", u"orv"));
  EXPECT_TRUE(IsOwnedPath(u"C:/temp/Orv_setup.tmp", u"orv"));
  EXPECT_FALSE(IsOwnedPath(u"\\??\\C:\\Temp\\setup_orv.tmp", u"orv"));
  EXPECT_FALSE(IsOwnedPath(u"\\??\\C:\\Favorites\\or\\v.txt", u"orv"));
  EXPECT_FALSE(IsOwnedPath(u"", u"orv"));
}

TEST(PendingRenames, OnlyOrvOperationsAreTakenOutAndTheRestKeepsItsOrder) {
  // Pairs: an ORV rename, another installer's deletion (empty target), a rename into an ORV
  // folder, another installer's rename.
  const QueueTaking f = TakeOrv(
      MultiString(u"\\??\\C:\\orv\\a.new\0!\\??\\C:\\orv\\a.dll\0\\??\\C:\\t\\x.tmp\0\0"
                  u"\\??\\C:\\t\\y\0\\??\\C:\\w\\orv\\y\0\\??\\C:\\o\\n.dll\0!\\??\\C:\\o\\o.dll\0"));
  EXPECT_TRUE(f.changed);
  EXPECT_FALSE(f.empty);
  EXPECT_TRUE(f.rest == MultiString(u"\\??\\C:\\t\\x.tmp\0\0\\??\\C:\\o\\n.dll\0!\\??\\C:\\o\\o.dll\0"));
}

TEST(PendingRenames, DeletionsAtTheEndAreTakenForPairsNotForTheEndOfTheList) {
  // "b\0\0\0": a deletion followed by the closing empty string.
  const std::u16string data = MultiString(u"\\??\\C:\\t\\a\0\0\\??\\C:\\orv\\b\0\0");
  QueueTaking f = TakeOrv(data);
  EXPECT_TRUE(f.changed);
  EXPECT_TRUE(f.rest == MultiString(u"\\??\\C:\\t\\a\0\0"));
  // The same data without its closing empty string.
  f = TakeOrv(data.substr(0, data.size() - 1));
  EXPECT_TRUE(f.changed);
  EXPECT_TRUE(f.rest == MultiString(u"\\??\\C:\\t\\a\0\0"));
}

TEST(PendingRenames, NothingChangesWithoutOrvAndNothingIsLeftWithOnlyOrv) {
  QueueTaking f = TakeOrv(MultiString(u"\\??\\C:\\t\\a\0\0"));
  EXPECT_FALSE(f.changed);
  f = TakeOrv(MultiString(u"\\??\\C:\\orv\\a\0\0\\??\\C:\\t\\b\0!\\??\\C:\\ORV\\b\0"));
  EXPECT_TRUE(f.changed);
  EXPECT_TRUE(f.empty);
  // An unpaired last string makes the list ambiguous: written back with its closing empty
  // string it would become a deletion of that path at the next start. It is left alone.
  f = TakeOrv(MultiString(u"\\??\\C:\\orv\\a\0\0\\??\\C:\\t\\odd"));
  EXPECT_FALSE(f.changed);
  EXPECT_TRUE(f.rest.empty());
  EXPECT_FALSE(TakeOrv(std::u16string()).changed);
}

// What the backup keeps of the queue: the removed operations only, never the others, so a
// restore cannot queue again what other programs' operations did at a reboot since.
TEST(PendingRenames, TheBackupKeepsOnlyTheOperationsTakenOut) {
  const QueueTaking f = TakeOrv(
      MultiString(u"\\??\\C:\\orv\\a.new\0!\\??\\C:\\orv\\a.dll\0\\??\\C:\\t\\keep.dll\0\0"
                  u"\\??\\C:\\orv\\b.dll\0\0"));
  ASSERT_EQ(f.taken.size(), 2u);
  const std::u16string kept = RenameOperationsData(f.taken);
  EXPECT_TRUE(kept == MultiString(u"\\??\\C:\\orv\\a.new\0!\\??\\C:\\orv\\a.dll\0\\??\\C:\\orv\\b.dll\0\0"));
  EXPECT_TRUE(QueuedFilePath(u"\\??\\C:\\orv\\b.dll") == u"C:\\orv\\b.dll");
  EXPECT_TRUE(QueuedFilePath(u"C:\\x") == u"C:\\x");
}

bool IsOrvOwn(const RenameOperation& operation) { return IsOwnOperation(operation, u"orv"); }

TEST(PendingRenames, RestoreAppendsWhatIsMissingAndWhoseFileIsStillThere) {
  const std::u16string kept =
      MultiString(u"\\??\\C:\\orv\\a.new\0!\\??\\C:\\orv\\a.dll\0\\??\\C:\\orv\\gone.dll\0\0"
                  u"\\??\\C:\\orv\\b.dll\0\0");
  const std::set<std::u16string> files = {u"\\??\\C:\\orv\\a.new", u"\\??\\C:\\orv\\b.dll"};
  std::vector<std::u16string> asked;
  const auto exists = [&](const std::u16string& source) {
    asked.push_back(source);
    return files.count(source) != 0;
  };
  // After a reboot another installer queued its own work; the client's b.dll is queued again
  // by the client itself (other letter case).
  const std::u16string current = MultiString(u"\\??\\C:\\t\\x.tmp\0\0\\??\\c:\\ORV\\B.DLL\0\0");
  RenameQueueMerge merge;
  ASSERT_TRUE(MergeRenameOperations(current, kept, IsOrvOwn, exists, merge));
  EXPECT_TRUE(merge.data == MultiString(u"\\??\\C:\\t\\x.tmp\0\0\\??\\c:\\ORV\\B.DLL\0\0"
                                        u"\\??\\C:\\orv\\a.new\0!\\??\\C:\\orv\\a.dll\0"));
  ASSERT_EQ(merge.added.size(), 1u);
  ASSERT_EQ(merge.alreadyQueued.size(), 1u);
  ASSERT_EQ(merge.sourceGone.size(), 1u);
  EXPECT_TRUE(merge.sourceGone[0].source == u"\\??\\C:\\orv\\gone.dll");
  EXPECT_EQ(asked.size(), 2u);  // never asked about an operation that is queued already

  // The value deleted by the reboot: only the client's operations come back, once.
  const std::u16string twice = kept.substr(0, kept.size() - 1) + kept;
  ASSERT_TRUE(MergeRenameOperations(std::u16string(), twice, IsOrvOwn, exists, merge));
  EXPECT_TRUE(merge.data == MultiString(u"\\??\\C:\\orv\\a.new\0!\\??\\C:\\orv\\a.dll\0\\??\\C:\\orv\\b.dll\0\0"));
  EXPECT_EQ(merge.alreadyQueued.size(), 2u);
}

// Appending to a list that does not pair up would turn a path into another operation; after
// an operation without a source Windows would never see what was appended.
TEST(PendingRenames, AQueueThatCannotTakeMoreSafelyIsLeftAlone) {
  const std::u16string kept = MultiString(u"\\??\\C:\\orv\\b.dll\0\0");
  const auto exists = [](const std::u16string&) { return true; };
  RenameQueueMerge merge;
  EXPECT_FALSE(MergeRenameOperations(MultiString(u"\\??\\C:\\t\\odd"), kept, IsOrvOwn, exists, merge));
  EXPECT_FALSE(MergeRenameOperations(std::u16string(), MultiString(u"a\0b\0c"), IsOrvOwn, exists, merge));
  EXPECT_FALSE(MergeRenameOperations(MultiString(u"\0\\??\\C:\\t\\y\0a\0\0"), kept, IsOrvOwn, exists, merge));
  // Empty operations at the end are what an empty list looks like; they go.
  ASSERT_TRUE(MergeRenameOperations(MultiString(u"\\??\\C:\\t\\a\0\0\0\0"), kept, IsOrvOwn, exists, merge));
  EXPECT_TRUE(merge.data == MultiString(u"\\??\\C:\\t\\a\0\0\\??\\C:\\orv\\b.dll\0\0"));
  ASSERT_TRUE(MergeRenameOperations(MultiString(u"\0"), kept, IsOrvOwn, exists, merge));
  EXPECT_TRUE(merge.data == kept);
}

// A backup's queue value is the restore's to trust no further than the removal: only
// operations whose every path is the client's go back, never one that acts on another file
// (a deletion of another program's file, a client file moved over a system file, a path that
// climbs out of the client's folder with "..").
TEST(PendingRenames, RestoreQueuesOnlyTheClientsOwnOperations) {
  const std::u16string kept = MultiString(
      u"\\??\\C:\\orv\\ok.dll\0\0"
      u"\\??\\C:\\acc-victim\\boot-victim.txt\0\0"
      u"\\??\\C:\\orv\\a.new\0!\\??\\C:\\Windows\\System32\\x.dll\0"
      u"\\??\\C:\\Windows\\System32\\y.dll\0\\??\\C:\\orv\\y.dll\0"
      u"\\??\\C:\\orv\\..\\acc-victim\\z.txt\0\0"
      u"\\??\\C:\\orv\\b.new\0!\\??\\C:\\orv\\b.dll\0");
  const auto exists = [](const std::u16string&) { return true; };
  RenameQueueMerge merge;
  ASSERT_TRUE(MergeRenameOperations(std::u16string(), kept, IsOrvOwn, exists, merge));
  EXPECT_TRUE(merge.data == MultiString(u"\\??\\C:\\orv\\ok.dll\0\0"
                                        u"\\??\\C:\\orv\\b.new\0!\\??\\C:\\orv\\b.dll\0"));
  ASSERT_EQ(merge.foreign.size(), 4u);
  EXPECT_TRUE(merge.foreign[0].source == u"\\??\\C:\\acc-victim\\boot-victim.txt");
}

}  // namespace
