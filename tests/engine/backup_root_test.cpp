// The backups folder and its backup folders against Wine's real files and security calls. The
// open, linked and planted folders come from make-backup-roots.sh, run in this test's own
// prefix before it starts.
//
// Under Wine the owner read back is always the running account and a DACL is kept only as
// Unix mode bits: a folder made with the protected DACL reads back as the system and the
// account alone, one made without it also gives Everyone read access, and one with mode o+w
// gives Everyone write access.
#include <gtest/gtest.h>

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <set>

#include "engine/backup_root.h"
#include "test_support.h"

namespace {

const std::wstring kRoots = L"C:\\purgon-roots\\";

struct LocalFreeDeleter {
  void operator()(void* p) const { LocalFree(p); }
};
using LocalPointer = std::unique_ptr<void, LocalFreeDeleter>;

std::wstring SidText(PSID sid) {
  LPWSTR text = nullptr;
  if (!ConvertSidToStringSidW(sid, &text)) return L"?";
  LocalPointer owner(text);
  return text;
}

std::wstring RunningAccount() {
  HANDLE raw = nullptr;
  OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw);
  std::unique_ptr<void, decltype(&CloseHandle)> token(raw, CloseHandle);
  BYTE buffer[256];
  DWORD size = 0;
  if (!GetTokenInformation(raw, TokenUser, buffer, sizeof(buffer), &size)) return L"";
  return SidText(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);
}

// The accounts the folder's DACL gives any access to, as SID texts.
std::set<std::wstring> AllowedAccounts(const std::wstring& folder) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  std::set<std::wstring> accounts;
  if (GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
    accounts.insert(L"(unreadable)");
    return accounts;
  }
  LocalPointer owner(descriptor);
  for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    if (GetAce(dacl, i, reinterpret_cast<void**>(&ace)) && ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE)
      accounts.insert(SidText(&ace->SidStart));
  }
  if (!dacl) accounts.insert(L"(no DACL)");
  return accounts;
}

// What the module makes: nobody but the system, the administrators and this account.
void ExpectMadeProtected(const std::wstring& folder) {
  const std::set<std::wstring> trusted = {L"S-1-5-18", L"S-1-5-32-544", RunningAccount()};
  for (const std::wstring& account : AllowedAccounts(folder))
    EXPECT_TRUE(trusted.count(account)) << "folder " << std::string(folder.begin(), folder.end())
                                        << " also allows " << std::string(account.begin(), account.end());
}

SYSTEMTIME Utc(WORD hour, WORD minute, WORD second) {
  SYSTEMTIME t = {};
  t.wYear = 2026;
  t.wMonth = 12;
  t.wDay = 9;
  t.wHour = hour;
  t.wMinute = minute;
  t.wSecond = second;
  return t;
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
  std::vector<std::string> made;
  for (int i = 0; i < 3; ++i) {
    CheckedFolder folder;
    const BackupPlaceResult result = root.MakeBackupFolder(Utc(10, 15, 0), folder);
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
