// The backups folder and its backup folders against Wine's files and security calls; the open,
// linked and planted folders come from make-backup-roots.sh. Wine keeps a DACL only as mode
// bits: a folder made without the protected DACL reads back with Everyone allowed to read.
#include <gtest/gtest.h>

#include <aclapi.h>

#include <algorithm>
#include <memory>

#include "engine/accounts/running_account.h"
#include "engine/backup/backup_root.h"
#include "engine/files/path_facts.h"
#include "test_support.h"

namespace {

const std::wstring kRoots = L"C:\\purgon-roots\\";

struct LocalFreeDeleter {
  void operator()(void* p) const { LocalFree(p); }
};
using LocalPointer = std::unique_ptr<void, LocalFreeDeleter>;

// What the module makes gives Everyone nothing, and has a DACL.
void ExpectMadeProtected(const std::wstring& folder) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_EQ(GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                  nullptr, &dacl, nullptr, &descriptor), 0u);
  LocalPointer owner(descriptor);
  ASSERT_TRUE(dacl) << "no DACL";
  BYTE everyone[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof(everyone);
  ASSERT_TRUE(CreateWellKnownSid(WinWorldSid, nullptr, everyone, &size));
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
    EXPECT_FALSE(EqualSid(&ace->SidStart, everyone))
        << "Everyone has " << std::hex << ace->Mask << " on " << std::string(folder.begin(), folder.end());
  }
}

std::string Narrowed(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(BackupRoot, MadeWithItsOwnDaclAndHeldWhileOpen) {
  const std::wstring base = kRoots + L"fresh";
  BackupRoot root;
  const BackupPlaceResult result = root.OpenBelow(base, false);
  ASSERT_TRUE(result.ok()) << Narrowed(result.reason);
  EXPECT_EQ(Narrowed(root.path()), "C:\\purgon-roots\\fresh\\Purgon\\backups\\");
  // A folder made without the DACL would give Everyone read access here.
  ExpectMadeProtected(base + L"\\Purgon");
  ExpectMadeProtected(base + L"\\Purgon\\backups");
  EXPECT_FALSE(MoveFileW((base + L"\\Purgon").c_str(), (base + L"\\Moved").c_str()))
      << "a held root could be renamed";
  BackupRoot again;
  EXPECT_TRUE(again.OpenBelow(base + L"\\", true).ok()) << "a root already there is taken";
}

TEST(BackupRoot, ARootOthersMayChangeOrThatIsALinkIsRefused) {
  BackupRoot root;
  BackupPlaceResult result = root.OpenBelow(kRoots + L"open", false);
  EXPECT_EQ(result.outcome, BackupPlaceOutcome::OthersMayChange);
  EXPECT_EQ(Narrowed(result.reason), "the folder C:\\purgon-roots\\open\\Purgon can be changed by other users");
  EXPECT_FALSE(DirExists("C:\\purgon-roots\\open\\Purgon\\backups")) << "made inside a refused folder";

  result = root.OpenBelow(kRoots + L"open-backups", false);
  EXPECT_EQ(result.outcome, BackupPlaceOutcome::OthersMayChange);
  EXPECT_EQ(Narrowed(result.reason),
            "the backups folder C:\\purgon-roots\\open-backups\\Purgon\\backups can be changed by other users");
  EXPECT_TRUE(root.path().empty());

  result = root.OpenBelow(kRoots + L"linked", false);
  EXPECT_EQ(result.outcome, BackupPlaceOutcome::Link) << Narrowed(result.reason);
  EXPECT_FALSE(DirExists("C:\\purgon-roots\\elsewhere\\backups")) << "made through the link";
}

TEST(BackupRoot, NewBackupsTakeTheNextFreeNameAndTheNewestIsTheLastMade) {
  const std::wstring base = kRoots + L"numbered";
  ASSERT_TRUE(CreateDirectoryW(base.c_str(), nullptr));
  BackupRoot root;
  ASSERT_TRUE(root.OpenBelow(base, false).ok());
  // A restored ".3" still takes its name: the restore's renaming must never meet a folder.
  ASSERT_TRUE(CreateDirectoryW((root.path() + L"20261209-101500.3.restored").c_str(), nullptr));
  const SYSTEMTIME utc = {2026, 12, 3, 9, 10, 15, 0, 0};
  std::vector<std::string> made;
  for (int i = 0; i < 3; ++i) {
    CheckedFolder folder;
    const BackupPlaceResult result = root.MakeBackupFolder(utc, folder);
    ASSERT_TRUE(result.ok()) << Narrowed(result.reason);
    ExpectMadeProtected(folder.path().substr(0, folder.path().size() - 1));
    made.push_back(Narrowed(folder.path().substr(root.path().size())));
  }
  EXPECT_EQ(made, (std::vector<std::string>{"20261209-101500\\", "20261209-101500.2\\", "20261209-101500.4\\"}));
  std::vector<std::string> listed = root.ListBackups();
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"20261209-101500", "20261209-101500.2", "20261209-101500.4"}));
  CheckedFolder newest;
  ASSERT_TRUE(root.OpenBackup("", newest).ok());
  EXPECT_EQ(Narrowed(newest.path()), Narrowed(root.path()) + "20261209-101500.4\\");
}

TEST(BackupRoot, ARestoreOpensOnlyAWellNamedBackupThatPassesTheChecks) {
  BackupRoot root;
  ASSERT_TRUE(root.OpenBelow(kRoots + L"planted", false).ok());
  std::vector<std::string> listed = root.ListBackups();
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"20261209-101459", "20261209-101500", "20261209-101501"}));
  CheckedFolder folder;
  // The newest may be written by anyone: refused, and no older one is taken instead.
  EXPECT_EQ(root.OpenBackup("", folder).outcome, BackupPlaceOutcome::OthersMayChange);
  EXPECT_TRUE(folder.path().empty());
  EXPECT_TRUE(root.OpenBackup("20261209-101500", folder).ok());
  EXPECT_EQ(root.OpenBackup("20261209-101459", folder).outcome, BackupPlaceOutcome::Link);
  EXPECT_EQ(root.OpenBackup("20991231-235959", folder).outcome, BackupPlaceOutcome::NotAFolder);
  EXPECT_EQ(root.OpenBackup("20261209-101503", folder).outcome, BackupPlaceOutcome::NoBackup);
  for (const char* bad : {"..\\20261209-101500", "20261209-101502.restored", "C:\\x", "notes.txt"})
    EXPECT_EQ(root.OpenBackup(bad, folder).outcome, BackupPlaceOutcome::BadName) << bad;
}

// Wine runs programs elevated: this run's backups go below the common application data.
TEST(BackupRoot, AnElevatedRunKeepsItsBackupsInProgramData) {
  EXPECT_TRUE(IsElevatedRun());
  BackupRoot root;
  const BackupPlaceResult result = root.Open();
  ASSERT_TRUE(result.ok()) << Narrowed(result.reason);
  EXPECT_EQ(Narrowed(root.path()), "C:\\ProgramData\\Purgon\\backups\\");
}

TEST(FixedDrives, OnlyPathsOnAFixedLocalDrive) {
  EXPECT_TRUE(IsOnFixedLocalDrive(L"C:\\windows\\x.dll"));
  EXPECT_TRUE(IsOnFixedLocalDrive(L"c:\\x"));
  for (const wchar_t* bad : {L"Q:\\x", L"\\\\server\\share\\x", L"\\\\?\\C:\\x", L"\\\\.\\C:\\x",
                             L"C:x", L"C:", L"\xff23:\\x", L""})
    EXPECT_FALSE(IsOnFixedLocalDrive(bad)) << Narrowed(bad);
}

}  // namespace
